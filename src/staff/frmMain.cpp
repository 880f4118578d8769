#include "staff/frmMain.h"

#include "common/ArdentaError.h"
#include "common/CellBlock.h"
#include "common/Convert.h"
#include "common/ErrLog.h"
#include "common/Language.h"
#include "common/Session.h"
#include "db/ClerkFields.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "print/frmPrint.h"
#include "staff/CollisionQuestion.h"
#include "staff/frmHistory.h"
#include "staff/LengthLimiter.h"
#include "staff/StaffSheet.h"
#include "staff/StaffStatements.h"
#include "widgets/Appearance.h"
#include "widgets/BusyCursor.h"
#include "widgets/FlexGrid.h"
#include "widgets/GridMenu.h"
#include "widgets/KeyCodes.h"
#include "widgets/MsgBox.h"
#include "widgets/Twips.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>

namespace {
const QString ModuleName = QStringLiteral("frmMain");

using ClerkColumns::GridCol;
using ClerkColumns::GridKeyCol;
using ClerkColumns::GridSerialCol;
constexpr int FirstFieldCol = GridCol(0);
constexpr int LastFieldCol = GridCol(ClerkFieldCount - 1);
constexpr int UserNameField = ClerkFieldIndex("Clerk_UserName");
constexpr int SerialWidth = 600;

// The window as designed, in twips. The bar's buttons are 1455 x 375, 15 below its top.
namespace Design {
constexpr int ClientWidth = 9870;
constexpr int ClientHeight = 4920;
constexpr ControlDesign Grid{"vfgMain", 0, 0, 9765, 4275};
// A little higher than a 300-twip row, so that it covers the cell.
constexpr ControlDesign Editor{"txtInput", 0, 0, 900, 315};
constexpr ControlDesign Bar{"picControl", 0, 0, 8940, 450};
constexpr ControlDesign Buttons[] = {
    {"cmdFind", 0, 15, 1455, 375, "0158", "&Find"},
    {"cmdDelete", 1488, 15, 1455, 375, "0010", "&Delete"},
    {"cmdSave", 2976, 15, 1455, 375, "0083", "&Save"},
    {"cmdRefresh", 4464, 15, 1455, 375, "0037", "&Refresh"},
    {"cmdPrint", 5925, 15, 1455, 375, "0159", "Print"},
    {"cmdExit", 7440, 15, 1455, 375, "0082", "&Exit"},
};
constexpr int BarGap = 95; // between the grid and the bar
constexpr int MinimumGridHeight = 1500;
} // namespace Design

constexpr LangText PasteText{"0493", "Paste"};
constexpr LangText UndoText{"0494", "Undo"};
constexpr LangText RedoText{"0495", "Redo"};
constexpr LangText NoColumnText{
    "0496", "Nothing was pasted: row %1, column %2 of the copied cells has no column left."};
constexpr LangText TooLongText{"0497", "Nothing was pasted: row %1, column %2 of the copied "
                                       "cells is longer than the %3 characters of %4."};
constexpr LangText HistoryText{"0500", "History\u2026"};
constexpr LangText DeletedText{"0501", "Deleted Staff\u2026"};
constexpr LangText DeleteAllCountText{
    "0510", "This removes all %1 people from the staff directory. Delete them all?"};
constexpr LangText RowGoneText{
    "0511", "This row is no longer in the directory: Deleted Staff\u2026 can put it back."};

const ClerkField *FieldOfColumn(int col)
{
    const int field = ClerkColumns::FieldOfGridCol(col);
    return field >= 0 ? &ClerkFields[size_t(field)] : nullptr;
}
} // namespace

