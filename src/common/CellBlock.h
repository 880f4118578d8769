#pragma once
// A block of cells as spreadsheets, text editors and mail programs exchange it on the clipboard:
// tab-separated text (cells split by tabs, rows ended by line breaks, a cell holding a tab, a
// line break or a double quote written between double quotes with its quotes doubled), and an
// HTML table for programs that take formatted text.

#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

using CellRows = std::vector<QStringList>;

namespace CellBlock {

// Reads tab-separated text. Rows end with CR LF, LF or CR; a line break at the very end ends the
// last row instead of starting an empty one. A cell that opens with a double quote runs to the
// quote that closes it (two quotes inside stand for one); text after the closing quote belongs
// to the cell, and a quote that is never closed is an ordinary character. NUL characters are
// dropped. Every row holds at least one cell; empty text gives no rows.
CellRows ReadTabText(QStringView text);

// The rows as tab-separated text, each row ended by a line feed; reads back as the same rows.
QString WriteTabText(const CellRows &rows);

// The rows as an HTML document holding one table; the first headerRows rows are header cells.
QString WriteHtml(const CellRows &rows, int headerRows = 0);

} // namespace CellBlock
