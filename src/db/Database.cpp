#include "db/Database.h"

#include "common/ArdentaError.h"
#include "common/Convert.h"
#include "common/ErrLog.h"
#include "db/ConnectionPool.h"
#include "db/ConnectionString.h"
#include "db/DatabaseError.h"
#include "db/Recordset.h"
#include "db/SqlDialect.h"

#include <dlfcn.h>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <utility>

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

namespace {

// SQLGetInfo from the ODBC driver manager that Qt's ODBC plugin has loaded. Looked up rather than
// linked, so that the module needs no ODBC library where ODBC is never used.
QString OdbcDbmsName(const QSqlDatabase &db)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || handle.metaType().sizeOf() != int(sizeof(void *)))
        return QString();
    void *connection = *static_cast<void *const *>(handle.constData());
    void *manager = dlopen("libodbc.so.2", RTLD_LAZY | RTLD_NOLOAD);
    if (!connection || !manager)
        return QString();
    // SQLRETURN SQLGetInfo(SQLHDBC, SQLUSMALLINT, SQLPOINTER, SQLSMALLINT, SQLSMALLINT *)
    using GetInfo = short (*)(void *, unsigned short, void *, short, short *);
    constexpr unsigned short SqlDbmsName = 17;
    QString name;
    if (const auto getInfo = reinterpret_cast<GetInfo>(dlsym(manager, "SQLGetInfo"))) {
        char text[256] = {};
        short length = 0;
        const short result = getInfo(connection, SqlDbmsName, text, short(sizeof text), &length);
        if (result == 0 || result == 1) // SQL_SUCCESS, SQL_SUCCESS_WITH_INFO
            name = QString::fromUtf8(text);
    }
    dlclose(manager);
    return name;
}

SqlEngine EngineBehindOdbc(const QSqlDatabase &db)
{
    const QString name = OdbcDbmsName(db);
    if (name.startsWith(QLatin1String("SQLite"), Qt::CaseInsensitive))
        return SqlEngine::SQLite;
    if (name.startsWith(QLatin1String("PostgreSQL"), Qt::CaseInsensitive))
        return SqlEngine::PostgreSQL;
    return SqlEngine::Passthrough;
}

} // namespace

SqlEngine EngineOf(const QSqlDatabase &db)
{
    switch (db.driver()->dbmsType()) {
    case QSqlDriver::SQLite:
        return SqlEngine::SQLite;
    case QSqlDriver::PostgreSQL:
        return SqlEngine::PostgreSQL;
    default:
        break;
    }
    if (db.driverName() != QLatin1String("QODBC"))
        return SqlEngine::Passthrough;
    // Asked once per connection; the answer lives as long as the driver.
    static const char *const key = "ardentaEngine";
    const QVariant known = db.driver()->property(key);
    if (known.isValid())
        return SqlEngine(known.toInt());
    const SqlEngine engine = EngineBehindOdbc(db);
    db.driver()->setProperty(key, int(engine));
    return engine;
}

void ExecStatement(QSqlQuery &query, const QString &statement)
{
    if (!query.exec(statement))
        throw DatabaseError(query.lastError());
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
        throw DatabaseError(query.lastError());
    rows->MoveFirst();
    return rows;
}

namespace {

// A failure that took the connection, or the server's role, with it; the kept connection has
// been discarded, so the next call starts on a fresh one.
class ConnectionLost : public DatabaseError
{
public:
    explicit ConnectionLost(const DatabaseError &error) : DatabaseError(error) {}
};

// Why the last call on this thread failed, for the caller's message.
QString &lastFailure()
{
    thread_local QString text;
    return text;
}

void noteFailure(const std::exception &error, const QString &connection)
{
    lastFailure() = MaskPasswordsIn(ErrorText(error), connection);
}

void discard(QSqlDatabase &db, const QString &connection)
{
    db = QSqlDatabase();
    ConnectionPool::Discard(connection);
}

// Tells PostgreSQL the operator declared for the string, when the connection was not told that
// one yet: outside any transaction, so that it stays for the session. False with *error when
// the connection did not take it.
bool declareOperator(QSqlDatabase &db, const QString &connection, QString *error)
{
    static const char *const told = "ardentaOperator";
    const QString wanted = ConnectionPool::DeclaredOperator(connection);
    const QVariant known = db.driver()->property(told);
    if (known.isValid() ? known.toString() == wanted : wanted.isEmpty())
        return true;
    if (EngineOf(db) == SqlEngine::PostgreSQL) {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("Select set_config('ardenta.operator', ?, false)"));
        query.addBindValue(wanted);
        if (!query.exec()) {
            *error = DatabaseErrorText(query.lastError());
            return false;
        }
    }
    db.driver()->setProperty(told, wanted);
    return true;
}

