#pragma once
// The notice window: the list of notices on the left, the text of the current one on the right,
// and the commands to find, add, delete, save, refresh and close.

#include "notice/NoticeStore.h"
#include "widgets/SharedForm.h"

#include <memory>
#include <QList>
#include <QString>
#include <QWidget>

class FlexGrid;
class GridMenu;
class NoticeListUpdate;
class QPushButton;
class QTextEdit;

class frmNotice : public QWidget, public SharedForm<frmNotice>
{
    Q_OBJECT
    friend class SharedForm<frmNotice>;

public:
    ~frmNotice() override;

    // List and viewer.
    void LoadData();
    void FormatGrid();
    void ResetSN();
    void RefreshDB(const QString &strID = QString());
    void ShowNotice();
    void SearchNotice(const QString &strID);
    // Selects the publisher's newest notice whose text begins with textStart; false if none.
    bool ShowNewestFrom(const QString &publisher, const QString &textStart);
    // Selects the notice (read into the list when it is not there yet); false if there is no such
    // notice or the user is busy with his own text.
    bool ShowById(const QString &strID);
    // The notices with these ids were added, changed or deleted: the list takes each as it now
    // is, in place, without reloading. A new one goes where its time puts it; the current row
    // stays current and no notice is shown for it but its own new text when the user has not
    // touched it; a deleted current notice stays until the user moves on. Text being composed or
    // changed is never touched.
    void NoticesChanged(const QList<qint64> &ids);

    // Composing, saving, deleting, and the broadcast to online users.
    void AddNew();
    void SaveData();
    void DeleteData();
    void SendAllUserMsg(const QString &strPublisher, const QString &strContent);

    void SetControlsLanguage();
    void ResetControls();

    // "" while viewing, "AddNew" while composing a new notice.
    QString Mode() const { return mstrMode; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Tells the user that an empty notice is not stored; true when the text is empty.
    bool refuseEmptyText(const QString &text);
    // SaveData's two cases: the notice being composed, a change of the current one. *sql: the
    // statement, for the log.
    void saveNew(const QString &text, QString *sql);
    void saveChange(const QString &text, QString *sql);
    // The saved text is the notice's now.
    void textSaved();
    // The highest key in the list.
    qint64 highestListedId() const;
    frmNotice();
    void Form_Load();
    void vfgMain_AfterRowColChange(int OldRow, int OldCol, int NewRow, int NewCol);
    void cmdFind_Click();
    void searchChosen(const QString &strID);
    void setTextBackground(quint32 oleColor);
    // The current row when it holds a notice; -1 otherwise.
    int currentDataRow() const;
    // Scrolls to the row, makes it current and shows its notice.
    void showNoticeAt(int row);
    // True when no changed text of a saved notice is in the box, or the user lets it go.
    bool mayDropText();
    // NoticesChanged: a new text of the notice shown, unless the user is at work on his own.
    void currentNoticeChanged();
    // Deleted notices kept while current go once the user has moved on.
    void dropKeptGone();
    // A notice composed when the session ended without asking: kept, and put back next time.
    void keepDraft();
    void takeDraft();
    void cmdRefresh_Click();
    void makeList();
    void makeMenu();

    FlexGrid *vfgMain;
    GridMenu *m_menu;
    QTextEdit *txtNotice;
    QWidget *picControl;
    QPushButton *cmdFind;
    QPushButton *cmdAdd;
    QPushButton *cmdDelete;
    QPushButton *cmdSave;
    QPushButton *cmdRefresh;
    QPushButton *cmdExit;

    QString mstrMode;
    // Set while the window moves the list itself (to a notice it shows, or back to the notice
    // whose changed text the user kept): the move shows no notice of its own.
    bool m_blnMoving = false;
    std::unique_ptr<NoticeListUpdate> m_listUpdate;
    NoticeStore m_store;
};
