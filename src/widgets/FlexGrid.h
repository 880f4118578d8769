#pragma once
// The grid control of every list window: a QTableView over a row-vector text model that offers
// the operations of the original grid by their names. Grid row 0 is the header row (shown in the
// horizontal header); grid row r >= 1 is model row r - 1. Lengths are in twips.

#include "widgets/FlexGridModel.h"
#include "widgets/FlexGridSelection.h"

#include <memory>
#include <optional>
#include <QTableView>
#include <vector>

class Recordset;

class FlexGrid : public QTableView
{
    Q_OBJECT
public:
    // Alignment codes of the original grid.
    enum Alignment { flexAlignLeftCenter = 1, flexAlignCenterCenter = 4 };

    explicit FlexGrid(QWidget *parent = nullptr);
    ~FlexGrid() override;

    int Rows() const; // header row included
    int Cols() const;
    void setCols(int cols);
    int FixedRows() const { return 1; }

    // The current cell. Row() is 0 when there is no data row.
    int Row() const;
    void setRow(int row);
    int Col() const;

    // Rows and columns out of range read as "" and are ignored when written.
    QString TextMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString &text);
    // A data cell's value as the database gave it, untrimmed and unformatted (a null variant for
    // a null); once written, its text. Writing a null variant makes the cell null again.
    QVariant CellValue(int row, int col) const;
    void setCellValue(int row, int col, const QVariant &value);
    // Many cells at once (rows are grid rows), repainted once.
    void setCellValues(const std::vector<GridCellValue> &cells);

    // All header texts at once, "|"-separated; also sets the number of columns. A text starting
    // with "<", "^" or ">" sets that column's alignment to left, centre or right.
    void setFormatString(const QString &format);

    int ColWidth(int col) const; // twips; 0 while the column is hidden
    void setColWidth(int col, int twips);
    bool ColHidden(int col) const;
    void setColHidden(int col, bool hidden);
    int ColAlignment(int col) const;
    void setColAlignment(int col, int alignment);
    int FixedAlignment(int col) const;
    void setFixedAlignment(int col, int alignment); // col -1: all header cells
    QString ColFormat(int col) const;
    void setColFormat(int col, const QString &format); // Qt date-time pattern for shown dates

    // Shows the record set: its column names become row 0, one data row per record; no link
    // remains. A set nobody else holds is taken over, its values moved out; a set the caller
    // keeps stays whole. An empty pointer leaves a grid with the header row only.
    void setDataSource(std::shared_ptr<Recordset> records);

    // Fills a column with each data row's grid row number, as the serial-number columns show.
    void NumberRows(int col);

    // Appends a row; the text is split at tabs into the first cells.
    void AddItem(const QString &text = QString());
    void RemoveItem(int row);
    // A record put in as grid row `row` (the rows from there on move down), its values as the
    // database gave them, by column. The current cell stays on the row it was on.
    void AddRecord(int row, const QVariantList &values);
    // Many rows at once: appended, each a list of cells by column; or removed from row on.
    void AddItems(const std::vector<QStringList> &rows);
    void RemoveItems(int row, int count);

    // The columns the user sees, in the order he sees them (columns can be dragged).
    std::vector<int> ColumnsAsShown() const;
    // The rows the user picked (Shift+click, Ctrl+click, Shift+Up/Down, Ctrl+A extend the
    // selection by whole rows; a plain click picks one cell): grid rows, ascending; the current
    // row alone when he picked no more than one.
    std::vector<int> SelectedRows() const;
    void SelectAllRows();
    // Makes the row current, in the current column, and selects the rows from where the
    // selection started to it.
    void ExtendRowsTo(int row);
    // The keys that pick rows or ask for the context menu: Shift+Up/Down, Ctrl+A (unless
    // selectAll is false), the Menu key and Shift+F10; true when the key was one of them. An
    // editor laid over the grid hands its keys on here.
    bool PickKey(const QKeyEvent *event, bool selectAll = true);

    void Select(int row, int col);
    void ShowCell(int row, int col);

    // Brings the current cell into view and gives its place relative to the grid widget, in
    // pixels, grid line included; an empty rectangle when there is no visible current cell. An
    // editor laid over the cell is placed from this.
    QRect ShowCurrentCell();
    // The same in twips, one coordinate at a time, as the original control reads it (each
    // brings the cell into view too).
    int CellLeft();
    int CellTop();
    int CellWidth();

    // Colours in the Windows layout &H00BBGGRR.
    void setForeColor(qint32 color);
    void setForeColorFixed(qint32 color);
    void setBackColor(qint32 color);
    void setBackColorAlternate(qint32 color);
    qint32 ForeColor() const;
    qint32 ForeColorFixed() const;
    qint32 BackColor() const;
    qint32 BackColorAlternate() const;

    // Type-to-search is off: letters are KeyDown codes for the window, not row jumps.
    void keyboardSearch(const QString &search) override;

    // Selection by whole row (list grids) or by cell (the staff grid).
    void setSelectionByRow(bool byRow);

    // Row height in twips, fixed for every row.
    static constexpr int RowHeightTwips = 300;

Q_SIGNALS:
    // The current cell moved.
    void AfterRowColChange(int OldRow, int OldCol, int NewRow, int NewCol);
    void RowColChange();
    // A mouse click on a cell.
    void Click();
    // Key pressed while the grid has the focus: original key code (46 Delete, 13 Enter, ...) and
    // modifier mask (1 Shift, 2 Ctrl, 4 Alt). Delete and Enter are not handled by the view itself.
    void KeyDown(int KeyCode, int Shift);
    // Notifications that move cells under anything laid over the grid.
    void AfterScroll(int OldTopRow, int OldLeftCol, int NewTopRow, int NewLeftCol);
    void AfterUserResize(int Row, int Col);
    void AfterMoveColumn(int Col, int Position);
    // The user asked for a context menu: by the mouse over a cell (row 0 elsewhere), or by the
    // keyboard for the current cell; the menu belongs at pos (global).
    void MenuRequested(int Row, int Col, const QPoint &pos);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    QModelIndex modelIndex(int row, int col) const;
    static int gridRow(const QModelIndex &index) { return index.isValid() ? index.row() + 1 : 0; }
    void updateRow(int modelRow);
    int topRow() const;
    int leftCol() const;
    void setPaletteColor(QPalette::ColorRole role, const QColor &color);
    void sectionResized(int col);
    void requestMenuAtCurrent();

    FlexGridModel *m_model;
    FlexGridSelection m_picked; // the rows picked beside the current cell
    int m_topRowBeforeScroll = 1;
    int m_leftColBeforeScroll = 0;
    bool m_ownResize = false;     // width changes made by code are no user resize
    bool m_pressExtended = false; // the button is down on a Shift or Ctrl click
    std::optional<qint32> m_foreColor, m_foreColorFixed, m_backColor, m_backColorAlternate;
};