// The kept connection, told the operator, in a transaction when it has them.
bool ready(QSqlDatabase &db, const QString &connection, bool transactions, QString *error)
{
    if (!declareOperator(db, connection, error))
        return false;
    if (transactions && !db.transaction()) {
        *error = DatabaseErrorText(db.lastError());
        return false;
    }
    return true;
}

// Begins a transaction on the kept connection. Beginning is the first thing a call sends: when
// that fails on a connection kept from an earlier call, the connection is taken for broken and
// the call begins once more on a fresh one. Failing to open, or to begin on a fresh
// connection, throws ConnectionError.
QSqlDatabase begin(const QString &connection, bool *transactions)
{
    bool reused = false;
    QSqlDatabase db = ConnectionPool::Take(connection, &reused);
    // A source without transactions (some ODBC drivers) runs each statement on its own.
    *transactions = db.driver()->hasFeature(QSqlDriver::Transactions);
    QString error;
    if (!ready(db, connection, *transactions, &error)) {
        if (!reused)
            throw ConnectionError(error);
        discard(db, connection);
        db = ConnectionPool::Take(connection, &reused);
        if (!ready(db, connection, *transactions, &error))
            throw ConnectionError(error);
    }
    return db;
}

// Runs work in one transaction on the kept connection (see begin). A failure inside work is
// rolled back and rethrown; one that lost the connection or the server's role discards the
// connection and is rethrown as ConnectionLost.
void InTransaction(const QString &connection,
                   const std::function<void(QSqlDatabase &, SqlEngine)> &work)
{
    bool transactions = false;
    QSqlDatabase db = begin(connection, &transactions);
    // ODBC drivers begin without asking the server, so a lost connection shows only as a
    // failed statement: this call fails, the next one starts on a fresh connection.
    const bool odbc = db.driverName() == QLatin1String("QODBC");
    try {
        work(db, EngineOf(db));
        if (transactions && !db.commit())
            throw DatabaseError(db.lastError());
    } catch (const DatabaseError &e) {
        if (e.connectionGone(db)) {
            discard(db, connection); // closing it rolls back
            throw ConnectionLost(e);
        }
        if (transactions)
            db.rollback();
        if (odbc)
            discard(db, connection);
        throw;
    } catch (...) {
        if (transactions)
            db.rollback();
        if (odbc)
            discard(db, connection);
        throw;
    }
}

} // namespace

QString LastDatabaseFailure()
{
    return lastFailure();
}

std::shared_ptr<Recordset> GetRecordset(const QString &strConnection, const QString &strSQL)
{
    lastFailure().clear();
    const QString statement = TrimBlanks(strSQL);
    const QString &connection = strConnection;
    if (statement.isEmpty() || connection.trimmed().isEmpty())
        return nullptr;
    const auto read = [&]() {
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
    };
    try {
        try {
            return read();
        } catch (const ConnectionLost &) {
            return read(); // once, on a fresh connection: reading twice changes nothing
        }
    } catch (const std::exception &e) {
        noteFailure(e, connection);
        LogFailure(e, QStringLiteral("GetRecordset"), QStringLiteral("QLX_Ardenta"),
                   MaskPasswords(connection) + QLatin1Char(':') + strSQL);
        return nullptr;
    }
}

bool QueryRuns(const QString &strConnection, const QString &strSQL)
{
    lastFailure().clear();
    if (strConnection.trimmed().isEmpty())
        return false;
    try {
        InTransaction(strConnection, [&](QSqlDatabase &db, SqlEngine engine) {
            QSqlQuery query(db);
            for (const QString &piece : AdaptBatch(strSQL, engine))
                ExecStatement(query, piece);
        });
        return true;
    } catch (const std::exception &) {
        return false; // the answer, not a failure
    }
}

