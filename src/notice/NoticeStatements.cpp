#include "notice/NoticeStatements.h"

#include "common/Convert.h"
#include "db/ValueFormat.h"

#include <QStringList>

namespace NoticeStatements {

QString ListQuery()
{
    return QStringLiteral("Select '' as List,Notice_ID,Notice_DateTime,"
                          "Notice_Publisher From Notice Order By Notice_DateTime Desc");
}

QString ListRows(const QList<qint64> &ids)
{
    QStringList keys;
    for (const qint64 id : ids)
        keys << QString::number(id);
    return QStringLiteral("Select '' as List,Notice_ID,Notice_DateTime,Notice_Publisher From "
                          "Notice Where Notice_ID In (") +
           keys.join(u',') + u')';
}

QString ContentQuery(const QString &key)
{
    Q_ASSERT(IsPlainWholeNumber(key));
    return QStringLiteral("Select Notice_Content From Notice Where Notice_ID=") + key;
}

QString Insert(DBType dialect, const QString &publisher, const QString &content,
               const QDateTime &clientTime)
{
    QString sql = QStringLiteral(
        "Insert Into Notice(Notice_DateTime,Notice_Publisher,Notice_Content) Values(");
    sql += dialect == DBType::Jet
               ? QString(u'\'' + GeneralDateText(clientTime) + QStringLiteral("',"))
               : QStringLiteral("Getdate(),");
    return sql + FormatStr(publisher, true) + u',' + FormatStr(content, true) + u')';
}

QString UpdateContent(const QString &key, const QString &content)
{
    Q_ASSERT(IsPlainWholeNumber(key));
    return QStringLiteral("Update Notice Set Notice_Content=") + FormatStr(content, true) +
           QStringLiteral(" Where Notice_ID=") + key;
}

QString Delete(const QString &key)
{
    Q_ASSERT(IsPlainWholeNumber(key));
    return QStringLiteral("Delete From Notice Where Notice_ID=") + key;
}

QString OthersOnline(const QString &ownAddress)
{
    return QStringLiteral("Select * From OnLine Where UserIP<>") + FormatStr(ownAddress, true);
}

QString FromPublisher(const QString &publisher)
{
    // Written as the new notice wrote it, so that the same value matches.
    return QStringLiteral("Select Notice_ID,Notice_Content From Notice Where Notice_Publisher=") +
           FormatStr(publisher, true) +
           QStringLiteral(" Order By Notice_DateTime Desc,Notice_ID Desc");
}

QString FromPublisherSince(const QString &publisher, qint64 afterId)
{
    return QStringLiteral("Select Notice_ID,Notice_Content From Notice Where Notice_Publisher=") +
           FormatStr(publisher, true) + QStringLiteral(" And Notice_ID>") +
           QString::number(afterId) + QStringLiteral(" Order By Notice_ID");
}

} // namespace NoticeStatements
