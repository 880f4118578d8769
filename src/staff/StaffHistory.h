#pragma once
// What the history of the staff directory says, read for the staff window: a row's changes, and
// the rows deleted and not put back. Each entry holds the row before and after as the database's
// triggers wrote it (JSON text), read here into field values. The history is optional: where it
// does not exist, or this login may not read it, Readable says so without a word in the log.
// Reads nothing of the session: the window passes the connection.

#include <QString>
#include <QVariant>
#include <vector>

class StaffHistory
{
public:
    enum class Kind { Added, Changed, Deleted };

    struct Entry
    {
        QString Key;  // Clerk_ID
        QString Time; // the module's general date form
        QString User; // empty where the database knows no users (SQLite)
        Kind What = Kind::Changed;
        // By ClerkFields index (null where the row held nothing); empty before an insert and
        // after a delete.
        std::vector<QVariant> Before;
        std::vector<QVariant> After;

        // The fields the entry is about: those that changed, or those that held something when
        // the row was added or deleted.
        std::vector<int> Fields() const;
    };

    static bool Readable(const QString &strConnection);
    // Newest first. False when the history could not be read (logged).
    static bool Changes(const QString &strConnection, const QString &key,
                        std::vector<Entry> *entries);
    static bool Deleted(const QString &strConnection, std::vector<Entry> *entries);

    // A row as an entry's JSON text holds it, by ClerkFields index; a field it lacks, and text
    // that is no JSON object, give null.
    static std::vector<QVariant> Values(const QString &json);
};