frmMain::frmMain()
{
    setObjectName(QStringLiteral("frmMain"));
    setProperty("Tag", QStringLiteral("0421"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Internal Information Management"));
    SetWidgetColor(this, QPalette::Window, DesignColor::Window);
    setAutoFillBackground(true);
    resize(TwipsToPixels(Design::ClientWidth), TwipsToPixels(Design::ClientHeight));
    // The buttons stay whole, with a few lines of the grid above them.
    setMinimumSize(TwipsToPixels(Design::Bar.Width),
                   TwipsToPixels(Design::Bar.Height + Design::BarGap + Design::MinimumGridHeight));

    vfgMain = new FlexGrid(this);
    PlaceControl(vfgMain, Design::Grid);
    vfgMain->setSelectionByRow(false);
    m_sheet = std::make_unique<StaffSheet>(*vfgMain, m_edits);

    // Created after the grid so that it lies above it.
    txtInput = new QLineEdit(this);
    PlaceControl(txtInput, Design::Editor);
    m_limiter = new LengthLimiter(txtInput);
    txtInput->setValidator(m_limiter);
    txtInput->hide();
    txtInput->installEventFilter(this);

    picControl = new QWidget(this);
    PlaceControl(picControl, Design::Bar);
    SetWidgetColor(picControl, QPalette::Window, DesignColor::Window);
    picControl->setAutoFillBackground(true);

    QPushButton **buttons[] = {&cmdFind, &cmdDelete, &cmdSave, &cmdRefresh, &cmdPrint, &cmdExit};
    for (size_t i = 0; i < std::size(buttons); ++i)
        *buttons[i] = MakeButton(picControl, Design::Buttons[i]);

    // Print is the window's cancel button, as designed; the usual keys beside the access keys.
    SetCancelButton(this, cmdPrint);
    SetButtonKey(this, QKeySequence::Find, cmdFind);
    SetButtonKey(this, QKeySequence::Save, cmdSave);
    SetButtonKey(this, QKeySequence::Refresh, cmdRefresh);
    SetButtonKey(this, QKeySequence::Print, cmdPrint);
    makeMenu();

    connect(cmdFind, &QPushButton::clicked, this, &frmMain::cmdFind_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmMain::cmdDelete_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmMain::cmdSave_Click);
    connect(cmdRefresh, &QPushButton::clicked, this, &frmMain::cmdRefresh_Click);
    connect(cmdPrint, &QPushButton::clicked, this, &frmMain::cmdPrint_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmMain::cmdExit_Click);

    connect(txtInput, &QLineEdit::textChanged, this, &frmMain::txtInput_Change);

    connect(vfgMain, &FlexGrid::Click, this, &frmMain::editorTrigger);
    connect(vfgMain, &FlexGrid::RowColChange, this, &frmMain::editorTrigger);
    connect(vfgMain, &FlexGrid::AfterScroll, this, &frmMain::HideInput);
    connect(vfgMain, &FlexGrid::AfterUserResize, this, &frmMain::HideInput);
    connect(vfgMain, &FlexGrid::AfterMoveColumn, this, &frmMain::HideInput);
    connect(vfgMain, &FlexGrid::KeyDown, this, &frmMain::vfgMain_KeyDown);

    ResetControls();
}

frmMain::~frmMain()
{
    forget(this);
    // QWidget's destructor hides the grid, which still signals; this part is gone by then.
    vfgMain->disconnect(this);
}

void frmMain::Form_Load()
{
    iniFormFonts(this);
    LoadData();
    FormatGrid();
    SetControlsLanguage();
    if (!Session().gblnEditInnerInfo) {
        cmdDelete->setEnabled(false);
        cmdSave->setEnabled(false);
    }
    SetGridColor(vfgMain);
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (HasUnsavedChanges() && !MsgDiscard(GetLangText(ModuleTexts::DiscardQuestion), this)) {
        event->ignore();
        return;
    }
    // The window is gone for everybody from now on, even before its deferred deletion.
    forget(this);
    QWidget::closeEvent(event);
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    ResetControls();
}

// The grid fills the client area from its top-left corner (the editor relies on that) down to a
// small gap above the button bar, which sits centred on the bottom edge. A window too small for
// that skips the steps whose sizes would come out negative.
void frmMain::ResetControls()
{
    const int width = this->width();
    const int height = this->height();
    const int barWidth = picControl->width();
    const int barHeight = picControl->height();
    picControl->move((width - barWidth) / 2, height - barHeight);
    const int gridHeight = height - barHeight - TwipsToPixels(Design::BarGap);
    if (gridHeight >= 0)
        vfgMain->setGeometry(0, 0, width, gridHeight);
    else
        vfgMain->setGeometry(0, 0, width, vfgMain->height());
}

void frmMain::SetControlsLanguage()
{
    // The suffixes give the same access keys in every language.
    SetCaptions(this, "Internal Information Management",
                {{cmdFind, "Find", "(&Q)"},
                 {cmdDelete, "Delete", "(&D)"},
                 {cmdSave, "&Save"},
                 {cmdRefresh, "&Refresh", "(&R)"},
                 {cmdExit, "&Exit"},
                 {cmdPrint, "Print", "(&P)"}});
    vfgMain->setAccessibleName(windowTitle());
    m_menu->SetCaptions();
}

// ---- Grid loading ----

void frmMain::LoadData()
{
    BusyCursor busy;
    std::shared_ptr<Recordset> records =
        GetRecordset(Session().gstrConnection, StaffStatements::LoadQuery());
    // Only a database that answered is asked whether it keeps a history for this login.
    const bool history = records && StaffHistory::Readable(Session().gstrConnection);
    m_actHistory->setVisible(history);
    m_actDeleted->setVisible(history);
    LoadRecords(std::move(records));
}

void frmMain::LoadRecords(std::shared_ptr<Recordset> records)
{
    QScopedValueRollback<bool> quiet(m_blnQuiet, true);
    HideInput();
    try {
        BusyCursor busy;
        m_edits.Clear();
        m_sheet->NewHistory();
        vfgMain->setDataSource(std::move(records));
        // A failed query leaves no columns; the new-entry row still needs its serial number.
        if (vfgMain->Cols() < ClerkColumns::GridColCount)
            vfgMain->setCols(ClerkColumns::GridColCount);
        AddRow();
        ResetSN();
    } catch (const std::exception &error) {
        LogFailure(error, QStringLiteral("LoadData"), ModuleName, StaffStatements::LoadQuery());
    }
}

void frmMain::FormatGrid()
{
    SkipOnError([this] { vfgMain->setFixedAlignment(-1, FlexGrid::flexAlignCenterCenter); });
    SkipOnError([this] {
        vfgMain->setFormatString(GetLangText(QStringLiteral("0419"), ClerkHeaderLine()));
    });
    SkipOnError([this] {
        vfgMain->setColWidth(GridSerialCol, SerialWidth);
        for (int col = FirstFieldCol; col <= LastFieldCol; ++col)
            vfgMain->setColWidth(col, FieldOfColumn(col)->WidthTwips);
    });
    SkipOnError([this] { vfgMain->setColHidden(GridKeyCol, true); });
    SkipOnError([this] {
        vfgMain->setColAlignment(GridSerialCol, FlexGrid::flexAlignCenterCenter);
        for (int col = FirstFieldCol; col <= LastFieldCol; ++col)
            vfgMain->setColAlignment(col, FlexGrid::flexAlignLeftCenter);
    });
}

void frmMain::RefreshDB()
{
    LoadData();
    FormatGrid();
}

void frmMain::ResetSN()
{
    vfgMain->NumberRows(0);
}

void frmMain::AddRow()
{
    vfgMain->AddItem(QString());
    const int last = vfgMain->Rows() - 1;
    vfgMain->setTextMatrix(last, GridSerialCol, QString::number(last));
}

// ---- The in-cell editor ----

int frmMain::ColumnMaxLength(int col)
{
    const ClerkField *field = FieldOfColumn(col);
    return field ? field->MaxLength : 0;
}

void frmMain::editorTrigger()
{
    if (!m_blnQuiet)
        ShowInput();
}

void frmMain::HideInput()
{
    m_sheet->EndTyping();
    const bool hadFocus = txtInput->hasFocus();
    txtInput->hide();
    if (hadFocus)
        vfgMain->setFocus();
}

void frmMain::ShowInput()
{
    HideInput();
    try {
        if (!Session().gblnEditInnerInfo)
            return;
        const int row = vfgMain->Row();
        const int col = vfgMain->Col();
        if (row < vfgMain->FixedRows() || col == GridSerialCol)
            return;
        // Over the cell, but never over the scroll bars or outside the grid.
        QRect cell = vfgMain->ShowCurrentCell().translated(vfgMain->pos());
        cell.setHeight(TwipsToPixels(Design::Editor.Height));
        const QRect editor =
            cell.intersected(vfgMain->viewport()->geometry().translated(vfgMain->pos()));
        if (editor.isEmpty())
            return;
        txtInput->setGeometry(editor);
        // A screen reader cannot see which cell the editor lies over.
        txtInput->setAccessibleName(
            GetLangText(QStringLiteral("0478"), QStringLiteral("%1, row %2"))
                .arg(vfgMain->TextMatrix(0, col), vfgMain->TextMatrix(row, GridSerialCol)));
        const QString text = vfgMain->TextMatrix(row, col);
        // The limit is for typing: the stored text opens whole even when it is longer.
        m_limiter->reset(ColumnMaxLength(col), text.size());
        txtInput->setText(text);
        txtInput->show();
        txtInput->raise();
        txtInput->setFocus();
        txtInput->setCursorPosition(int(text.size()));
    } catch (const std::exception &) {
        // Opening the editor is a convenience; failing to do so needs no report.
    }
}

void frmMain::txtInput_Change()
{
    m_limiter->textAccepted(txtInput->text());
    EditCell(vfgMain->Row(), vfgMain->Col(), txtInput->text());
    // An input method commits text without key releases of its own, and a paste may come from
    // the menu: grow the grid here too, once the cell's change is a step the new row joins.
    txtInput_KeyUp();
}

void frmMain::EditCell(int row, int col, const QString &text)
{
    if (row >= vfgMain->FixedRows())
        m_sheet->Type(row, col, text);
}

bool frmMain::HasUnsavedChanges(int row) const
{
    return m_edits.Changed(
        row, [this, row](int field) { return vfgMain->TextMatrix(row, GridCol(field)); });
}

bool frmMain::HasUnsavedChanges() const
{
    for (const auto &[row, read] : m_edits.Rows()) {
        if (HasUnsavedChanges(row))
            return true;
    }
    if (!m_edits.RestoredRows().empty())
        return true;
    for (const int row : NewRows()) {
        for (int field = 0; field < ClerkFieldCount; ++field) {
            if (!IsBlank(vfgMain->TextMatrix(row, GridCol(field))))
                return true;
        }
    }
    return false;
}

bool frmMain::txtInput_KeyDown(const QKeyEvent *event)
{
    if (editorKey(event))
        return true;
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    const int row = vfgMain->Row();
    const int col = vfgMain->Col();
    int nextRow = row;
    int nextCol = col + 1;
    if (col >= LastFieldCol) {
        if (row >= vfgMain->Rows() - 1)
            return true; // Enter never makes a row by itself
        nextRow = row + 1;
        nextCol = FirstFieldCol;
    }
    {
        QScopedValueRollback<bool> quiet(m_blnQuiet, true);
        vfgMain->Select(nextRow, nextCol);
        vfgMain->ShowCell(nextRow, nextCol);
    }
    ShowInput();
    return true;
}

// The first non-blank character typed into the new-entry row makes the next new-entry row.
void frmMain::txtInput_KeyUp()
{
    if (!IsBlank(txtInput->text()) && vfgMain->Row() >= vfgMain->Rows() - 1)
        m_sheet->AddEntryRowWhileTyping();
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtInput) {
        // The grid's menu, not the text box's own.
        if (event->type() == QEvent::ContextMenu) {
            const auto *menu = static_cast<QContextMenuEvent *>(event);
            if (menu->reason() == QContextMenuEvent::Mouse)
                m_menu->Popup(vfgMain->Row(), vfgMain->Col(), menu->globalPos());
            else
                m_menu->PopupAtCurrent();
            return true;
        }
        if (event->type() == QEvent::KeyPress)
            return txtInput_KeyDown(static_cast<QKeyEvent *>(event));
        if (event->type() == QEvent::KeyRelease)
            txtInput_KeyUp();
    }
    return QWidget::eventFilter(watched, event);
}

// ---- Saving, deleting, finding ----

std::vector<int> frmMain::NewRows() const
{
    // Typed and restored rows only ever grow at the bottom, and a save that inserts reloads the
    // grid.
    int first = vfgMain->Rows();
    while (first > vfgMain->FixedRows() &&
           (vfgMain->TextMatrix(first - 1, GridKeyCol).isEmpty() || m_edits.IsRestored(first - 1)))
        --first;
    std::vector<int> rows;
    for (int row = first; row < vfgMain->Rows(); ++row)
        rows.push_back(row);
    return rows;
}

void frmMain::SaveData()
{
    HideInput();
    if (vfgMain->Rows() <= vfgMain->FixedRows())
        return;
    StaffStore::SaveResult result;
    {
        BusyCursor busy;
        const StaffStore::GridText grid{
            [this](int row) { return vfgMain->TextMatrix(row, GridKeyCol); },
            [this](int row, int field) { return vfgMain->TextMatrix(row, GridCol(field)); },
            [this] { return HighestKey(); }};
        const auto ask = [this, &grid](const std::vector<StaffStore::Collision> &collisions) {
            const QString question = CollisionQuestion(
                collisions, [&grid](int row) { return grid.Field(row, UserNameField); });
            const NotBusy asking;
            return MsgBox(question, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, this,
                          QMessageBox::No) == QMessageBox::Yes;
        };
        result = m_store.Save(Session().gstrConnection, Session().gintDBType, m_edits, NewRows(),
                              grid, ask);
        ApplySave(result);
    }
    if (!result.Saved) {
        // What was not written stays as typed, so nothing is lost.
        MsgFailed(result.Reason, this);
        return;
    }
    m_sheet->NewHistory();
    MsgInfo(GetLangText(ModuleTexts::Saved), this);
}

void frmMain::ApplySave(const StaffStore::SaveResult &result)
{
    QScopedValueRollback<bool> quiet(m_blnQuiet, true);
    for (const StaffStore::CellValue &cell : result.Cells)
        vfgMain->setCellValue(cell.GridRow, GridCol(cell.Field), cell.Value);
    for (const int row : result.Settled)
        m_edits.Settled(row);
    for (const int row : result.Gone)
        m_sheet->RemoveRow(row);
    if (!result.Gone.empty())
        ResetSN();
    for (const auto &[row, cells] : result.MaybeInserted)
        m_edits.MaybeInserted(row, cells);
    if (result.Reload)
        ReloadKeepingCell();
}

qint64 frmMain::HighestKey() const
{
    qint64 highest = 0;
    for (int row = vfgMain->FixedRows(); row < vfgMain->Rows(); ++row) {
        if (!m_edits.IsRestored(row))
            highest = qMax(highest, vfgMain->TextMatrix(row, GridKeyCol).toLongLong());
    }
    return highest;
}

// Rows were inserted and get their keys from the database; a database gone since the save
// leaves the grid as it is rather than empty.
void frmMain::ReloadKeepingCell()
{
    const int row = vfgMain->Row();
    const int col = vfgMain->Col();
    std::shared_ptr<Recordset> records;
    {
        BusyCursor busy;
        records = GetRecordset(Session().gstrConnection, StaffStatements::LoadQuery());
    }
    if (!records)
        return;
    LoadRecords(std::move(records));
    FormatGrid();
    QScopedValueRollback<bool> quiet(m_blnQuiet, true);
    if (row >= vfgMain->FixedRows()) {
        const int keptRow = qMin(row, vfgMain->Rows() - 1);
        vfgMain->Select(keptRow, col);
        vfgMain->ShowCell(keptRow, col);
    }
}

void frmMain::DeleteData(bool blnDeleteAll)
{
    if (vfgMain->Rows() <= vfgMain->FixedRows())
        return;
    HideInput();
    // Rows going away move the current cell; the editor stays hidden until the user asks.
    const QScopedValueRollback quiet(m_blnQuiet, true);
    const QString question = GetLangText(ModuleTexts::DeleteQuestion);
    try {
        if (blnDeleteAll) {
            if (MsgYesNo(question, this) && ConfirmDeleteAll()) {
                m_store.DeleteAll(Session().gstrConnection);
                RefreshDB();
            }
            ResetSN();
            return;
        }
        const int row = vfgMain->Row();
        if (row < vfgMain->FixedRows())
            return;
        // A restored row is not in the database yet: it goes as a new row does.
        const QString id =
            m_edits.IsRestored(row) ? QString() : vfgMain->TextMatrix(row, GridKeyCol);
        if (!id.isEmpty()) {
            if (!IsPlainWholeNumber(id)) {
                WriteErrLog(QStringLiteral("Key is not a whole number, row not deleted"),
                            QStringLiteral("DeleteData"), ModuleName,
                            QStringLiteral("Row %1, Clerk_ID=%2").arg(row).arg(id));
                return;
            }
            if (MsgYesNo(question, this)) {
                if (!m_store.DeleteOne(Session().gstrConnection, id)) {
                    // Still in the database, so it stays in the grid.
                    MsgFailed(LastDatabaseFailure(), this);
                    return;
                }
                m_sheet->RemoveRow(row);
            }
        } else if (row < vfgMain->Rows() - 1) {
            // Never saved, so nothing to ask; the new-entry row at the bottom always stays.
            m_sheet->RemoveRow(row);
        }
        ResetSN();
    } catch (const std::exception &error) {
        LogFailure(error, QStringLiteral("DeleteData"), ModuleName, m_store.LastStatement());
    }
}

// The database counts, not the grid: a colleague may have added people since it was read.
bool frmMain::ConfirmDeleteAll()
{
    std::shared_ptr<Recordset> count;
    {
        BusyCursor busy;
        count = GetRecordset(Session().gstrConnection, StaffStatements::CountAll());
    }
    if (!count || count->RecordCount() == 0) {
        MsgFailed(LastDatabaseFailure(), this);
        return false;
    }
    const qint64 people = count->value(0, 0).toLongLong();
    return people == 0 ||
           MsgBox(GetLangText(DeleteAllCountText).arg(people), QMessageBox::Warning,
                  QMessageBox::Yes | QMessageBox::No, this, QMessageBox::No) == QMessageBox::Yes;
}

void frmMain::vfgMain_KeyDown(int KeyCode, int Shift)
{
    // Deleting by key needs the same right as the Delete button.
    if (KeyCode != KeyCodes::vbKeyDelete || !Session().gblnEditInnerInfo)
        return;
    DeleteData(Shift == KeyCodes::vbShiftMask);
}

void frmMain::Query()
{
    QString strName;
    try {
        strName =
            InputBox(GetLangText(QStringLiteral("0422"), QStringLiteral("Input User Name")),
                     GetLangText(QStringLiteral("0158"), QStringLiteral("Find")), QString(), this);
        if (strName.isEmpty())
            return;
        const int rows = vfgMain->Rows();
        if (vfgMain->Row() >= rows - 1)
            vfgMain->setRow(vfgMain->FixedRows());
        // The last match from the starting row down wins; moving only once keeps a long
        // directory from scrolling through every match.
        int found = -1;
        for (int row = qMax(vfgMain->Row(), vfgMain->FixedRows()); row < rows; ++row) {
            if (vfgMain->TextMatrix(row, GridCol(UserNameField))
                    .contains(strName, Qt::CaseSensitive))
                found = row;
        }
        if (found >= 0) {
            // Scrolling first: a scroll after the move would close the editor it opens.
            const int col = vfgMain->Col();
            vfgMain->ShowCell(found, col);
            vfgMain->Select(found, col);
        }
    } catch (const std::exception &error) {
        LogFailure(error, QStringLiteral("Query"), ModuleName, strName);
    }
}

// ---- Commands ----

void frmMain::cmdFind_Click()
{
    Query();
}

void frmMain::cmdDelete_Click()
{
    DeleteData(false);
}

void frmMain::cmdSave_Click()
{
    SaveData();
}

void frmMain::cmdRefresh_Click()
{
    if (HasUnsavedChanges() && !MsgDiscard(GetLangText(ModuleTexts::DiscardQuestion), this))
        return;
    RefreshDB();
}

void frmMain::cmdPrint_Click()
{
    // Only worth a report when there is a record besides the new-entry row.
    if (vfgMain->Rows() <= vfgMain->FixedRows() + 1)
        return;
    try {
        frmPrint::ShowInFront();
    } catch (const std::exception &error) {
        LogFailure(error, QStringLiteral("cmdPrint_Click"), ModuleName);
    }
}

void frmMain::cmdExit_Click()
{
    close();
}

// ---- The context menu, the clipboard and the history ----

void frmMain::makeMenu()
{
    m_menu = new GridMenu(vfgMain, GridSerialCol);
    m_menu->AddCopyEntries();
    m_actPaste = m_menu->AddEntry(PasteText, QKeySequence::keyBindings(QKeySequence::Paste), true,
                                  [this] { Paste(); });
    m_menu->AddSeparator();
    m_actUndo = m_menu->AddEntry(UndoText, QKeySequence::keyBindings(QKeySequence::Undo), true,
                                 [this] { Undo(); });
    m_actRedo = m_menu->AddEntry(
        RedoText,
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}, true,
        [this] { Redo(); });
    m_menu->AddSeparator();
    m_menu->AddButtonEntry(cmdFind, {"0158", "Find"}, QKeySequence::Find);
    m_menu->AddButtonEntry(cmdDelete, {"0010", "Delete"}, QKeySequence::Delete);
    m_menu->AddButtonEntry(cmdRefresh, {"0037", "Refresh"}, QKeySequence::Refresh);
    m_menu->AddSeparator();
    m_actHistory =
        m_menu->AddEntry(HistoryText, {}, false, [this] { ShowHistory(m_menu->MenuRow()); });
    m_actDeleted = m_menu->AddEntry(DeletedText, {}, false, [this] { ShowDeletedStaff(); });
    m_actHistory->setVisible(false);
    m_actDeleted->setVisible(false);
    m_menu->setUpdate([this] { updateMenu(); });
}

