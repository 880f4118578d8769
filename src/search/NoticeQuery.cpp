#include "search/NoticeQuery.h"

#include "common/Convert.h"
#include "db/ValueFormat.h"

QString NoticeQuerySQL(const QString &strPublisher, bool blnTime, const QDate &dateFrom,
                       const QDate &dateTo, DBType intDBType)
{
    QString where;
    const QString publisher = TrimBlanks(strPublisher);
    if (!publisher.isEmpty()) {
        QString quoted = publisher;
        quoted.replace(u'\'', QStringLiteral("''"));
        where = QStringLiteral("Notice_Publisher Like '%") + quoted + QStringLiteral("%'");
    }
    if (blnTime) {
        const QString from = ShortDateText(dateFrom) + QStringLiteral(" 00:00:00");
        const QString to = ShortDateText(dateTo) + QStringLiteral(" 23:59:59");
        const QString range =
            intDBType == DBType::TransactSql
                ? QString(QStringLiteral("Notice_DateTime>=") + FormatStr(from, true) +
                          QStringLiteral(" And Notice_DateTime<=") + FormatStr(to, true))
                : QString(QStringLiteral("Notice_DateTime>=#") + from +
                          QStringLiteral("# And Notice_DateTime<=#") + to + u'#');
        where = where.isEmpty() ? range : where + QStringLiteral(" And  ") + range;
    }
    QString sql =
        QStringLiteral("Select '' as list,Notice_ID,Notice_DateTime,Notice_Publisher From Notice ");
    if (!where.isEmpty())
        sql += QStringLiteral(" Where ") + where;
    return sql + QStringLiteral(" Order By Notice_DateTime Desc");
}
