#pragma once
// A failure the database reported, with its SQLSTATE: what tells a connection or a server role
// that is gone from a statement the server refused.

#include "common/ArdentaError.h"

class QSqlDatabase;
class QSqlError;

class DatabaseError : public ArdentaError
{
public:
    // The database's own first line of the error, and its SQLSTATE where the driver gives one.
    explicit DatabaseError(const QSqlError &error);

    const QString &sqlState() const { return m_sqlState; }
    // Whether the connection it came from is of no further use: SQLSTATE class 08 (connection),
    // 57P01-57P03 (the server shut down or cannot take connections), 25006 (read-only: the
    // server is now a standby), or no SQLSTATE on a connection that is no longer open (the
    // server vanished, or closed the connection without a word).
    bool connectionGone(const QSqlDatabase &db) const;

private:
    QString m_sqlState;
};
