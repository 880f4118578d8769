#include "office/NoticeWatchStatements.h"

#include "db/SqlDialect.h"

namespace NoticeWatchStatements {

namespace {
const QString Columns = QStringLiteral("Notice_ID,Notice_Publisher,Notice_Content");
}

QString Newest(SqlEngine engine, int count)
{
    if (engine == SqlEngine::Passthrough)
        return QStringLiteral("Select Top %1 %2 From Notice Order By Notice_ID Desc")
            .arg(count)
            .arg(Columns);
    return QStringLiteral("Select %1 From Notice Order By Notice_ID Desc Limit %2")
        .arg(Columns)
        .arg(count);
}

QString From(qint64 id)
{
    return QStringLiteral("Select %1 From Notice Where Notice_ID>=%2 Order By Notice_ID")
        .arg(Columns)
        .arg(id);
}

QString IdsFrom(qint64 id)
{
    return QStringLiteral("Select Notice_ID From Notice Where Notice_ID>=%1").arg(id);
}

QString Probe()
{
    // Access has no Select without a table.
    return QStringLiteral("Select Notice_ID From Notice Where 1=0");
}

QString HighestId()
{
    return QStringLiteral("Select Max(Notice_ID) From Notice");
}

} // namespace NoticeWatchStatements
