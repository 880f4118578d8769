#include "Schema.h"

#include "ArdentaError.h"
#include "Database.h"
#include "SqlDialect.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace {

const QStringList &schemaObjects()
{
    static const QStringList objects{QStringLiteral("Clerk"), QStringLiteral("Notice"),
                                     QStringLiteral("OnLine"), QStringLiteral("Vw_Clerk")};
    return objects;
}

QString scriptFor(SqlEngine engine)
{
    switch (engine) {
    case SqlEngine::SQLite:
        return QStringLiteral(":/schema/sqlite.sql");
    case SqlEngine::PostgreSQL:
        return QStringLiteral(":/schema/postgresql.sql");
    case SqlEngine::Passthrough:
        break;
    }
    return QStringLiteral(":/schema/sqlserver.sql");
}

// Asking for no rows works the same on every engine and needs no catalogue queries.
bool objectExists(QSqlDatabase &db, const QString &name)
{
    QSqlQuery query(db);
    return query.exec(QStringLiteral("Select * From ") + name + QStringLiteral(" Where 1=0"));
}

void runScript(QSqlDatabase &db, const QString &resource)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        throw ArdentaError(QStringLiteral("The schema script %1 is missing.").arg(resource));
    const QString script = QString::fromUtf8(file.readAll());
    if (!db.transaction())
        throw ArdentaError(db.lastError().text());
    try {
        QSqlQuery query(db);
        for (const QString &statement : SplitScript(script))
            ExecStatement(query, statement);
        query.finish();
        if (!db.commit())
            throw ArdentaError(db.lastError().text());
    } catch (...) {
        db.rollback();
        throw;
    }
}

} // namespace

bool InitDatabase(const QString &connection, QString *message)
{
    QString text;
    bool ok = false;
    try {
        WithConnection(
            connection,
            [&](QSqlDatabase &db) {
                QStringList present;
                QStringList missing;
                for (const QString &name : schemaObjects())
                    (objectExists(db, name) ? present : missing) << name;
                if (missing.isEmpty()) {
                    text = QStringLiteral("The database already has %1; nothing was changed.")
                               .arg(present.join(QStringLiteral(", ")));
                    ok = true;
                    return;
                }
                if (!present.isEmpty()) {
                    text = QStringLiteral("The database has %1 but lacks %2; it was left "
                                          "unchanged. Create the missing objects by hand or "
                                          "start from an empty database.")
                               .arg(present.join(QStringLiteral(", ")),
                                    missing.join(QStringLiteral(", ")));
                    return;
                }
                runScript(db, scriptFor(EngineOf(db)));
                text = QStringLiteral("Created the tables Clerk, Notice, OnLine and the view "
                                      "Vw_Clerk.");
                ok = true;
            },
            true);
    } catch (const std::exception &e) {
        text = QStringLiteral("The schema could not be created: ") + ErrorText(e);
        ok = false;
    }
    if (message)
        *message = text;
    return ok;
}
