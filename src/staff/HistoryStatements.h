#pragma once
// The SQL text the staff window sends to Clerk_History, which PostgreSQL and SQLite databases
// made by ardenta --init-db keep: one row per insert, change and delete of a Clerk row.

#include <QString>

class HistoryStatements
{
public:
    // Runs where the history exists and this login may read it, and fails elsewhere.
    static QString Probe();

    // A row's history, newest first: History_Time, History_User, History_Kind, History_Before,
    // History_After. key must be a plain whole number.
    static QString Changes(const QString &key);

    // The rows deleted from the directory and not put back since, newest first: Clerk_ID,
    // History_Time, History_User, History_Kind, History_Before.
    static QString Deleted();
};
