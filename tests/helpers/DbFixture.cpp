#include "DbFixture.h"

#include "ArdentaError.h"
#include "ConnectionString.h"
#include "Database.h"
#include "Schema.h"
#include "Session.h"

#include <atomic>
#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

namespace {

const QString sqlite = QStringLiteral("sqlite");
const QString postgresql = QStringLiteral("postgresql");

bool inCi()
{
    return qEnvironmentVariable("CI").compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

} // namespace

QStringList TestEngines()
{
    return {sqlite, postgresql};
}

void AddEngineColumn()
{
    QTest::addColumn<QString>("engine");
}

void AddEngineRows()
{
    for (const QString &engine : TestEngines())
        QTest::newRow(qPrintable(engine)) << engine;
}

QTestData &AddEngineRow(const QString &name, const QString &engine)
{
    return QTest::newRow(qPrintable(name + QLatin1Char('@') + engine)) << engine;
}

DbFixture::DbFixture(const QString &engine, bool withSchema) : m_engine(engine)
{
    QString message;
    try {
        if (engine == sqlite) {
            m_connection =
                QStringLiteral("sqlite:") + m_dir.filePath(QStringLiteral("test.sqlite"));
        } else if (engine == postgresql) {
            m_adminConnection = qEnvironmentVariable("ARDENTA_TEST_PG");
            if (m_adminConnection.isEmpty()) {
                m_problem = QStringLiteral("ARDENTA_TEST_PG is not set; run the tests through "
                                           "scripts/pg-test");
                m_skipped = !inCi();
                return;
            }
            static std::atomic<int> counter{0};
            m_databaseName = QStringLiteral("ardenta_t%1_%2")
                                 .arg(QCoreApplication::applicationPid())
                                 .arg(++counter);
            WithConnection(m_adminConnection, [this](QSqlDatabase &db) {
                QSqlQuery query(db);
                ExecStatement(query, QStringLiteral("CREATE DATABASE ") + m_databaseName);
            });
            ConnectionSettings settings = ParseConnectionString(m_adminConnection);
            settings.databaseName = m_databaseName;
            m_connection = PostgreSqlConnectionString(settings);
        } else {
            m_problem = QStringLiteral("unknown engine ") + engine;
            return;
        }
        if (withSchema && !InitDatabase(m_connection, &message)) {
            m_problem = message;
            return;
        }
        m_ready = true;
    } catch (const std::exception &e) {
        m_problem =
            QStringLiteral("%1 test database: %2").arg(engine, QString::fromStdString(e.what()));
    }
}

DbFixture::~DbFixture()
{
    if (m_databaseName.isEmpty() || m_adminConnection.isEmpty())
        return;
    try {
        WithConnection(m_adminConnection, [this](QSqlDatabase &db) {
            QSqlQuery query(db);
            ExecStatement(
                query,
                QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_databaseName));
        });
    } catch (const std::exception &e) {
        qWarning("could not drop %s: %s", qPrintable(m_databaseName), e.what());
    }
}

void DbFixture::exec(const QString &sql) const
{
    WithConnection(m_connection, [&sql](QSqlDatabase &db) {
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
    const auto found = rows(sql);
    if (found.isEmpty() || found.first().isEmpty())
        throw ArdentaError(QStringLiteral("no value from ") + sql);
    return found.first().first();
}

int DbFixture::count(const QString &table) const
{
    return scalar(QStringLiteral("Select Count(*) From ") + table).toInt();
}
