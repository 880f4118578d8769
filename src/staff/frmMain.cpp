#include "staff/frmMain.h"

#include "common/ArdentaError.h"
#include "common/Convert.h"
#include "common/ErrLog.h"
#include "common/Language.h"
#include "common/Session.h"
#include "db/ClerkFields.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "print/frmPrint.h"
#include "staff/CollisionQuestion.h"
#include "staff/StaffCellEditor.h"
#include "staff/StaffEditCommands.h"
#include "staff/StaffMenu.h"
#include "staff/StaffRestore.h"
#include "staff/StaffSheet.h"
#include "staff/StaffStatements.h"
#include "widgets/Appearance.h"
#include "widgets/BusyCursor.h"
#include "widgets/FlexGrid.h"
#include "widgets/KeyCodes.h"
#include "widgets/MsgBox.h"
#include "widgets/Twips.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

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

constexpr LangText DeleteAllCountText{
    "0510", "This removes all %1 people from the staff directory. Delete them all?"};

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

    m_editor = std::make_unique<StaffCellEditor>(this, *vfgMain, *m_sheet);
    txtInput = m_editor->LineEdit();
    txtInput->installEventFilter(this);

    makeBar();
    m_menu = std::make_unique<StaffMenu>(*this, *vfgMain, *m_sheet,
                                         StaffMenu::Buttons{cmdFind, cmdDelete, cmdRefresh});
    m_commands =
        std::make_unique<StaffEditCommands>(this, *vfgMain, *m_editor, *m_sheet, m_menu->Menu());
    m_restore = std::make_unique<StaffRestore>(*this, *vfgMain, *m_editor, *m_sheet, m_edits);

    connect(cmdFind, &QPushButton::clicked, this, &frmMain::cmdFind_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmMain::cmdDelete_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmMain::cmdSave_Click);
    connect(cmdRefresh, &QPushButton::clicked, this, &frmMain::cmdRefresh_Click);
    connect(cmdPrint, &QPushButton::clicked, this, &frmMain::cmdPrint_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmMain::cmdExit_Click);

    connect(txtInput, &QLineEdit::textChanged, this, &frmMain::txtInput_Change);

    connect(vfgMain, &FlexGrid::Click, this, [this] { m_editor->Follow(); });
    connect(vfgMain, &FlexGrid::RowColChange, this, [this] { m_editor->Follow(); });
    connect(vfgMain, &FlexGrid::AfterScroll, this, &frmMain::HideInput);
    connect(vfgMain, &FlexGrid::AfterUserResize, this, &frmMain::HideInput);
    connect(vfgMain, &FlexGrid::AfterMoveColumn, this, &frmMain::HideInput);
    connect(vfgMain, &FlexGrid::KeyDown, this, &frmMain::vfgMain_KeyDown);

    ResetControls();
}

void frmMain::makeBar()
{
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
    m_menu->ShowHistoryEntries(history);
    LoadRecords(std::move(records));
}

void frmMain::LoadRecords(std::shared_ptr<Recordset> records)
{
    const StaffCellEditor::Quiet quiet(*m_editor);
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
    m_sheet->AddEntryRow();
}

// ---- The in-cell editor ----

void frmMain::HideInput()
{
    m_editor->Hide();
}

void frmMain::ShowInput()
{
    m_editor->Show();
}

void frmMain::txtInput_Change()
{
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
    return m_sheet->Unsaved(row);
}

bool frmMain::HasUnsavedChanges() const
{
    return m_sheet->Unsaved();
}

bool frmMain::txtInput_KeyDown(const QKeyEvent *event)
{
    if (m_menu->EditorKey(event, *txtInput))
        return true;
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    m_editor->ShowNext();
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
            m_menu->EditorMenu(*static_cast<QContextMenuEvent *>(event));
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
            [this] { return m_sheet->HighestKey(); }};
        const auto ask = [this, &grid](const std::vector<StaffStore::Collision> &collisions) {
            const QString question = CollisionQuestion(
                collisions, [&grid](int row) { return grid.Field(row, UserNameField); });
            const NotBusy asking;
            return MsgBox(question, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, this,
                          QMessageBox::No) == QMessageBox::Yes;
        };
        result = m_store.Save(Session().gstrConnection, Session().gintDBType, m_edits,
                              m_sheet->NewRows(), grid, ask);
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
    const StaffCellEditor::Quiet quiet(*m_editor);
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
    const StaffCellEditor::Quiet quiet(*m_editor);
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
    const StaffCellEditor::Quiet quiet(*m_editor);
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

// ---- The clipboard, the grid's history and the staff history ----

void frmMain::Copy()
{
    m_commands->Copy();
}

void frmMain::Paste()
{
    m_commands->Paste();
}

void frmMain::Undo()
{
    m_commands->Undo();
}

void frmMain::Redo()
{
    m_commands->Redo();
}

void frmMain::ShowHistory(int row)
{
    m_restore->ShowHistory(row);
}

void frmMain::ShowDeletedStaff()
{
    m_restore->ShowDeletedStaff();
}

void frmMain::RestoreEntries(const std::vector<StaffHistory::Entry> &entries)
{
    m_restore->RestoreEntries(entries);
}
