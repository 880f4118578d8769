#pragma once
// What the load test demands of the database once every client has finished: each notice a
// client was told was saved is there exactly once and nothing else is, and each staff row holds
// one whole save (never fields of two) by a writer that nobody overwrote afterwards.

#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

namespace LoadCheck {

// One staff save a client saw confirmed: the token it wrote into every field, and when the save
// started and when its confirmation appeared (milliseconds since the epoch).
struct Save
{
    QString token;
    qint64 startMs = 0;
    qint64 endMs = 0;
};

// The value a save writes into field `field` of the row with key `key`.
QString FieldValue(const QString &token, const QString &key, int field);

// The token the row holds when every field is that token's value for this row; empty otherwise.
QString RowToken(const QString &key, const QStringList &fields);

struct StaffRow
{
    QString key;
    QStringList fields;
};

// Problems with the staff rows; empty when every row is a whole, confirmed save and no save began
// after that one's confirmation (it would have written the row later).
QStringList CheckStaff(const QList<StaffRow> &rows, const std::vector<Save> &saves);

// Problems with the stored notice texts against the texts clients saw confirmed.
QStringList CheckNotices(const QStringList &stored, const QStringList &confirmed);

} // namespace LoadCheck
