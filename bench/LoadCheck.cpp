#include "LoadCheck.h"

#include <QHash>
#include <QSet>

namespace LoadCheck {

QString FieldValue(const QString &token, const QString &key, int field)
{
    return token + u':' + key + u':' + QString::number(field);
}

QString RowToken(const QString &key, const QStringList &fields)
{
    if (fields.isEmpty())
        return QString();
    const QString suffix = u':' + key + QStringLiteral(":0");
    if (!fields.first().endsWith(suffix))
        return QString();
    const QString token = fields.first().chopped(suffix.size());
    for (int f = 1; f < fields.size(); ++f) {
        if (fields.at(f) != FieldValue(token, key, f))
            return QString();
    }
    return token;
}

QStringList CheckStaff(const QList<StaffRow> &rows, const std::vector<Save> &saves)
{
    QStringList problems;
    if (saves.empty())
        problems << QStringLiteral("no staff save was confirmed");
    QHash<QString, const Save *> byToken;
    qint64 lastStart = 0;
    for (const Save &save : saves) {
        byToken.insert(save.token, &save);
        lastStart = std::max(lastStart, save.startMs);
    }
    for (const StaffRow &row : rows) {
        const QString token = RowToken(row.key, row.fields);
        if (token.isEmpty()) {
            problems << QStringLiteral("staff row %1 mixes writes: %2")
                            .arg(row.key, row.fields.join(u'|').left(200));
            continue;
        }
        const Save *winner = byToken.value(token);
        if (!winner) {
            problems << QStringLiteral("staff row %1 holds %2, a save never confirmed")
                            .arg(row.key, token);
            continue;
        }
        // A save that began after the winner's confirmation wrote this row later.
        if (lastStart > winner->endMs)
            problems << QStringLiteral("staff row %1 holds %2, but a save began %3 ms after it "
                                       "was confirmed")
                            .arg(row.key, token)
                            .arg(lastStart - winner->endMs);
    }
    return problems;
}

QStringList CheckNotices(const QStringList &stored, const QStringList &confirmed)
{
    QStringList problems;
    QHash<QString, int> count;
    for (const QString &text : stored)
        ++count[text];
    const QSet<QString> wanted(confirmed.begin(), confirmed.end());
    if (wanted.size() != confirmed.size())
        problems << QStringLiteral("clients confirmed the same notice text twice");
    for (const QString &text : confirmed) {
        const int times = count.value(text);
        if (times != 1)
            problems << QStringLiteral("notice \"%1\" stored %2 times").arg(text).arg(times);
    }
    for (auto it = count.cbegin(); it != count.cend(); ++it) {
        if (!wanted.contains(it.key()))
            problems << QStringLiteral("notice \"%1\" stored but never confirmed").arg(it.key());
    }
    return problems;
}

} // namespace LoadCheck
