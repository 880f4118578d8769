#include "Database.h"

#include "ArdentaError.h"
#include "ConnectionString.h"
#include "Convert.h"
#include "ErrLog.h"
#include "Recordset.h"
#include "Session.h"
#include "SqlDialect.h"

#include <atomic>
#include <optional>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

QString nextConnectionName()
{
    static std::atomic<quint64> counter{0};
    return QStringLiteral("QLX_Ardenta-%1").arg(++counter);
}

// The database's own words, first line only: PostgreSQL adds position hints below it.
QString errorText(const QSqlError &error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    text = text.section(QLatin1Char('\n'), 0, 0).trimmed();
    if (text.startsWith(QLatin1String("ERROR:")))
        text = text.mid(6).trimmed();
    return text.isEmpty() ? QStringLiteral("Unknown database error") : text;
}

void configure(QSqlDatabase &db, const ConnectionSettings &settings)
{
    db.setDatabaseName(settings.databaseName);
    if (!settings.hostName.isEmpty())
        db.setHostName(settings.hostName);
    if (settings.port > 0)
        db.setPort(settings.port);
    if (!settings.userName.isEmpty())
        db.setUserName(settings.userName);
    if (!settings.password.isEmpty())
        db.setPassword(settings.password);
    QString options = settings.connectOptions;
    if (settings.backend == DbBackend::SQLite)
        options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"); // other users may be writing
    if (!options.isEmpty())
        db.setConnectOptions(options);
}

} // namespace

void WithConnection(const QString &connection, const std::function<void(QSqlDatabase &)> &work,
                    bool createFile)
{
    const ConnectionSettings settings = ParseConnectionString(connection);
    if (!settings.isValid())
        throw ConnectionError(settings.error);
    if (settings.backend == DbBackend::SQLite && !createFile &&
        settings.databaseName != QLatin1String(":memory:") &&
        !QFileInfo::exists(settings.databaseName))
        throw ConnectionError(
            QStringLiteral("The database file \"%1\" does not exist.").arg(settings.databaseName));
    if (!QSqlDatabase::isDriverAvailable(settings.driver))
        throw ConnectionError(
            QStringLiteral("The Qt SQL driver %1 is not installed.").arg(settings.driver));

    const QString name = nextConnectionName();
    // Every QSqlDatabase and QSqlQuery of this name must be gone before removeDatabase.
    std::exception_ptr failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(settings.driver, name);
        configure(db, settings);
        try {
            if (!db.open())
                throw ConnectionError(errorText(db.lastError()));
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
        throw ArdentaError(errorText(query.lastError()));
}

std::shared_ptr<Recordset> ReadRecordset(QSqlQuery &query)
{
    if (!query.isSelect())
        return std::make_shared<Recordset>();
    const QSqlRecord record = query.record();
    QStringList columns;
    for (int i = 0; i < record.count(); ++i)
        columns << record.fieldName(i);
    auto rows = std::make_shared<Recordset>(columns, std::vector<QVariant>());
    QVariantList values(record.count());
    while (query.next()) {
        for (int i = 0; i < record.count(); ++i) {
            if (query.isNull(i)) {
                values[i] = QVariant();
                continue;
            }
            values[i] = query.value(i);
        }
        rows->appendRecord(values);
    }
    if (query.lastError().isValid())
        throw ArdentaError(errorText(query.lastError()));
    rows->MoveFirst();
    return rows;
}

std::shared_ptr<Recordset> GetRecordset(const QString &strSQL)
{
    const QString statement = TrimBlanks(strSQL);
    if (statement.isEmpty() || Session().gstrConnection.trimmed().isEmpty())
        return nullptr;
    try {
        std::shared_ptr<Recordset> result;
        WithConnection(Session().gstrConnection, [&](QSqlDatabase &db) {
            const SqlEngine engine = EngineOf(db);
            QSqlQuery query(db);
            query.setForwardOnly(true);
            // A batch answers with the rows of its first query, as the original's Execute did.
            for (const QString &piece : AdaptBatch(statement, engine)) {
                ExecStatement(query, piece);
                if (!result && query.isSelect())
                    result = ReadRecordset(query);
            }
            if (!result)
                result = std::make_shared<Recordset>();
        });
        return result;
    } catch (const std::exception &e) {
        LogFailure(e, QStringLiteral("GetRecordset"), QStringLiteral("QLX_Ardenta"),
                   MaskPasswords(Session().gstrConnection) + QLatin1Char(':') + strSQL);
        return nullptr;
    }
}

bool ExcuteSQL(const QString &strSQL)
{
    if (Session().gstrConnection.trimmed().isEmpty())
        return false;
    if (TrimBlanks(strSQL).isEmpty())
        return true;

    std::optional<QString> failure;
    WithConnection(Session().gstrConnection, [&](QSqlDatabase &db) {
        // Failing to begin is a connection failure: it travels, unlogged. (An ODBC source
        // without transactions runs the statement on its own.)
        const bool transactions = db.driver()->hasFeature(QSqlDriver::Transactions);
        if (transactions && !db.transaction())
            throw ConnectionError(errorText(db.lastError()));
        try {
            const SqlEngine engine = EngineOf(db);
            QSqlQuery query(db);
            for (const QString &statement : AdaptBatch(strSQL, engine))
                ExecStatement(query, statement);
            query.finish();
            if (transactions && !db.commit())
                throw ArdentaError(errorText(db.lastError()));
        } catch (const std::exception &e) {
            failure = ErrorText(e);
            if (transactions)
                db.rollback();
        }
    });
    if (!failure)
        return true;
    WriteErrLog(*failure, QStringLiteral("ExcuteSQL"), QStringLiteral("modPublic"), strSQL);
    return false;
}
