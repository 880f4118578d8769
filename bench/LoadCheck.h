#pragma once
// What the load test demands of the database once every client has finished: each notice a
// client was told was saved is there exactly once and nothing else is, and each staff cell holds
// its initial value or a write a client saw confirmed, never one that a later confirmed write
// should have replaced.

#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

namespace LoadCheck {

// One cell a client saw saved: the row's key, the field, the value (unique to this write), when
// the save began and when its confirmation appeared (milliseconds since the epoch), when that
// client's grid was last loaded, and the value the write replaced as far as the client knows it
// (what it read; null when the user chose his value over one he was shown).
struct CellWrite
{
    QString key;
    int field = 0;
    QString value;
    qint64 startMs = 0;
    qint64 endMs = 0;
    qint64 loadedMs = 0;
    int client = 0;
    QString basis;
};

struct StaffRow
{
    QString key;
    QStringList fields;
};

// Problems with the final rows: a cell holding a value nobody saw confirmed, or a write that a
// confirmed write begun after its confirmation should have replaced; a confirmed write lost to
// the initial value; two writes that replaced the same value (one overwrote the other unseen).
// Empty when there are none.
QStringList CheckCells(const QList<StaffRow> &initial, const QList<StaffRow> &final,
                       const std::vector<CellWrite> &writes);

// Writes that kept a colleague's change of another field of the same row: confirmed writes to
// a row that another client changed in another field after this client's grid was loaded and
// before this save began.
int Merges(const std::vector<CellWrite> &writes);

// Problems with the stored notice texts against the texts clients saw confirmed.
QStringList CheckNotices(const QStringList &stored, const QStringList &confirmed);

} // namespace LoadCheck
