// The schema scripts, InitDatabase on both engines, and the demo database.

#include "Clock.h"
#include "Database.h"
#include "DbFixture.h"
#include "Recordset.h"
#include "Schema.h"
#include "Session.h"
#include "SqlDialect.h"
#include "TestHelpers.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QTest>

namespace {

const QStringList viewColumns{"Clerk_ID",    "Clerk_NO",       "Clerk_Ext",   "Clerk_UserName",
                              "Clerk_Dept",  "Clerk_Address",  "Clerk_Phone", "Clerk_Mobile",
                              "Clerk_Email", "Clerk_IP",       "Clerk_QQ",    "Clerk_MSN",
                              "Clerk_SKP",   "Clerk_Computer", "Clerk_Memo"};

QByteArray digest(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly)
               ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
               : QByteArray();
}

} // namespace

class tst_Schema : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void scriptsAgreeOnView_data();
    void scriptsAgreeOnView();
    void initCreatesSchemaOnce_data() { AddEngineColumn(), AddEngineRows(); }
    void initCreatesSchemaOnce();
    void initLeavesPartialSchemaAlone_data() { AddEngineColumn(), AddEngineRows(); }
    void initLeavesPartialSchemaAlone();
    void demoDatabase();
};

void tst_Schema::scriptsAgreeOnView_data()
{
    QTest::addColumn<QString>("resource");
    QTest::newRow("sqlite") << ":/schema/sqlite.sql";
    QTest::newRow("postgresql") << ":/schema/postgresql.sql";
    QTest::newRow("sqlserver") << ":/schema/sqlserver.sql";
}

void tst_Schema::scriptsAgreeOnView()
{
    QFETCH(QString, resource);
    QFile file(resource);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList statements = SplitScript(QString::fromUtf8(file.readAll()));
    // SQL Server wants CREATE VIEW alone in its batch, so every statement is one CREATE.
    for (const QString &statement : statements)
        QCOMPARE(statement.count(QStringLiteral("CREATE "), Qt::CaseInsensitive), 1);
    const auto view = std::find_if(statements.cbegin(), statements.cend(), [](const QString &s) {
        return s.contains(QStringLiteral("CREATE VIEW Vw_Clerk"));
    });
    QVERIFY(view != statements.cend());
    static const QRegularExpression select(QStringLiteral(R"(SELECT\s+(.*?)\s+FROM)"),
                                           QRegularExpression::DotMatchesEverythingOption);
    QStringList columns = select.match(*view).captured(1).split(QLatin1Char(','));
    for (QString &column : columns)
        column = column.trimmed();
    QCOMPARE(columns, viewColumns);
    const QString indexes = statements.filter(QStringLiteral("CREATE INDEX")).join(u' ');
    QVERIFY(indexes.contains(QStringLiteral("(Notice_DateTime)")) &&
            indexes.contains(QStringLiteral("(Notice_Publisher)")));
}

void tst_Schema::initCreatesSchemaOnce()
{
    TestHome home;
    DB_FIXTURE_WITH(db, false);
    QString message;
    QVERIFY2(InitDatabase(db.connection(), &message), qPrintable(message));

    QVERIFY(ExcuteSQL(QStringLiteral("Insert Into Clerk(Clerk_UserName) Values('Anna')\r"
                                     "Insert Into Clerk(Clerk_UserName) Values('Dan')")));
    const auto rows = GetRecordset(QStringLiteral("Select * From Vw_Clerk"));
    QVERIFY(rows);
    QCOMPARE(rows->ColumnNames().join(QLatin1Char(',')).toLower(),
             viewColumns.join(QLatin1Char(',')).toLower());
    QCOMPARE(rows->RecordCount(), 2);
    const qlonglong first = rows->Fields(QStringLiteral("Clerk_ID")).toLongLong();
    rows->MoveNext();
    QVERIFY(rows->Fields(QStringLiteral("Clerk_ID")).toLongLong() > first);

    QVERIFY(InitDatabase(db.connection(), &message));
    QVERIFY2(message.contains(QStringLiteral("already")), qPrintable(message));
    QCOMPARE(db.count(QStringLiteral("Clerk")), 2);
}

