#pragma once
// The staff directory window: the staff grid with its in-cell editor and the command bar.

#include "staff/StaffEdits.h"
#include "staff/StaffHistory.h"
#include "staff/StaffStore.h"
#include "widgets/SharedForm.h"

#include <memory>
#include <QWidget>

class FlexGrid;
class Recordset;
class QKeyEvent;
class QLineEdit;
class QPushButton;
class StaffCellEditor;
class StaffEditCommands;
class StaffMenu;
class StaffRestore;
class StaffSheet;

class frmMain : public QWidget, public SharedForm<frmMain>
{
    Q_OBJECT
    friend class SharedForm<frmMain>;

public:
    ~frmMain() override;

    // Grid loading.
    void LoadData();
    void FormatGrid();
    void RefreshDB();
    void ResetSN();
    void AddRow();

    // The in-cell editor.
    void ShowInput();
    void HideInput();
    // Writes what the user typed into a cell, as one step of the grid's history. A saved row's
    // cell keeps the value it was read with, the first time, so that the save writes only what
    // changed and checks it.
    void EditCell(int row, int col, const QString &text);
    // The row, or any row, holds changes that are not in the database yet.
    bool HasUnsavedChanges(int row) const;
    bool HasUnsavedChanges() const;

    // The clipboard: the current cell or the rows picked out; a block of tab-separated cells in
    // from the current cell (a single value into the editor when it is open); the history.
    void Copy();
    void Paste();
    void Undo();
    void Redo();

    // Writing back, deleting, finding.
    void SaveData();
    void DeleteData(bool blnDeleteAll = false);
    void Query();

    // The history (where the database keeps one): the changes of a row, the deleted rows; and
    // putting back what they held, as unsaved edits of the grid (one step each).
    void ShowHistory(int row);
    void ShowDeletedStaff();
    void RestoreEntries(const std::vector<StaffHistory::Entry> &entries);

    void ResetControls();
    void SetControlsLanguage();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    frmMain();
    // The button bar with its keys.
    void makeBar();
    void Form_Load();

    void txtInput_Change();
    bool txtInput_KeyDown(const QKeyEvent *event);
    void txtInput_KeyUp();
    void vfgMain_KeyDown(int KeyCode, int Shift);
    // Asked after the delete-all question: the number of rows the database holds, named.
    bool ConfirmDeleteAll();

    void cmdFind_Click();
    void cmdDelete_Click();
    void cmdSave_Click();
    void cmdRefresh_Click();
    void cmdPrint_Click();
    void cmdExit_Click();

    // Puts what the save wrote or took from colleagues into the grid.
    void ApplySave(const StaffStore::SaveResult &result);
    // Reloads the grid and puts the current cell back where it was; a database that cannot be
    // read leaves the grid as it is.
    void ReloadKeepingCell();
    // Fills the grid with the records (none: only the new-entry row), forgetting its edits.
    void LoadRecords(std::shared_ptr<Recordset> records);

    FlexGrid *vfgMain;
    QLineEdit *txtInput;
    QWidget *picControl;
    QPushButton *cmdFind;
    QPushButton *cmdDelete;
    QPushButton *cmdSave;
    QPushButton *cmdRefresh;
    QPushButton *cmdPrint;
    QPushButton *cmdExit;

    StaffStore m_store;
    StaffEdits m_edits;
    std::unique_ptr<StaffSheet> m_sheet;
    std::unique_ptr<StaffCellEditor> m_editor;
    std::unique_ptr<StaffMenu> m_menu;
    std::unique_ptr<StaffEditCommands> m_commands;
    std::unique_ptr<StaffRestore> m_restore;
};
