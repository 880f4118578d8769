#pragma once
// Where a block of copied cells goes in a grid, and whether it fits, decided before anything is
// written. The block fills the writable columns from the one it starts in rightwards, in the
// order the user sees them, and the rows from the current one down; rows past the bottom row
// (the new-entry row) become new rows, and a block that reaches the new-entry row leaves a fresh
// one below it, as typing does. Blank lines at the end that would land there or below make no
// rows.

#include "common/CellBlock.h"

#include <QString>
#include <QStringList>
#include <vector>

class PastePlan
{
public:
    struct Column
    {
        int Col;
        int MaxLength; // characters a value may hold; 0: no limit
        // The column's caption in each line of captions that marks a header line to skip (the
        // language pack's, the built-in English ones).
        QStringList Captions;
    };

    enum class Misfit {
        None,
        NoColumn, // more values in a line than columns left
        TooLong   // a value over its column's limit
    };

    // firstRow: the grid row the block starts in; rows: the grid's rows, header row included.
    PastePlan(const CellRows &block, int firstRow, int rows, std::vector<Column> columns);

    // The first value that does not fit, in reading order: its line and value in the block as
    // copied (from 1, a skipped header line counted), and its column when there is one.
    Misfit Problem() const { return m_misfit; }
    int MisfitLine() const { return m_misfitLine; }
    int MisfitValue() const { return m_misfitValue; }
    const Column *MisfitColumn() const;

    // The block's lines that are pasted: from FirstLine() (1 when the first line repeats the
    // captions) to before EndLine(), each into grid row FirstRow() + (line - FirstLine()).
    int FirstLine() const { return m_firstLine; }
    int EndLine() const { return m_endLine; }
    int FirstRow() const { return m_firstRow; }
    // The grid column of a line's value (from 0).
    int ColumnOf(int value) const { return m_columns[size_t(value)].Col; }
    // Rows to add below the bottom row, a fresh new-entry row included.
    int AddedRows() const { return m_addedRows; }

private:
    bool IsHeader(const QStringList &line) const;
    void Check(const CellRows &block);
    void Place(const CellRows &block, int rows);

    std::vector<Column> m_columns;
    Misfit m_misfit = Misfit::None;
    int m_misfitLine = 0;
    int m_misfitValue = 0;
    int m_firstLine = 0;
    int m_endLine = 0;
    int m_firstRow = 0;
    int m_addedRows = 0;
};