void frmMain::updateMenu()
{
    // Paste does not look at the clipboard first: another program may hold it, and answer
    // slowly.
    const bool edit = Session().gblnEditInnerInfo;
    m_actPaste->setEnabled(edit);
    m_actUndo->setEnabled(edit && m_sheet->CanUndo());
    m_actRedo->setEnabled(edit && m_sheet->CanRedo());
    const int row = m_menu->MenuRow();
    m_actHistory->setEnabled(row >= vfgMain->FixedRows() &&
                             IsPlainWholeNumber(vfgMain->TextMatrix(row, GridKeyCol)));
}

bool frmMain::editorKey(const QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        Copy();
        return true;
    }
    const QAction *entry = m_menu->EntryOf(event);
    // Typing in the cell is undone first, as in any text box; then the grid's steps.
    if (entry == m_actUndo || entry == m_actRedo) {
        const bool redo = entry == m_actRedo;
        if (redo ? txtInput->isRedoAvailable() : txtInput->isUndoAvailable())
            redo ? txtInput->redo() : txtInput->undo();
        else
            step(redo);
        return true;
    }
    if (entry)
        return m_menu->RunKey(event);
    // Ctrl+A selects the editor's text, as in any text box.
    return vfgMain->PickKey(event, false);
}

void frmMain::Copy()
{
    if (txtInput->isVisible() && txtInput->hasSelectedText())
        txtInput->copy();
    else if (vfgMain->SelectedRows().size() > 1)
        m_menu->CopyRows();
    else
        m_menu->CopyCell(vfgMain->Row(), vfgMain->Col());
}

