#include "db/Schema.h"

#include "common/ArdentaError.h"
#include "db/ConnectionPool.h"
#include "db/Database.h"
#include "db/SchemaScript.h"
#include "db/SchemaUpgrade.h"
#include "db/SqlDialect.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>

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

// "added the trigger …" for what the upgrade added, or the alternative when nothing.
QString addedText(const QStringList &added, const QString &nothing)
{
    if (added.isEmpty())
        return nothing;
    return QStringLiteral("added ") + added.join(QStringLiteral(" and "));
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
                    text = QStringLiteral("The database already has %1; %2.")
                               .arg(present.join(QStringLiteral(", ")),
                                    addedText(UpgradeSchema(db),
                                              QStringLiteral("nothing was changed")));
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
                const QStringList added =
                    UpgradeSchema(db, ReadSchemaScript(scriptFor(EngineOf(db))));
                text = QStringLiteral("Created the tables Clerk, Notice, OnLine and the view "
                                      "Vw_Clerk%1.")
                           .arg(added.isEmpty() ? QString() : u"; " + addedText(added, {}));
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

bool CheckDatabase(const QString &connection, QString *message)
{
    bool ok = false;
    try {
        WithConnection(connection, [&](QSqlDatabase &db) {
            QStringList missing;
            for (const QString &name : schemaObjects()) {
                if (!objectExists(db, name))
                    missing << name;
            }
            ok = missing.isEmpty();
            *message = ok ? QStringLiteral("Connected; the tables and the view are there.")
                          : QStringLiteral("Connected, but the database lacks %1; ardenta "
                                           "--init-db creates them.")
                                .arg(missing.join(QStringLiteral(", ")));
        });
    } catch (const std::exception &e) {
        *message = ErrorText(e);
    }
    return ok;
}
