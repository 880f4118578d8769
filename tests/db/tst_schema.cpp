// The schema scripts, InitDatabase on every backend, and the demo database.

#include "common/Clock.h"
#include "common/Session.h"
#include "db/ClerkFields.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "db/Schema.h"
#include "db/SqlDialect.h"
#include "DbFixture.h"
#include "office/DemoData.h"
#include "TestHome.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {
// The view's columns as the grid, the statements and the report read them.
const QString viewColumns = QStringLiteral("Clerk_ID,") + ClerkFieldList();

QStringList column(const QString &connection, const QString &sql, const char *name)
{
    QStringList values;
    const auto rows = GetRecordset(connection, sql);
    for (; rows && !rows->Eof(); rows->MoveNext())
        values << rows->Fields(QLatin1String(name)).toString();
    return values;
}
} // namespace

class tst_Schema : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The SQL Server script, which only this reads: the others run in initDatabase.
    void sqlServerScriptAgreesOnView()
    {
        QFile file(QStringLiteral(":/schema/sqlserver.sql"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList statements = SplitScript(QString::fromUtf8(file.readAll()));
        // SQL Server wants CREATE VIEW alone in its batch, so every statement is one CREATE;
        // comments are left out for drivers that look for ";" in them.
        for (const QString &statement : statements)
            QVERIFY(statement.count(QStringLiteral("CREATE "), Qt::CaseInsensitive) == 1 &&
                    !statement.contains(QLatin1String("--")));
        const QString view = statements.filter(QStringLiteral("CREATE VIEW Vw_Clerk")).value(0);
        static const QRegularExpression select(QStringLiteral(R"(SELECT\s+(.*?)\s+FROM)"),
                                               QRegularExpression::DotMatchesEverythingOption);
        QCOMPARE(select.match(view).captured(1).remove(QRegularExpression(QStringLiteral("\\s"))),
                 viewColumns);
    }

    // Made once on an empty database; a complete schema is left alone, a partial one refused.
    void initDatabase_data() { BackendRows(); }
    void initDatabase()
    {
        TestHome home;
        DB_FIXTURE_WITH(db, false);
        QString message;
        QVERIFY2(InitDatabase(db.connection(), &message), qPrintable(message));
        QVERIFY(ExcuteSQL(db.connection(),
                          QStringLiteral("Insert Into Clerk(Clerk_UserName) Values('Anna')\r"
                                         "Insert Into Clerk(Clerk_UserName) Values('Dan')")));
        const auto rows = GetRecordset(db.connection(), QStringLiteral("Select * From Vw_Clerk"));
        QVERIFY(rows && rows->RecordCount() == 2);
        QCOMPARE(rows->ColumnNames().join(u',').toLower(), viewColumns.toLower());
        QVERIFY(InitDatabase(db.connection(), &message));
        QCOMPARE(db.count(QStringLiteral("Clerk")), 2);

        // An OnLine made for the original gains the columns presence writes.
        db.exec(QStringLiteral("Drop Table OnLine"));
        db.exec(QStringLiteral("Create Table OnLine(UserIP varchar(50) NOT NULL)"));
        QVERIFY(InitDatabase(db.connection(), &message));
        QVERIFY2(message.endsWith(QLatin1String("UserName, LoginTime, LastSeen to OnLine.")),
                 qPrintable(message));
        db.exec(QStringLiteral("Select UserName, LoginTime, LastSeen From OnLine"));

        db.exec(QStringLiteral("Drop View Vw_Clerk"));
        db.exec(QStringLiteral("Drop Table Clerk"));
        QVERIFY(!InitDatabase(db.connection(), &message));
        QVERIFY2(message.contains(QStringLiteral("lacks Clerk, Vw_Clerk")), qPrintable(message));
        QCOMPARE(db.count(QStringLiteral("Notice")), 0);
    }

    void demoDatabase()
    {
        TestHome home;
        const QDateTime now(QDate(2024, 3, 15), QTime(10, 0));
        SetClock([now] { return now; });
        const QString path = home.file(QStringLiteral("data/demo.sqlite"));
        QString message;
        const bool made = CreateDemoDatabase(path, &message);
        SetClock({});
        QVERIFY2(made, qPrintable(message));
        const QString demo = QStringLiteral("sqlite:") + path;

        // About forty staff on loopback, notices of the last two months from three publishers
        // (admin among them), eight users online on loopback.
        const QStringList staffIPs =
            column(demo, QStringLiteral("Select * From Clerk"), "Clerk_IP");
        QVERIFY(staffIPs.size() >= 35 && staffIPs.size() == staffIPs.filter(u"127.").size());
        const QStringList publishers =
            column(demo, QStringLiteral("Select * From Notice Order By Notice_DateTime"),
                   "Notice_Publisher");
        QCOMPARE(QSet(publishers.cbegin(), publishers.cend()),
                 (QSet<QString>{"admin", "李娜", "Tom O'Neil"}));
        const QStringList times =
            column(demo, QStringLiteral("Select * From Notice Order By Notice_DateTime"),
                   "Notice_DateTime");
        QVERIFY(times.size() >= 25 && times.first() >= "2024-01-14" &&
                times.last() <= "2024-03-15");
        QCOMPARE(column(demo, QStringLiteral("Select * From OnLine"), "UserIP")
                     .filter(u"127.0.0.")
                     .size(),
                 8);

        // A second run keeps the existing database as it is.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        QVERIFY(CreateDemoDatabase(path, &message));
        QCOMPARE(file.seek(0) ? file.readAll() : QByteArray(), before);
        QCOMPARE(home.logEntryCount(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_Schema)
#include "tst_schema.moc"
