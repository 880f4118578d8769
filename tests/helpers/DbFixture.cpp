#include "DbFixture.h"

#include "common/ArdentaError.h"
#include "db/ConnectionString.h"
#include "db/Database.h"
#include "db/Schema.h"

#include <atomic>
#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {
const QString sqlite = "sqlite";
const QString postgresql = "postgresql";
// The same two databases reached through unixODBC and the drivers Debian registers for them.
const QString odbcSqlite = "odbc-sqlite";
const QString odbcPostgresql = "odbc-postgresql";

// Values as the drivers read them: they take braces literally, so only a value that needs them
// gets them.
QString braced(const QString &value)
{
    if (!value.contains(u';') && !value.contains(u'{') && value.trimmed() == value)
        return value;
    return u'{' + QString(value).replace(u'}', "}}") + u'}';
}

QString odbcPostgreSqlString(const ConnectionSettings &pg)
{
    // No driver trace files in /tmp.
    QString text = QStringLiteral("Driver={PostgreSQL Unicode};CommLog=0;Debug=0;Database=") +
                   braced(pg.databaseName);
    if (!pg.hostName.isEmpty())
        text += QStringLiteral(";Servername=") + braced(pg.hostName);
    if (pg.port > 0)
        text += QStringLiteral(";Port=%1").arg(pg.port);
    if (!pg.userName.isEmpty())
        text += QStringLiteral(";UID=") + braced(pg.userName);
    if (!pg.password.isEmpty())
        text += QStringLiteral(";PWD=") + braced(pg.password);
    return text;
}

QString quoted(QString value)
{
    return u'\'' + value.replace(u'\'', "''") + u'\'';
}
} // namespace

QStringList Backends()
{
    return {sqlite, postgresql, odbcSqlite, odbcPostgresql};
}

void BackendRows()
{
    QTest::addColumn<QString>("engine");
    for (const QString &engine : Backends())
        QTest::newRow(qPrintable(engine)) << engine;
}

QTestData &AddBackendRow(const QString &name, const QString &engine)
{
    return QTest::newRow(qPrintable(name + u'@' + engine)) << engine;
}

void BackendDialectRows(const QList<int> &dialects)
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<int>("dialect");
    for (const QString &engine : Backends()) {
        for (int dialect : dialects)
            AddBackendRow(QStringLiteral("dialect%1").arg(dialect), engine) << dialect;
    }
}

DbFixture::DbFixture(const QString &engine, bool withSchema) : m_engine(engine)
{
    try {
        if (engine == sqlite || engine == odbcSqlite) {
            m_file = m_dir.filePath("t.sqlite");
            m_connection = engine == sqlite ? QStringLiteral("sqlite:") + m_file
                                            : QStringLiteral("Driver={SQLite3};Timeout=5000;"
                                                             "Database=") +
                                                  braced(m_file);
        } else if (engine == postgresql || engine == odbcPostgresql) {
            m_adminConnection = qEnvironmentVariable("ARDENTA_TEST_PG");
            if (m_adminConnection.isEmpty()) {
                m_problem = "ARDENTA_TEST_PG is not set; run the tests through "
                            "scripts/pg-test";
                // In CI a missing server is a failure.
                m_skipped = qEnvironmentVariable("CI").compare(u"true", Qt::CaseInsensitive) != 0;
                return;
            }
            static std::atomic<int> counter{0};
            m_databaseName = QStringLiteral("ardenta_t%1_%2")
                                 .arg(QCoreApplication::applicationPid())
                                 .arg(++counter);
            adminExec(QStringLiteral("CREATE DATABASE ") + m_databaseName);
            ConnectionSettings settings = ParseConnectionString(m_adminConnection);
            settings.databaseName = m_databaseName;
            m_connection = engine == postgresql ? PostgreSqlConnectionString(settings)
                                                : odbcPostgreSqlString(settings);
        } else {
            m_problem = QStringLiteral("unknown engine ") + engine;
            return;
        }
        if (withSchema && !InitDatabase(m_connection, &m_problem))
            return;
        m_ready = true;
    } catch (const std::exception &e) {
        m_problem = engine + QStringLiteral(" test database: ") + ErrorText(e);
    }
}

DbFixture::~DbFixture()
{
    if (m_databaseName.isEmpty())
        return;
    try {
        adminExec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_databaseName));
    } catch (const std::exception &e) {
        qWarning("could not drop %s: %s", qPrintable(m_databaseName), e.what());
    }
}

void DbFixture::exec(const QString &sql) const
{
    rows(sql);
}

void DbFixture::adminExec(const QString &sql) const
{
    WithConnection(m_adminConnection, [&sql](QSqlDatabase &db) {
        QSqlQuery query(db);
        ExecStatement(query, sql);
    });
}

QList<QVariantList> DbFixture::rows(const QString &sql) const
{
    QList<QVariantList> result;
    WithConnection(m_connection, [&](QSqlDatabase &db) {
        QSqlQuery query(db);
        ExecStatement(query, sql);
        while (query.next()) {
            QVariantList row;
            for (int i = 0; i < query.record().count(); ++i)
                row << (query.isNull(i) ? QVariant() : query.value(i));
            result << row;
        }
    });
    return result;
}

QVariant DbFixture::scalar(const QString &sql) const
{
    return rows(sql).value(0).value(0);
}

int DbFixture::count(const QString &table) const
{
    return scalar(QStringLiteral("Select Count(*) From ") + table).toInt();
}

void DbFixture::addStaff(const QStringList &fields) const
{
    // The test's own column list: a wrong entry in the module's field table must not be copied.
    static const QStringList names =
        QStringLiteral("Clerk_NO Clerk_Ext Clerk_UserName Clerk_Dept Clerk_Address Clerk_Phone "
                       "Clerk_Mobile Clerk_Email Clerk_IP Clerk_QQ Clerk_MSN Clerk_SKP "
                       "Clerk_Computer Clerk_Memo")
            .split(u' ');
    QStringList values;
    for (const QString &value : fields)
        values << quoted(value);
    exec(QStringLiteral("INSERT INTO Clerk(%1) VALUES(%2)")
             .arg(names.mid(0, fields.size()).join(u','), values.join(u',')));
}

void DbFixture::addNames(const QStringList &userNames) const
{
    for (const QString &name : userNames)
        addStaff({QString(), QString(), name});
}

QList<QStringList> DbFixture::staff() const
{
    QList<QStringList> result;
    for (const QVariantList &row : rows("SELECT * FROM Vw_Clerk")) {
        QStringList texts;
        for (const QVariant &value : row)
            texts << (value.isNull() ? QString() : value.toString());
        result << texts;
    }
    return result;
}

void DbFixture::addNotice(const QString &time, const QString &publisher,
                          const QString &content) const
{
    exec(QStringLiteral("Insert Into Notice(Notice_DateTime,Notice_Publisher,Notice_Content) "
                        "Values(%1,%2,%3)")
             .arg(quoted(time), quoted(publisher), quoted(content)));
}

QString DbFixture::noticeId(const QString &content) const
{
    const auto found = rows(QStringLiteral("Select Notice_ID From Notice Where Notice_Content=") +
                            quoted(content));
    return found.isEmpty() ? QString() : found.first().value(0).toString();
}