void tst_Schema::initLeavesPartialSchemaAlone()
{
    TestHome home;
    DB_FIXTURE_WITH(db, false);
    WithConnection(
        db.connection(), [](QSqlDatabase &) {}, true); // SQLite: an empty file
    db.exec(QStringLiteral("Create Table OnLine (UserIP varchar(50))"));
    QString message;
    QVERIFY(!InitDatabase(db.connection(), &message));
    QVERIFY2(message.contains(QStringLiteral("OnLine")) &&
                 message.contains(QStringLiteral("Vw_Clerk")),
             qPrintable(message));
    QVERIFY(!GetRecordset(QStringLiteral("Select * From Clerk"))); // still missing

    QVERIFY(!InitDatabase(QStringLiteral("Provider=Oracle;Data Source=x"), &message));
    QVERIFY2(message.contains(QStringLiteral("Oracle")), qPrintable(message));
}

void tst_Schema::demoDatabase()
{
    TestHome home;
    const QDateTime now(QDate(2024, 3, 15), QTime(10, 0));
    SetClock([now] { return now; });
    const QString path = home.file(QStringLiteral("data/demo.sqlite"));
    QString message;
    const bool made = CreateDemoDatabase(path, &message);
    SetClock({});
    QVERIFY2(made, qPrintable(message));
    gstrConnection = QStringLiteral("sqlite:") + path;

    const auto staff = GetRecordset(QStringLiteral("Select '' as List,* From Vw_Clerk"));
    QVERIFY(staff);
    QVERIFY(staff->RecordCount() >= 35 && staff->RecordCount() <= 45);
    QSet<QString> departments;
    int chinese = 0, english = 0;
    static const QRegularExpression han(QStringLiteral(R"(^\p{Han}{2,4}$)"));
    static const QRegularExpression latin(QStringLiteral(R"(^[A-Z][a-z']+( [A-Z][A-Za-z']+)+$)"));
    for (; !staff->Eof(); staff->MoveNext()) {
        const QString name = staff->Fields(QStringLiteral("Clerk_UserName")).toString();
        chinese += han.match(name).hasMatch();
        english += latin.match(name).hasMatch();
        departments << staff->Fields(QStringLiteral("Clerk_Dept")).toString();
        QVERIFY(staff->Fields(QStringLiteral("Clerk_IP")).toString().startsWith(u"127."));
    }
    QVERIFY(chinese >= 10 && english >= 10);
    QCOMPARE(chinese + english, int(staff->RecordCount()));
    QVERIFY(departments.size() >= 4);

    const auto notices = GetRecordset(QStringLiteral(
        "Select Notice_DateTime,Notice_Publisher From Notice Order By Notice_DateTime Desc"));
    QVERIFY(notices);
    QVERIFY(notices->RecordCount() >= 25 && notices->RecordCount() <= 35);
    QSet<QString> publishers;
    for (; !notices->Eof(); notices->MoveNext()) {
        const QDateTime at = QDateTime::fromString(
            notices->Fields(QStringLiteral("Notice_DateTime")).toString(), u"yyyy-MM-dd HH:mm:ss");
        QVERIFY2(at.isValid() && at <= now && at >= now.addMonths(-2).addDays(-1),
                 qPrintable(at.toString()));
        publishers << notices->Fields(QStringLiteral("Notice_Publisher")).toString();
    }
    QCOMPARE(publishers.size(), 3);
    QVERIFY(publishers.contains(QStringLiteral("admin")));

    const auto online = GetRecordset(QStringLiteral("Select UserIP From OnLine Order By UserIP"));
    QVERIFY(online);
    QStringList addresses;
    for (; !online->Eof(); online->MoveNext())
        addresses << online->Fields(QStringLiteral("UserIP")).toString();
    QCOMPARE(addresses.join(u' '), QStringLiteral("127.0.0.2 127.0.0.3 127.0.0.4 127.0.0.5 "
                                                  "127.0.0.6 127.0.0.7 127.0.0.8 127.0.0.9"));

    // A second run keeps the existing database as it is.
    const QByteArray before = digest(path);
    QVERIFY(CreateDemoDatabase(path, &message));
    QCOMPARE(digest(path), before);
    QCOMPARE(home.logEntryCount(), 0);
}

QTEST_GUILESS_MAIN(tst_Schema)
#include "tst_schema.moc"
