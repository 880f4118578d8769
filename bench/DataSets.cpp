#include "DataSets.h"

#include "BenchSupport.h"
#include "common/ArdentaError.h"
#include "db/ClerkFields.h"
#include "db/Schema.h"

namespace {

// A row source "g" with one column i = 1..n.
QString Series(bool postgres, qint64 n)
{
    if (postgres)
        return QStringLiteral("generate_series(1,%1) AS g(i)").arg(n);
    return QStringLiteral("(WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM s WHERE "
                          "i<%1) SELECT i FROM s) AS g")
        .arg(n);
}

} // namespace

namespace DataSets {

QString SearchPublisher()
{
    return QStringLiteral("Publisher 7");
}

QDate SearchFrom()
{
    return QDate(2024, 6, 24);
}

QDate SearchTo()
{
    return QDate(2024, 6, 30);
}

QString OnlineAddress(qint64 i)
{
    const qint64 x = i + 1; // 127.0.0.1 is the machine itself
    return QStringLiteral("127.%1.%2.%3").arg(x / 65536 % 256).arg(x / 256 % 256).arg(x % 256);
}

void Fill(const QString &connection, bool postgres, qint64 staff, qint64 notices, qint64 online)
{
    QString message;
    if (!InitDatabase(connection, &message))
        throw ArdentaError(QStringLiteral("Schema: ") + message);

    if (staff > 0) {
        ExecSql(
            connection,
            QStringLiteral("INSERT INTO Clerk(") + ClerkFieldList() +
                QStringLiteral(
                    ") SELECT 'E'||i, 'x'||(i%900+100), 'User Name '||i,"
                    " 'Department '||(i%20), 'No. '||i||' Harbour Road, Springfield',"
                    " '0571-8'||(i%1000000), '138'||(10000000+i), 'user'||i||'@example.com',"
                    " '10.1.'||(i/250%250)||'.'||(i%250), 'q'||(100000+i), 'user'||i||'@msn.test',"
                    " 'skype.user'||i, 'PC-'||i, 'Memo for staff member '||i FROM ") +
                Series(postgres, staff));
    }
    if (notices > 0) {
        const QString when =
            postgres ? QStringLiteral("timestamp '%1' - (i*%2) * interval '1 second'")
                           .arg(QLatin1String(NewestNotice))
                           .arg(NoticeSpacingSeconds)
                     : QStringLiteral("strftime('%Y-%m-%d %H:%M:%S','%1','-'||(i*%2)||' seconds')")
                           .arg(QLatin1String(NewestNotice))
                           .arg(NoticeSpacingSeconds);
        ExecSql(connection,
                QStringLiteral("INSERT INTO Notice(Notice_DateTime,Notice_Publisher,Notice_Content)"
                               " SELECT %1, 'Publisher '||(i%%2), 'Notice '||i||': the canteen "
                               "on floor 3 closes early on Friday for cleaning.' FROM ")
                        .arg(when)
                        .arg(Publishers) +
                    Series(postgres, notices));
    }
    if (online > 0) {
        // x = i + 1: the first user is 127.0.0.2, as OnlineAddress says.
        ExecSql(connection,
                QStringLiteral("INSERT INTO OnLine(UserIP,UserName,LoginTime) SELECT "
                               "'127.'||((i+1)/65536%256)||'.'||((i+1)/256%256)||'.'||((i+1)%256),"
                               " 'user'||i, '2024-06-30 08:00:00' FROM ") +
                    Series(postgres, online));
    }
    // The planner needs statistics that a live database would have long since gathered.
    ExecSql(connection, postgres ? QStringLiteral("VACUUM ANALYZE") : QStringLiteral("ANALYZE"));
}

} // namespace DataSets
