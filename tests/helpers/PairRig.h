#pragma once
// What the tests on a primary and its standby (scripts/pg-test --pair) share.

#include "db/Database.h"

#include <cstdlib>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

// The first value of a statement's first row, on a connection of its own; throws as
// WithConnection and ExecStatement do.
inline QVariant PairScalar(const QString &connection, const QString &sql)
{
    QVariant value;
    WithConnection(connection, [&](QSqlDatabase &db) {
        QSqlQuery query(db);
        ExecStatement(query, sql);
        if (query.next())
            value = query.value(0);
    });
    return value;
}

// Runs the rig's program that stops the primary ("stop fast", "stop immediate") or promotes
// the standby ("promote"), returning when done; false when it failed.
inline bool PairControl(const QByteArray &what)
{
    const QByteArray command = qgetenv("ARDENTA_TEST_PAIR_CONTROL") + ' ' + what;
    return std::system(command.constData()) == 0;
}
