#pragma once
// The history of the staff directory, opened from the staff grid's menu: one row's changes
// (when, who, each field with its value before and after), or the rows deleted and not put back,
// newest first. Restore hands the chosen change, or the chosen deleted rows, to the staff window,
// which puts them into its grid as unsaved edits; the window then closes.

#include "staff/StaffHistory.h"
#include "widgets/SharedForm.h"

#include <QSet>
#include <QWidget>
#include <vector>

class FlexGrid;
class QPushButton;

class frmHistory : public QWidget, public SharedForm<frmHistory>
{
    Q_OBJECT
    friend class SharedForm<frmHistory>;

public:
    ~frmHistory() override;

    // The row's changes; name: who the row is, for the title. False when the history could not
    // be read (logged).
    bool ShowChanges(const QString &strConnection, const QString &key, const QString &name,
                     bool canRestore);
    // The deleted rows, but those whose keys the grid holds again (put back, not saved yet).
    bool ShowDeleted(const QString &strConnection, const QSet<QString> &inGrid, bool canRestore);

    void SetControlsLanguage();

Q_SIGNALS:
    // A change (Kind::Changed), or deleted rows, to put back.
    void Restored(const std::vector<StaffHistory::Entry> &entries);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    frmHistory();
    void Form_Load();
    void cmdRestore_Click();
    void updateRestore();
    void setTimeAndUserWidths();
    void fillChanges();
    void fillDeleted();
    QString kindText(StaffHistory::Kind kind) const;

    FlexGrid *vfgMain;
    QPushButton *cmdRestore;
    QPushButton *cmdExit;

    bool m_deleted = false; // the deleted rows, not a row's changes
    QString m_name;
    bool m_canRestore = false;
    std::vector<StaffHistory::Entry> m_entries;
    std::vector<int> m_lineEntry; // by data row (grid row - 1): the entry it belongs to
};
