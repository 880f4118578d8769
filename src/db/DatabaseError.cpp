#include "db/DatabaseError.h"

#include "db/ConnectionPool.h"

#include <QSqlDatabase>
#include <QSqlError>

DatabaseError::DatabaseError(const QSqlError &error)
    : ArdentaError(DatabaseErrorText(error)), m_sqlState(error.nativeErrorCode())
{
}

bool DatabaseError::connectionGone(const QSqlDatabase &db) const
{
    if (m_sqlState.isEmpty())
        return !db.isOpen(); // the PostgreSQL driver asks libpq whether it is still connected
    return m_sqlState.startsWith(QLatin1String("08")) || m_sqlState == QLatin1String("57P01") ||
           m_sqlState == QLatin1String("57P02") || m_sqlState == QLatin1String("57P03") ||
           m_sqlState == QLatin1String("25006");
}