namespace {

// A write in one transaction, never repeated here: its commit may have happened before the
// connection dropped. A failure to connect travels on unlogged; any other is logged as the
// original's ExcuteSQL logs one, its detail the text wholeText() builds, called only then.
bool Write(const QString &connection, const std::function<QString()> &wholeText,
           const std::function<void(QSqlDatabase &, SqlEngine)> &work)
{
    try {
        InTransaction(connection, work);
        return true;
    } catch (const ConnectionError &e) {
        noteFailure(e, connection);
        throw;
    } catch (const std::exception &e) {
        noteFailure(e, connection);
        LogFailure(e, QStringLiteral("ExcuteSQL"), QStringLiteral("modPublic"), wholeText());
        return false;
    }
}

} // namespace

bool ExcuteBatch(const QString &strConnection, const std::function<QString()> &next,
                 const std::function<QString()> &wholeText,
                 const std::function<void(int rows)> &counted)
{
    lastFailure().clear();
    const QString &connection = strConnection;
    if (connection.trimmed().isEmpty())
        return false;
    QString statement = next();
    if (statement.isNull())
        return true;
    return Write(connection, wholeText, [&](QSqlDatabase &db, SqlEngine engine) {
        QSqlQuery query(db);
        for (; !statement.isNull(); statement = next()) {
            int rows = 0;
            for (const QString &piece : AdaptBatch(statement, engine)) {
                ExecStatement(query, piece);
                if (counted && query.numRowsAffected() < 0)
                    throw ArdentaError(QStringLiteral("The database did not say how many rows "
                                                      "the statement changed"));
                rows += counted ? query.numRowsAffected() : 0;
            }
            if (counted)
                counted(rows);
        }
        query.finish();
    });
}

namespace {

// The key an Insert just took, asked on its own connection and transaction.
qint64 InsertedKey(QSqlQuery &query, const QString &insert, const QString &keyColumn,
                   SqlEngine engine, DBType dialect)
{
    QString ask;
    switch (engine) {
    case SqlEngine::PostgreSQL:
        ExecStatement(query,
                      AdaptStatement(insert, engine) + QStringLiteral(" Returning ") + keyColumn);
        return query.next() ? query.value(0).toLongLong() : 0;
    case SqlEngine::SQLite:
        ask = QStringLiteral("Select last_insert_rowid()");
        break;
    case SqlEngine::Passthrough:
        if (dialect == DBType::TransactSql) {
            // Only the same batch sees the scope of the Insert.
            ExecStatement(query, insert + QStringLiteral(";Select SCOPE_IDENTITY()"));
            do {
                if (query.isSelect() && query.next())
                    return query.value(0).toLongLong();
            } while (query.nextResult());
            return 0;
        }
        ask = QStringLiteral("Select @@IDENTITY");
        break;
    }
    ExecStatement(query, AdaptStatement(insert, engine));
    ExecStatement(query, ask);
    return query.next() ? query.value(0).toLongLong() : 0;
}

} // namespace

bool ExcuteInsert(const QString &strConnection, const QString &strSQL, const QString &keyColumn,
                  DBType dialect, qint64 *newKey)
{
    lastFailure().clear();
    *newKey = 0;
    if (strConnection.trimmed().isEmpty())
        return false;
    return Write(
        strConnection, [&] { return strSQL; },
        [&](QSqlDatabase &db, SqlEngine engine) {
            QSqlQuery query(db);
            *newKey = InsertedKey(query, strSQL, keyColumn, engine, dialect);
            query.finish();
        });
}

bool ExcuteSQL(const QString &strConnection, const QString &strSQL)
{
    return ExcuteSQL(strConnection, strSQL, nullptr);
}

bool ExcuteSQL(const QString &strConnection, const QString &strSQL, int *rowsChanged)
{
    lastFailure().clear();
    if (strConnection.trimmed().isEmpty())
        return false;
    if (rowsChanged)
        *rowsChanged = 0;
    if (TrimBlanks(strSQL).isEmpty())
        return true;
    bool given = false;
    std::function<void(int)> counted;
    if (rowsChanged)
        counted = [rowsChanged](int rows) { *rowsChanged += rows; };
    return ExcuteBatch(
        strConnection, [&]() { return std::exchange(given, true) ? QString() : strSQL; },
        [&]() { return strSQL; }, counted);
}