void frmMain::Paste()
{
    if (!Session().gblnEditInnerInfo)
        return;
    const QString text = QGuiApplication::clipboard()->text();
    const bool block = std::any_of(text.cbegin(), text.cend(),
                                   [](QChar c) { return c == u'\t' || c == u'\n' || c == u'\r'; });
    if (txtInput->isVisible() && !block)
        pasteIntoEditor(text);
    else
        pasteBlock(text);
}

// The fields the user sees, from the current one (or the first when the current cell is the
// serial number) rightwards, with the captions that mark a header line.
std::vector<PastePlan::Column> frmMain::pasteColumns() const
{
    std::vector<PastePlan::Column> columns;
    const QString english = ClerkHeaderLine();
    bool started = ClerkColumns::FieldOfGridCol(vfgMain->Col()) < 0;
    for (const int col : vfgMain->ColumnsAsShown()) {
        const int field = ClerkColumns::FieldOfGridCol(col);
        started = started || col == vfgMain->Col();
        if (field >= 0 && started)
            columns.push_back({col,
                               ColumnMaxLength(col),
                               {vfgMain->TextMatrix(0, col), ClerkCaption(english, field)}});
    }
    return columns;
}

void frmMain::pasteBlock(const QString &text)
{
    const CellRows block = CellBlock::ReadTabText(text);
    const int row = vfgMain->Row();
    if (block.empty() || row < vfgMain->FixedRows())
        return;
    const PastePlan plan(block, row, vfgMain->Rows(), pasteColumns());
    if (plan.Problem() != PastePlan::Misfit::None) {
        const PastePlan::Column *column = plan.MisfitColumn();
        refusePaste(plan.MisfitLine(), plan.MisfitValue(), column ? column->Col : -1);
        return;
    }
    const int col = vfgMain->Col();
    HideInput();
    {
        BusyCursor busy;
        QScopedValueRollback<bool> quiet(m_blnQuiet, true);
        m_sheet->Paste(plan, block);
        vfgMain->Select(row, col);
    }
    ShowInput();
}

