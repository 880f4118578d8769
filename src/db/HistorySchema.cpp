#include "db/HistorySchema.h"

#include "db/Database.h"
#include "db/SchemaScript.h"
#include "db/SqlDialect.h"

#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

namespace {

const QString Added = QStringLiteral("the history of staff changes");

QString quotedName(QString name)
{
    return u'"' + name.replace(u'"', QStringLiteral("\"\"")) + u'"';
}

// The SQLite script with Clerk's columns as they are now filled in.
QString sqliteScript(const QSqlDatabase &db)
{
    const QSqlRecord clerk = db.record(QStringLiteral("Clerk"));
    QStringList newPairs;
    QStringList oldPairs;
    QStringList changed;
    for (int i = 0; i < clerk.count(); ++i) {
        QString name = clerk.fieldName(i);
        const QString column = quotedName(name);
        const QString key = u'\'' + name.replace(u'\'', QStringLiteral("''")) + u'\'';
        newPairs << key + QStringLiteral(", NEW.") + column;
        oldPairs << key + QStringLiteral(", OLD.") + column;
        changed << QStringLiteral("OLD.%1 IS NOT NEW.%1").arg(column);
    }
    return ReadSchemaScript(QStringLiteral(":/schema/sqlite-history.sql"))
        .replace(QLatin1String("{columns:NEW}"), newPairs.join(QStringLiteral(", ")))
        .replace(QLatin1String("{columns:OLD}"), oldPairs.join(QStringLiteral(", ")))
        .replace(QLatin1String("{changed}"), changed.join(QStringLiteral(" OR ")));
}

} // namespace

QString KeepClerkHistoryPostgreSql(QSqlDatabase &db, SqlEngine)
{
    const QString script = ReadSchemaScript(QStringLiteral(":/schema/postgresql-history.sql"));
    QSqlQuery probe(db);
    ExecStatement(
        probe,
        QStringLiteral("Select p.prosrc, (Select Count(*) From pg_trigger t Where t.tgfoid=p.oid "
                       "And t.tgrelid=to_regclass('clerk') And t.tgname In ('clerk_history',"
                       "'clerk_history_update')), p.proconfig Is Not Null, "
                       "to_regclass('clerk_history') Is Not Null And "
                       "to_regclass('ix_clerk_history_clerk') Is Not Null And "
                       "to_regclass('ix_clerk_history_deleted') Is Not Null "
                       "From pg_proc p Where p.oid=to_regprocedure('ardenta_clerk_history()')"));
    const bool current = probe.next() && script.contains(probe.value(0).toString().trimmed()) &&
                         probe.value(1).toInt() == 2 && probe.value(2).toBool() &&
                         probe.value(3).toBool();
    probe.finish();
    if (current)
        return {};
    RunScriptStatements(db, script);
    return Added;
}

QString KeepClerkHistorySqlite(QSqlDatabase &db, SqlEngine)
{
    const QString script = sqliteScript(db);
    QSet<QString> wanted;
    for (const QString &statement : SplitScript(script)) {
        if (statement.startsWith(QLatin1String("CREATE TRIGGER")))
            wanted << statement;
    }
    QSqlQuery probe(db);
    ExecStatement(probe, QStringLiteral("Select sql From sqlite_master Where type='trigger' And "
                                        "lower(name) Like 'clerk\\_history\\_%' Escape '\\' "
                                        "Union All Select sql From sqlite_master Where "
                                        "type='table' And lower(name)='clerk_history'"));
    QSet<QString> present;
    bool table = false;
    while (probe.next()) {
        const QString sql = probe.value(0).toString();
        table = table || !sql.startsWith(QLatin1String("CREATE TRIGGER"));
        present << sql;
    }
    probe.finish();
    if (table && present.size() == wanted.size() + 1 && present.contains(wanted))
        return {};
    RunScriptStatements(db, script);
    return Added;
}
