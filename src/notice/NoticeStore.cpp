#include "notice/NoticeStore.h"

#include "common/Clock.h"
#include "common/Convert.h"
#include "common/ErrLog.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "db/ValueFormat.h"
#include "notice/NoticeStatements.h"

namespace {
const QString ModuleName = QStringLiteral("frmNotice");
}

NoticeStore::Outcome NoticeStore::SaveNew(const QString &connection, DBType dialect,
                                          const QString &publisher, const QString &text,
                                          qint64 highestListed, QString *storedId, QString *sql)
{
    const bool asked = newNoticeStatement(connection, dialect, publisher, text, sql, storedId);
    if (asked && storeNew(connection, dialect, *sql, storedId)) {
        m_maybeStored.reset();
        return Outcome::Done;
    }
    m_reason = LastDatabaseFailure();
    if (asked) {
        // The notice may have been stored before the connection dropped.
        if (!m_maybeStored)
            m_maybeStored = MaybeStored{{}, highestListed};
        m_maybeStored->Texts << StoredValue(text).toString();
    }
    return Outcome::Failed;
}

bool NoticeStore::newNoticeStatement(const QString &connection, DBType dialect,
                                     const QString &publisher, const QString &text, QString *sql,
                                     QString *storedId) const
{
    if (m_maybeStored) {
        const std::shared_ptr<Recordset> since = GetRecordset(
            connection, NoticeStatements::FromPublisherSince(publisher, m_maybeStored->AfterId));
        if (!since) // logged
            return false;
        const QString now = StoredValue(text).toString();
        for (qsizetype r = 0; r < since->RecordCount(); ++r) {
            const QString stored = since->text(r, 1);
            if (stored != now && !m_maybeStored->Texts.contains(stored))
                continue;
            *storedId = since->text(r, 0);
            *sql = stored == now ? QString() : NoticeStatements::UpdateContent(*storedId, text);
            return true;
        }
    }
    *sql = NoticeStatements::Insert(dialect, publisher, text, Now());
    return true;
}

bool NoticeStore::storeNew(const QString &connection, DBType dialect, const QString &sql,
                           QString *storedId)
{
    if (!storedId->isEmpty()) {
        int rows = 0;
        return ExcuteSQL(connection, sql, &rows);
    }
    // The notice just saved is found by the key it took, not by its time.
    qint64 key = 0;
    const bool stored = ExcuteInsert(connection, sql, QStringLiteral("Notice_ID"), dialect, &key);
    if (key > 0)
        *storedId = QString::number(key);
    return stored;
}

NoticeStore::Outcome NoticeStore::Change(const QString &connection, const QString &key,
                                         const QString &text, QString *sql)
{
    *sql = NoticeStatements::UpdateContent(key, text);
    return write(connection, key, *sql, QStringLiteral("SaveData"));
}

NoticeStore::Outcome NoticeStore::Delete(const QString &connection, const QString &key,
                                         QString *sql)
{
    *sql = NoticeStatements::Delete(key);
    return write(connection, key, *sql, QStringLiteral("DeleteData"));
}

NoticeStore::Outcome NoticeStore::write(const QString &connection, const QString &key,
                                        const QString &sql, const QString &procedure)
{
    int rows = 0;
    const bool ran = ExcuteSQL(connection, sql, &rows);
    m_reason = LastDatabaseFailure();
    if (!ran)
        return Outcome::Failed;
    if (rows > 0)
        return Outcome::Done;
    // The database left the notice alone (not this login's), or it is gone.
    return gone(connection, key, sql, procedure) ? Outcome::Gone : Outcome::Refused;
}

// When it is still there the database refused the change, which is logged (once, also when the
// notice cannot be read again).
bool NoticeStore::gone(const QString &connection, const QString &key, const QString &sql,
                       const QString &procedure) const
{
    const std::shared_ptr<Recordset> now =
        GetRecordset(connection, NoticeStatements::ContentQuery(TrimBlanks(key)));
    if (!now) // not read again, and logged: it counts as still there
        return false;
    const bool gone = now->RecordCount() == 0;
    if (!gone)
        WriteErrLog(QStringLiteral("The database changed no row: the notice is not yours to "
                                   "change, or the change was refused"),
                    procedure, ModuleName, sql);
    return gone;
}
