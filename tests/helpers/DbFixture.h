#pragma once
// Fresh databases for tests: a SQLite file in a temporary folder, or a PostgreSQL database of its
// own on the server named by ARDENTA_TEST_PG (scripts/pg-test), each reached directly or through
// ODBC. All get the module's schema.
// Service tests run on every backend; window tests on SQLite, adding backend rows only where
// the backend changes the outcome.

#include "common/Session.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QVariant>

// The backends a test can run on.
QStringList Backends();
// Adds the QString column "engine" and one row per backend; with a name, "<name>@<engine>" rows
// that the caller fills further.
void BackendRows();
QTestData &AddBackendRow(const QString &name, const QString &engine);
// The column "engine" and the int column "dialect": "dialect<N>@<engine>" for each of both.
void BackendDialectRows(const QList<int> &dialects);

class DbFixture
{
public:
    // withSchema false leaves the database empty (SQLite: the file does not exist yet).
    explicit DbFixture(const QString &engine = "sqlite", bool withSchema = true);
    ~DbFixture();
    DbFixture(const DbFixture &) = delete;
    DbFixture &operator=(const DbFixture &) = delete;

    bool ready() const { return m_ready; }
    // PostgreSQL is not configured here and this is not CI: the case is skipped.
    bool skipped() const { return m_skipped; }
    QString problem() const { return m_problem; }
    QString connection() const { return m_connection; }
    QString engine() const { return m_engine; }
    bool onPostgreSql() const { return m_engine.endsWith(u"postgresql"); } // or through ODBC
    QString sqliteFile() const { return m_file; }                          // "" on PostgreSQL

    // Direct access beside the module's services, for setting up and checking. exec throws.
    void exec(const QString &sql) const;
    QList<QVariantList> rows(const QString &sql) const;
    QVariant scalar(const QString &sql) const;
    int count(const QString &table) const;

    // A staff member: Clerk_NO, Clerk_Ext, Clerk_UserName, ... in the table's order; the rest
    // stay null. Several at once by user name.
    void addStaff(const QStringList &fields) const;
    void addNames(const QStringList &userNames) const;
    // Every row of Vw_Clerk as text, key first; a null field is a null QString.
    QList<QStringList> staff() const;
    void addNotice(const QString &time, const QString &publisher, const QString &content) const;
    // The key of the notice with this content, "" when there is none.
    QString noticeId(const QString &content) const;

private:
    void adminExec(const QString &sql) const;
    QString m_engine;
    QString m_connection;
    QString m_adminConnection; // PostgreSQL: where the test database was created
    QString m_databaseName;
    QTemporaryDir m_dir;
    QString m_file;
    bool m_ready = false;
    bool m_skipped = false;
    QString m_problem;
};

// Prepares `name` on the row's engine and points gstrConnection at it; skips or fails the test
// when the engine is not available. Make the TestHome first: it resets the session.
#define DB_FIXTURE_WITH(name, withSchema)                                                          \
    QFETCH(QString, engine);                                                                       \
    DbFixture name(engine, withSchema);                                                            \
    if (name.skipped())                                                                            \
        QSKIP(qPrintable(name.problem()));                                                         \
    QVERIFY2(name.ready(), qPrintable(name.problem()));                                            \
    Session().gstrConnection = name.connection()
#define DB_FIXTURE(name) DB_FIXTURE_WITH(name, true)
