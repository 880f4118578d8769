#include "Database.h"

#include "ArdentaError.h"
#include "ConnectionString.h"
#include "ConnectionPool.h"
#include "Convert.h"
#include "ErrLog.h"
#include "Recordset.h"
#include "Session.h"
#include "SqlDialect.h"

#include <utility>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

void WithConnection(const QString &connection, const std::function<void(QSqlDatabase &)> &work,
                    bool createFile)
{
    const QString name = UniqueConnectionName();
    // Every QSqlDatabase and QSqlQuery of this name must be gone before removeDatabase.
    std::exception_ptr failure;
    {
        QSqlDatabase db = OpenDatabase(ParseConnectionString(connection), name, createFile);
        try {
            work(db);
        } catch (...) {
            failure = std::current_exception();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (failure)
        std::rethrow_exception(failure);
}

SqlEngine EngineOf(const QSqlDatabase &db)
{
    switch (db.driver()->dbmsType()) {
    case QSqlDriver::SQLite:
        return SqlEngine::SQLite;
    case QSqlDriver::PostgreSQL:
        return SqlEngine::PostgreSQL;
    default:
        return SqlEngine::Passthrough;
    }
}

void ExecStatement(QSqlQuery &query, const QString &statement)
{
    if (!query.exec(statement))
        throw ArdentaError(DatabaseErrorText(query.lastError()));
}

std::shared_ptr<Recordset> ReadRecordset(QSqlQuery &query)
{
    if (!query.isSelect())
        return std::make_shared<Recordset>();
    const QSqlRecord record = query.record();
    QStringList columns;
    for (int i = 0; i < record.count(); ++i)
        columns << record.fieldName(i);
    auto rows = std::make_shared<Recordset>(columns);
    const int count = record.count();
    while (query.next()) {
        for (int i = 0; i < count; ++i)
            rows->column(i).append(query.value(i)); // a database null reads as a null variant
    }
    if (query.lastError().isValid())
        throw ArdentaError(DatabaseErrorText(query.lastError()));
    rows->MoveFirst();
    return rows;
}

namespace {

// Runs work in one transaction on the kept connection. Beginning is the first thing a call
// sends: when that fails on a connection kept from an earlier call, the connection is taken for
// broken and the call begins once more on a fresh one. Failing to open, or to begin on a fresh
// connection, throws ConnectionError. A failure inside work is rolled back and rethrown.
void InTransaction(const QString &connection,
                   const std::function<void(QSqlDatabase &, SqlEngine)> &work)
{
    bool reused = false;
    QSqlDatabase db = ConnectionPool::Take(connection, &reused);
    // A source without transactions (some ODBC drivers) runs each statement on its own.
    const bool transactions = db.driver()->hasFeature(QSqlDriver::Transactions);
    if (transactions && !db.transaction()) {
        if (!reused)
            throw ConnectionError(DatabaseErrorText(db.lastError()));
        db = QSqlDatabase();
        ConnectionPool::Discard(connection);
        db = ConnectionPool::Take(connection, &reused);
        if (!db.transaction())
            throw ConnectionError(DatabaseErrorText(db.lastError()));
    }
    try {
        work(db, EngineOf(db));
        if (transactions && !db.commit())
            throw ArdentaError(DatabaseErrorText(db.lastError()));
    } catch (...) {
        if (transactions)
            db.rollback();
        throw;
    }
}

} // namespace

std::shared_ptr<Recordset> GetRecordset(const QString &strSQL)
{
    const QString statement = TrimBlanks(strSQL);
    const QString &connection = Session().gstrConnection;
    if (statement.isEmpty() || connection.trimmed().isEmpty())
        return nullptr;
    try {
        std::shared_ptr<Recordset> result;
        InTransaction(connection, [&](QSqlDatabase &db, SqlEngine engine) {
            QSqlQuery query(db);
            query.setForwardOnly(true);
            // A batch answers with the rows of its first query, as the original's Execute did.
            for (const QString &piece : AdaptBatch(statement, engine)) {
                ExecStatement(query, piece);
                if (!result && query.isSelect())
                    result = ReadRecordset(query);
            }
        });
        return result ? result : std::make_shared<Recordset>();
    } catch (const std::exception &e) {
        LogFailure(e, QStringLiteral("GetRecordset"), QStringLiteral("QLX_Ardenta"),
                   MaskPasswords(connection) + QLatin1Char(':') + strSQL);
        return nullptr;
    }
}

bool ExcuteBatch(const std::function<QString()> &next, const std::function<QString()> &wholeText)
{
    const QString &connection = Session().gstrConnection;
    if (connection.trimmed().isEmpty())
        return false;
    QString statement = next();
    if (statement.isNull())
        return true;
    try {
        InTransaction(connection, [&](QSqlDatabase &db, SqlEngine engine) {
            QSqlQuery query(db);
            for (; !statement.isNull(); statement = next()) {
                for (const QString &piece : AdaptBatch(statement, engine))
                    ExecStatement(query, piece);
            }
            query.finish();
        });
        return true;
    } catch (const ConnectionError &) {
        throw;
    } catch (const std::exception &e) {
        LogFailure(e, QStringLiteral("ExcuteSQL"), QStringLiteral("modPublic"), wholeText());
        return false;
    }
}

bool ExcuteSQL(const QString &strSQL)
{
    if (Session().gstrConnection.trimmed().isEmpty())
        return false;
    if (TrimBlanks(strSQL).isEmpty())
        return true;
    bool given = false;
    return ExcuteBatch([&]() { return std::exchange(given, true) ? QString() : strSQL; },
                       [&]() { return strSQL; });
}
