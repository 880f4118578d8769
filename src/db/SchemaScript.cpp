#include "db/SchemaScript.h"

#include "common/ArdentaError.h"
#include "db/Database.h"
#include "db/SqlDialect.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

QString ReadSchemaScript(const QString &resource)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        throw ArdentaError(QStringLiteral("The schema script %1 is missing.").arg(resource));
    return QString::fromUtf8(file.readAll());
}

void RunScriptStatements(QSqlDatabase &db, const QString &script)
{
    QSqlQuery query(db);
    for (const QString &statement : SplitScript(script))
        ExecStatement(query, statement);
}

void RunSchemaScript(QSqlDatabase &db, const QString &resource)
{
    const QString script = ReadSchemaScript(resource);
    if (!db.transaction())
        throw ArdentaError(db.lastError().text());
    try {
        RunScriptStatements(db, script);
        if (!db.commit())
            throw ArdentaError(db.lastError().text());
    } catch (...) {
        db.rollback();
        throw;
    }
}
