#include "db/SchemaScript.h"

#include "common/ArdentaError.h"
#include "db/Database.h"
#include "db/SqlDialect.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

void RunSchemaScript(QSqlDatabase &db, const QString &resource)
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
