#pragma once
// Fresh databases for tests: a SQLite file in a temporary folder, or a PostgreSQL database of
// its own on the server named by ARDENTA_TEST_PG (see scripts/pg-test). Both get the module's
// schema. Database tests run every case on both engines through the "engine" data column.

#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QVariant>

// Adds the QString column "engine" to the current _data() function.
void AddEngineColumn();
// Adds one row per engine: "sqlite" and "postgresql", or "<name>@sqlite" and "<name>@postgresql".
// Further columns of the row are filled by the caller with operator<< on the returned rows, so
// use AddEngineRow for rows that carry more data.
void AddEngineRows();
QTestData &AddEngineRow(const QString &name, const QString &engine);
QStringList TestEngines();

class DbFixture
{
public:
    // withSchema false leaves the database empty (SQLite: the file does not exist yet).
    explicit DbFixture(const QString &engine, bool withSchema = true);
    ~DbFixture();
    DbFixture(const DbFixture &) = delete;
    DbFixture &operator=(const DbFixture &) = delete;

    bool ready() const { return m_ready; }
    // PostgreSQL is not configured here and this is not CI: the case is skipped.
    bool skipped() const { return m_skipped; }
    QString problem() const { return m_problem; }
    QString connection() const { return m_connection; }
    QString engine() const { return m_engine; }

    // Direct access that does not go through the module's services, for setting up and checking.
    void exec(const QString &sql) const; // throws ArdentaError
    QList<QVariantList> rows(const QString &sql) const;
    QVariant scalar(const QString &sql) const;
    int count(const QString &table) const;

private:
    QString m_engine;
    QString m_connection;
    QString m_adminConnection; // PostgreSQL: where the test database was created
    QString m_databaseName;
    QTemporaryDir m_dir;
    bool m_ready = false;
    bool m_skipped = false;
    QString m_problem;
};

// Prepares `name` for the row's engine and points gstrConnection at it; skips or fails the test
// when the engine is not available. Create the TestHome before it (TestHome resets the session).
#define DB_FIXTURE(name) DB_FIXTURE_WITH(name, true)
#define DB_FIXTURE_WITH(name, withSchema)                                                          \
    QFETCH(QString, engine);                                                                       \
    DbFixture name(engine, withSchema);                                                            \
    if (name.skipped())                                                                            \
        QSKIP(qPrintable(name.problem()));                                                         \
    if (!name.ready())                                                                             \
        QFAIL(qPrintable(name.problem()));                                                         \
    gstrConnection = name.connection()
