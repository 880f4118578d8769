#pragma once
// The notice window's writes: a new notice, a change of a notice's text, a delete. A save of a
// new notice that failed may have committed all the same (the connection dropped), so the next
// save of that notice looks for it first, among the publisher's notices since, by every text a
// failed save may have stored, and changes it rather than insert it a second time. A change or
// delete that touched no row reads the notice again: gone, or left alone by the database. Reads
// nothing of the session; logs under the window's names (SaveData, DeleteData of frmNotice), as
// the original's routines did inside the window. A connection that cannot be made throws.

#include "common/DBType.h"

#include <optional>
#include <QString>
#include <QStringList>

class NoticeStore
{
public:
    enum class Outcome {
        Done,
        Failed,  // the database refused it with an error, or could not be asked (logged)
        Refused, // it changed no row, and the notice is still there or could not be read
        Gone     // it changed no row: the notice is no longer there
    };

    // Stores the text as a new notice of the publisher; *storedId: its key. highestListed: the
    // highest key the list shows, where a failed save's notice would be looked for. *sql: the
    // statement, set before it runs, for the caller's log.
    Outcome SaveNew(const QString &connection, DBType dialect, const QString &publisher,
                    const QString &text, qint64 highestListed, QString *storedId, QString *sql);
    // What is composed from here on is another notice.
    void NewNotice() { m_maybeStored.reset(); }

    // key: a plain whole number (IsPlainWholeNumber).
    Outcome Change(const QString &connection, const QString &key, const QString &text,
                   QString *sql);
    Outcome Delete(const QString &connection, const QString &key, QString *sql);

    // The database's words on the last write, taken right after it (LastDatabaseFailure).
    const QString &Reason() const { return m_reason; }

private:
    bool newNoticeStatement(const QString &connection, DBType dialect, const QString &publisher,
                            const QString &text, QString *sql, QString *storedId) const;
    bool storeNew(const QString &connection, DBType dialect, const QString &sql, QString *storedId);
    Outcome write(const QString &connection, const QString &key, const QString &sql,
                  const QString &procedure);
    bool gone(const QString &connection, const QString &key, const QString &sql,
              const QString &procedure) const;

    // A new notice whose save failed, perhaps only after its commit: every text a failed save
    // may have stored, and the highest key listed before the first.
    struct MaybeStored
    {
        QStringList Texts;
        qint64 AfterId;
    };
    std::optional<MaybeStored> m_maybeStored;
    QString m_reason;
};
