#include "widgets/PastePlan.h"

#include "common/Convert.h"

#include <algorithm>

PastePlan::PastePlan(const CellRows &block, int firstRow, int rows, std::vector<Column> columns)
    : m_columns(std::move(columns)), m_firstRow(firstRow)
{
    if (!block.empty() && IsHeader(block.front()))
        m_firstLine = 1;
    Place(block, rows);
    Check(block);
    if (m_misfit != Misfit::None)
        m_endLine = m_firstLine;
}

void PastePlan::Place(const CellRows &block, int rows)
{
    const int bottom = rows - 1; // the new-entry row
    m_endLine = int(block.size());
    while (m_endLine > m_firstLine && m_firstRow + (m_endLine - 1 - m_firstLine) >= bottom &&
           std::all_of(block[size_t(m_endLine - 1)].cbegin(), block[size_t(m_endLine - 1)].cend(),
                       IsBlank))
        --m_endLine;
    const int lastRow = m_firstRow + (m_endLine - m_firstLine) - 1;
    if (m_endLine > m_firstLine && lastRow >= bottom)
        m_addedRows = lastRow - bottom + 1;
}

const PastePlan::Column *PastePlan::MisfitColumn() const
{
    const size_t at = size_t(m_misfitValue - 1);
    return m_misfit != Misfit::None && at < m_columns.size() ? &m_columns[at] : nullptr;
}

// A line of two or more values equal to the captions of the columns it would fill.
bool PastePlan::IsHeader(const QStringList &line) const
{
    if (line.size() < 2 || size_t(line.size()) > m_columns.size())
        return false;
    const qsizetype sets = m_columns.front().Captions.size();
    for (qsizetype set = 0; set < sets; ++set) {
        bool equal = true;
        for (qsizetype v = 0; equal && v < line.size(); ++v)
            equal = line.at(v) == m_columns[size_t(v)].Captions.value(set);
        if (equal)
            return true;
    }
    return false;
}

void PastePlan::Check(const CellRows &block)
{
    for (size_t line = size_t(m_firstLine); line < size_t(m_endLine); ++line) {
        const QStringList &values = block[line];
        for (qsizetype v = 0; v < values.size(); ++v) {
            const bool noColumn = size_t(v) >= m_columns.size();
            const int limit = noColumn ? 0 : m_columns[size_t(v)].MaxLength;
            if (noColumn || (limit > 0 && values.at(v).size() > limit)) {
                m_misfit = noColumn ? Misfit::NoColumn : Misfit::TooLong;
                m_misfitLine = int(line) + 1;
                m_misfitValue = int(v) + 1;
                return;
            }
        }
    }
}
