#pragma once
// The SQL dialect the module writes, as the host's intDBType names it: 0 the Transact-SQL of SQL
// Server (batches, Getdate()), 1 the SQL of Jet (one statement per call, #date# literals). The
// host's number is checked once, where ShowForm stores it; past that edge no other value exists.

#include <optional>
#include <QtGlobal>

enum class DBType : qint16 { TransactSql = 0, Jet = 1 };

// The dialect a host's number names; nothing for any other number.
constexpr std::optional<DBType> ToDBType(qint16 intDBType)
{
    switch (intDBType) {
    case qint16(DBType::TransactSql):
        return DBType::TransactSql;
    case qint16(DBType::Jet):
        return DBType::Jet;
    default:
        return std::nullopt;
    }
}
