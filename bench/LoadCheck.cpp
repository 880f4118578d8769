#include "LoadCheck.h"

#include <map>
#include <QHash>
#include <QSet>

namespace LoadCheck {

namespace {
using Cell = std::pair<QString, int>; // key, field
}

QStringList CheckCells(const QList<StaffRow> &initial, const QList<StaffRow> &final,
                       const std::vector<CellWrite> &writes)
{
    QStringList problems;
    std::map<Cell, std::vector<const CellWrite *>> byCell;
    for (const CellWrite &write : writes)
        byCell[{write.key, write.field}].push_back(&write);
    QHash<QString, QStringList> before;
    for (const StaffRow &row : initial)
        before.insert(row.key, row.fields);
    for (const auto &[cell, cellWrites] : byCell) {
        QHash<QString, const CellWrite *> replaced;
        for (const CellWrite *write : cellWrites) {
            if (write->basis.isNull())
                continue;
            if (const CellWrite *other = replaced.value(write->basis))
                problems << QStringLiteral("row %1 field %2: \"%3\" and \"%4\" both replaced "
                                           "\"%5\"")
                                .arg(cell.first)
                                .arg(cell.second)
                                .arg(other->value, write->value, write->basis);
            replaced.insert(write->basis, write);
        }
    }
    for (const StaffRow &row : final) {
        for (int field = 0; field < row.fields.size(); ++field) {
            const QString &value = row.fields.at(field);
            const auto found = byCell.find({row.key, field});
            const std::vector<const CellWrite *> none;
            const auto &cellWrites = found == byCell.end() ? none : found->second;
            const QString where = QStringLiteral("row %1 field %2").arg(row.key).arg(field);
            if (value == before.value(row.key).value(field)) {
                if (!cellWrites.empty())
                    problems << where + QStringLiteral(" lost %1 writes").arg(cellWrites.size());
                continue;
            }
            const auto last = std::find_if(cellWrites.cbegin(), cellWrites.cend(),
                                           [&value](const auto *w) { return w->value == value; });
            if (last == cellWrites.cend()) {
                problems << where + QStringLiteral(" holds \"%1\", never confirmed").arg(value);
                continue;
            }
            for (const CellWrite *other : cellWrites) {
                if (other->startMs > (*last)->endMs)
                    problems << where +
                                    QStringLiteral(" holds \"%1\", but \"%2\" began %3 ms after "
                                                   "its confirmation")
                                        .arg(value, other->value)
                                        .arg(other->startMs - (*last)->endMs);
            }
        }
    }
    return problems;
}

int Merges(const std::vector<CellWrite> &writes)
{
    std::map<QString, std::vector<const CellWrite *>> byRow;
    for (const CellWrite &write : writes)
        byRow[write.key].push_back(&write);
    QSet<QString> merged; // one per save and row
    for (const auto &[key, rowWrites] : byRow) {
        for (const CellWrite *mine : rowWrites) {
            for (const CellWrite *theirs : rowWrites) {
                if (theirs->client != mine->client && theirs->field != mine->field &&
                    theirs->endMs > mine->loadedMs && theirs->endMs < mine->startMs)
                    merged.insert(
                        QStringLiteral("%1/%2/%3").arg(mine->client).arg(mine->startMs).arg(key));
            }
        }
    }
    return int(merged.size());
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