// As typing would put it in: at the cursor, over the selected text, within the limit.
void frmMain::pasteIntoEditor(const QString &text)
{
    const qsizetype length =
        txtInput->text().size() - txtInput->selectedText().size() + text.size();
    const int limit = m_limiter->limit();
    if (limit > 0 && length > limit && length > txtInput->text().size()) {
        refusePaste(1, 1, vfgMain->Col());
        return;
    }
    txtInput->insert(text);
}

// Names the value that does not fit by its place among the copied cells; col: the column it
// is too long for, -1 when there is none left for it.
void frmMain::refusePaste(int line, int value, int col)
{
    const QString message = col < 0 ? GetLangText(NoColumnText).arg(line).arg(value)
                                    : GetLangText(TooLongText)
                                          .arg(line)
                                          .arg(value)
                                          .arg(ColumnMaxLength(col))
                                          .arg(vfgMain->TextMatrix(0, col));
    MsgBox(message, QMessageBox::Warning, QMessageBox::Ok, this);
}

void frmMain::Undo()
{
    step(false);
}

void frmMain::Redo()
{
    step(true);
}

// Undoes or redoes one step of the grid's history and shows where it was.
void frmMain::step(bool redo)
{
    if (!Session().gblnEditInnerInfo)
        return;
    HideInput();
    {
        QScopedValueRollback<bool> quiet(m_blnQuiet, true);
        std::pair<int, int> where;
        if (redo ? m_sheet->Redo(&where) : m_sheet->Undo(&where)) {
            const int row = qBound(vfgMain->FixedRows(), where.first, vfgMain->Rows() - 1);
            const int col = where.second >= 0 ? where.second : FirstFieldCol;
            vfgMain->ShowCell(row, col);
            vfgMain->Select(row, col);
        }
        keepEntryRow();
    }
    ShowInput();
}

