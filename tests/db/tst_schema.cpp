// The schema scripts, InitDatabase on every backend, and the demo database.

#include "common/Clock.h"
#include "common/Session.h"
#include "db/ClerkFields.h"
#include "db/ConnectionPool.h"
#include "db/ConnectionString.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "db/Schema.h"
#include "db/Security.h"
#include "db/SqlDialect.h"
#include "DbFixture.h"
#include "office/DemoData.h"
#include "TestHome.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
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

// The ids announced on the notices' channel, as a host's watch hears them.
class Announcements : public QObject
{
public:
    explicit Announcements(const QString &connection)
    {
        QSqlDatabase db = OpenDatabase(ParseConnectionString(connection), m_name);
        db.driver()->subscribeToNotification(QStringLiteral("ardenta_notice"));
        connect(db.driver(), &QSqlDriver::notification, this,
                [this](const QString &, QSqlDriver::NotificationSource, const QVariant &payload) {
                    ids << payload.toLongLong();
                });
    }
    ~Announcements() override { QSqlDatabase::removeDatabase(m_name); }
    QList<qint64> ids;

private:
    const QString m_name = UniqueConnectionName();
};

const QString Announcing = QStringLiteral("the trigger that announces notice changes");
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

    // Every --init-db on PostgreSQL brings the trigger that announces notice changes: to a new
    // database, to one made before it, over an earlier version's body; once there, a run
    // changes nothing. Inserts, changes and deletes are announced with their ids at commit,
    // nothing for a rollback.
    void noticesAnnounced_data()
    {
        QTest::addColumn<QString>("engine");
        for (const char *engine : {"postgresql", "odbc-postgresql"})
            QTest::newRow(engine) << engine;
    }
    void noticesAnnounced()
    {
        TestHome home;
        DB_FIXTURE_WITH(db, false);
        QString message;
        QVERIFY2(InitDatabase(db.connection(), &message), qPrintable(message));
        QVERIFY2(message.contains(Announcing), qPrintable(message));
        QVERIFY(InitDatabase(db.connection(), &message));
        QVERIFY2(message.endsWith(QLatin1String("nothing was changed.")), qPrintable(message));
        for (const char *older :
             {"Drop Trigger notice_announce On Notice",
              "Create Or Replace Function ardenta_notice_announce() Returns trigger Language "
              "plpgsql As $$Begin Return Null; End$$"}) {
            db.exec(QLatin1String(older));
            QVERIFY2(InitDatabase(db.connection(), &message), qPrintable(message));
            QVERIFY2(message.endsWith(u"; added " + Announcing + u'.'), qPrintable(message));
        }
        QCOMPARE(db.scalar("Select Count(*) From pg_trigger Where tgname='notice_announce'"), 1);
        if (db.engine() != QLatin1String("postgresql"))
            return; // listening is the host's, on PostgreSQL reached directly

        const Announcements heard(db.connection());
        db.addNotice(QStringLiteral("2024-05-01 10:00:00"), "bob", "first");
        db.addNotice(QStringLiteral("2024-05-01 10:00:00"), "bob", "second");
        const qint64 first = db.noticeId(QStringLiteral("first")).toLongLong();
        const qint64 second = first + 1;
        db.exec(QStringLiteral("Update Notice Set Notice_Content='changed' Where Notice_ID=%1")
                    .arg(first));
        db.exec(QStringLiteral("Delete From Notice Where Notice_ID=%1").arg(second));
        WithConnection(db.connection(), [](QSqlDatabase &writer) {
            writer.transaction();
            QSqlQuery(writer).exec(
                QStringLiteral("Insert Into Notice(Notice_Content) Values('x')"));
            writer.rollback();
        });
        db.addNotice(QStringLiteral("2024-05-01 10:00:00"), "bob", "last");
        const qint64 last = db.noticeId(QStringLiteral("last")).toLongLong();
        QTRY_COMPARE(heard.ids, (QList<qint64>{first, second, first, second, last}));
    }

    // On a secured database a notice writer's insert is announced, and securing again leaves
    // the trigger alone.
    void announcedOnSecuredDatabase()
    {
        TestHome home;
        DbFixture db(QStringLiteral("postgresql"), false);
        if (db.skipped())
            QSKIP(qPrintable(db.problem()));
        const QString writer = QStringLiteral("writer_%1").arg(QCoreApplication::applicationPid());
        db.exec(QStringLiteral("Create Role %1 Login").arg(writer));
        QString message;
        for (int run = 0; run < 2; ++run)
            QCOMPARE(Security::SecureDatabase(db.connection(), &message), 0);
        QVERIFY2(message.contains(QLatin1String("nothing was changed")), qPrintable(message));
        QCOMPARE(Security::Grant(db.connection(), writer, QStringLiteral("notice"), &message), 0);

        const Announcements heard(db.connection());
        ConnectionSettings login = ParseConnectionString(db.connection());
        login.userName = writer;
        WithConnection(PostgreSqlConnectionString(login), [](QSqlDatabase &as) {
            QSqlQuery insert(as);
            ExecStatement(insert, QStringLiteral("Insert Into Notice(Notice_Publisher,"
                                                 "Notice_Content) Values(session_user,'mine')"));
        });
        QTRY_COMPARE(heard.ids, (QList<qint64>{db.noticeId(QStringLiteral("mine")).toLongLong()}));
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
        // One made by an earlier version gets what this one adds.
        QVERIFY(
            ExcuteSQL(demo, QStringLiteral("Drop Table OnLine\rCreate Table OnLine(UserIP Text)")));
        QVERIFY(CreateDemoDatabase(path, &message));
        QVERIFY2(message.contains(QLatin1String("added the columns")), qPrintable(message));
        QCOMPARE(home.logEntryCount(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_Schema)
#include "tst_schema.moc"
