#pragma once
// The notice board's list brought up to date in place: notices added, changed or deleted by
// anybody take their rows as they now are, without a reload that would move the user. A new one
// goes where its time puts it; a deleted one that is the current row stays until the user has
// moved on.

#include <functional>
#include <map>
#include <QList>
#include <QSet>

class FlexGrid;
class Recordset;

class NoticeListUpdate
{
public:
    // currentChanged: the current row's notice changed, for the window to show its new text.
    NoticeListUpdate(FlexGrid &grid, std::function<void()> currentChanged);

    // now: the notices with these ids that are still there, as the list reads them.
    void Take(const QList<qint64> &ids, const Recordset &now);
    // Deleted notices kept while current go once the user has moved on.
    void DropKeptGone();

private:
    // Both by notice key: the grid row, the record in now.
    using Listed = std::map<qint64, int>;
    using Stored = std::map<qint64, qsizetype>;
    void dropGone(const Listed &listed, const Stored &stored);
    void takeChanged(const Recordset &now, const Stored &stored, const Listed &listed);
    void addNew(const Recordset &now, const Stored &stored, const Listed &listed);

    FlexGrid &m_grid;
    std::function<void()> m_currentChanged;
    QSet<qint64> m_keptGone; // deleted notices still listed because they were current
};
