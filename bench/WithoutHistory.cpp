#include "WithoutHistory.h"

#include "BenchSupport.h"
#include "db/Schema.h"

#include <QStringList>

WithoutHistory::WithoutHistory(const QString &connection, bool postgres) : m_connection(connection)
{
    const QStringList drop = postgres ? QStringList{"Drop Trigger clerk_history On Clerk",
                                                    "Drop Trigger clerk_history_update On Clerk"}
                                      : QStringList{"Drop Trigger Clerk_History_Insert",
                                                    "Drop Trigger Clerk_History_Update",
                                                    "Drop Trigger Clerk_History_Delete"};
    for (const QString &statement : drop)
        ExecSql(connection, statement);
}

WithoutHistory::~WithoutHistory()
{
    QString message;
    if (!InitDatabase(m_connection, &message))
        qWarning("The history was not put back: %s", qPrintable(message));
}