// An undone paste takes the new-entry row with it when the row the paste began in was deleted
// in between: a blank row at the bottom again.
void frmMain::keepEntryRow()
{
    const int last = vfgMain->Rows() - 1;
    bool blank = last >= vfgMain->FixedRows() && vfgMain->TextMatrix(last, GridKeyCol).isEmpty();
    for (int field = 0; blank && field < ClerkFieldCount; ++field)
        blank = IsBlank(vfgMain->TextMatrix(last, GridCol(field)));
    if (!blank)
        AddRow();
}

// ---- The history ----

void frmMain::ShowHistory(int row)
{
    const QString key = vfgMain->TextMatrix(row, GridKeyCol);
    if (row < vfgMain->FixedRows() || !IsPlainWholeNumber(key))
        return;
    QString name = TrimBlanks(vfgMain->TextMatrix(row, GridCol(UserNameField)));
    if (name.isEmpty())
        name = vfgMain->TextMatrix(row, GridSerialCol);
    frmHistory *history = frmHistory::instance();
    history->setParent(this, Qt::Window);
    connect(history, &frmHistory::Restored, this, &frmMain::RestoreEntries, Qt::UniqueConnection);
    if (history->ShowChanges(Session().gstrConnection, key, name, Session().gblnEditInnerInfo))
        frmHistory::ShowInFront();
    else
        historyFailed(history);
}

