#include "notice/NoticeListUpdate.h"

#include "db/Recordset.h"
#include "search/NoticeList.h"
#include "widgets/BenchMarks.h"
#include "widgets/FlexGrid.h"

NoticeListUpdate::NoticeListUpdate(FlexGrid &grid, std::function<void()> currentChanged)
    : m_grid(grid), m_currentChanged(std::move(currentChanged))
{
}

void NoticeListUpdate::Take(const QList<qint64> &ids, const Recordset &now)
{
    Stored stored;
    for (qsizetype r = 0; r < now.RecordCount(); ++r)
        stored[now.text(r, NoticeKeyCol).toLongLong()] = r;
    // One pass over the list, however long, for where the named notices are.
    const QSet<qint64> named(ids.cbegin(), ids.cend());
    Listed listed;
    for (int row = m_grid.FixedRows(); row < m_grid.Rows(); ++row) {
        const qint64 id = m_grid.TextMatrix(row, NoticeKeyCol).toLongLong();
        if (named.contains(id))
            listed[id] = row;
    }
    dropGone(listed, stored);
    takeChanged(now, stored, listed);
    addNew(now, stored, listed);
}

// Bottom first, so that the rows above keep their numbers.
void NoticeListUpdate::dropGone(const Listed &listed, const Stored &stored)
{
    for (auto it = listed.crbegin(); it != listed.crend(); ++it) {
        const auto [id, row] = *it;
        if (stored.count(id))
            continue;
        if (row == m_grid.Row())
            m_keptGone.insert(id);
        else
            m_grid.RemoveItem(row);
    }
}

// Rows moved up as others went: each is looked up again, which changes that are not new notices
// can afford.
void NoticeListUpdate::takeChanged(const Recordset &now, const Stored &stored, const Listed &listed)
{
    const int current = m_grid.Row();
    for (const auto &[id, r] : stored) {
        const int row = listed.count(id) ? FindNoticeRow(&m_grid, QString::number(id)) : -1;
        if (row < 0)
            continue;
        for (const int col : {NoticeTimeCol, NoticePublisherCol})
            m_grid.setCellValue(row, col, now.value(r, col));
        if (row == current)
            m_currentChanged();
    }
}

// Newest first, as the list is read: a notice goes above the first one not later than itself
// (under Jet a client's clock may put it lower than the top).
void NoticeListUpdate::addNew(const Recordset &now, const Stored &stored, const Listed &listed)
{
    for (const auto &[id, r] : stored) {
        if (listed.count(id))
            continue;
        const QString time = now.text(r, NoticeTimeCol);
        int low = m_grid.FixedRows();
        int high = m_grid.Rows();
        while (low < high) {
            const int middle = (low + high) / 2;
            if (m_grid.TextMatrix(middle, NoticeTimeCol) > time)
                low = middle + 1;
            else
                high = middle;
        }
        QVariantList values;
        for (int col = 0; col < now.ColumnCount(); ++col)
            values << now.value(r, col);
        m_grid.AddRecord(low, values);
        MarkBoardRow(id, low);
    }
    m_grid.NumberRows(NoticeSerialCol);
}

void NoticeListUpdate::DropKeptGone()
{
    if (m_keptGone.isEmpty())
        return;
    for (int row = m_grid.Rows() - 1; row >= m_grid.FixedRows(); --row) {
        const qint64 id = m_grid.TextMatrix(row, NoticeKeyCol).toLongLong();
        if (row != m_grid.Row() && m_keptGone.remove(id))
            m_grid.RemoveItem(row);
    }
    m_grid.NumberRows(NoticeSerialCol);
}