// The history could not be read: no empty list, but why.
void frmMain::historyFailed(frmHistory *history)
{
    const QString reason = LastDatabaseFailure();
    history->close();
    MsgFailed(reason, this);
}

void frmMain::ShowDeletedStaff()
{
    QSet<QString> inGrid;
    for (const auto &[row, cells] : m_edits.RestoredRows())
        inGrid.insert(cells.value(ClerkColumns::RecordKeyCol));
    frmHistory *history = frmHistory::instance();
    history->setParent(this, Qt::Window);
    connect(history, &frmHistory::Restored, this, &frmMain::RestoreEntries, Qt::UniqueConnection);
    if (history->ShowDeleted(Session().gstrConnection, inGrid, Session().gblnEditInnerInfo))
        frmHistory::ShowInFront();
    else
        historyFailed(history);
}

void frmMain::RestoreEntries(const std::vector<StaffHistory::Entry> &entries)
{
    if (!Session().gblnEditInnerInfo || entries.empty())
        return;
    HideInput();
    if (entries.front().What == StaffHistory::Kind::Changed)
        RestoreChange(entries.front());
    else
        RestoreRows(entries);
    ShowInput();
}

int frmMain::RowOfKey(const QString &key) const
{
    for (int row = vfgMain->FixedRows(); row < vfgMain->Rows(); ++row) {
        if (vfgMain->TextMatrix(row, GridKeyCol) == key && !m_edits.IsRestored(row))
            return row;
    }
    return -1;
}

// The fields the change altered get the values they held before it, as if typed.
void frmMain::RestoreChange(const StaffHistory::Entry &entry)
{
    const int row = RowOfKey(entry.Key);
    if (row < 0) {
        MsgBox(GetLangText(RowGoneText), QMessageBox::Information, QMessageBox::Ok, this);
        return;
    }
    std::vector<StaffStep::Cell> cells;
    for (const int field : entry.Fields()) {
        const int col = GridCol(field);
        const QVariant before = entry.Before[size_t(field)];
        if (vfgMain->TextMatrix(row, col) != DatabaseValueText(before))
            cells.push_back({row, col, vfgMain->CellValue(row, col), before});
    }
    QScopedValueRollback<bool> quiet(m_blnQuiet, true);
    const int col = cells.empty() ? vfgMain->Col() : cells.front().Col;
    m_sheet->RestoreCells(std::move(cells));
    vfgMain->ShowCell(row, col);
    vfgMain->Select(row, col);
}

// Deleted rows come back at the bottom with their old keys; one the grid holds already stays
// as it is.
void frmMain::RestoreRows(const std::vector<StaffHistory::Entry> &entries)
{
    QSet<QString> held;
    for (int row = vfgMain->FixedRows(); row < vfgMain->Rows(); ++row)
        held.insert(vfgMain->TextMatrix(row, GridKeyCol));
    std::vector<QStringList> rows;
    for (const StaffHistory::Entry &entry : entries) {
        if (entry.What != StaffHistory::Kind::Deleted || !IsPlainWholeNumber(entry.Key) ||
            held.contains(entry.Key))
            continue;
        held.insert(entry.Key);
        QStringList &cells = rows.emplace_back(ClerkColumns::GridColCount);
        cells[GridKeyCol] = entry.Key;
        for (int field = 0; field < ClerkFieldCount; ++field)
            cells[GridCol(field)] = DatabaseValueText(entry.Before[size_t(field)]);
    }
    if (rows.empty())
        return;
    QScopedValueRollback<bool> quiet(m_blnQuiet, true);
    const int count = int(rows.size());
    m_sheet->RestoreRows(std::move(rows));
    // Above the fresh new-entry row.
    const int first = vfgMain->Rows() - 1 - count;
    vfgMain->ShowCell(first, FirstFieldCol);
    vfgMain->Select(first, FirstFieldCol);
}
