#pragma once
// The notice window: the list of notices on the left, the text of the current one on the right,
// and the commands to find, add, delete, save, refresh and close.

#include "widgets/SharedForm.h"

#include <map>
#include <optional>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QWidget>

class FlexGrid;
class GridMenu;
class QPushButton;
class Recordset;
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
    // A change or delete of the current notice touched no row: true when the notice is gone;
    // when it is still there the database refused it, which is logged (once, also when the
    // notice cannot be read again).
    bool noticeGone(const QString &procedure, const QString &sql);
    // The statement that stores the notice being composed: its insert; or, when a failed save
    // stored it all the same, nothing or the change to the text typed since (*storedId gets
    // its key). False when the database could not be asked.
    bool newNoticeStatement(const QString &text, QString *sql, QString *storedId);
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
    // NoticesChanged's steps.
    void dropGone(const std::map<qint64, int> &listed, const std::map<qint64, qsizetype> &stored);
    void takeChanged(const Recordset &now, const std::map<qint64, qsizetype> &stored,
                     const std::map<qint64, int> &listed);
    void addNew(const Recordset &now, const std::map<qint64, qsizetype> &stored,
                const std::map<qint64, int> &listed);
    // Deleted notices kept while current go once the user has moved on.
    void dropKeptGone();
    // A notice composed when the session ended without asking: kept, and put back next time.
    void keepDraft();
    void takeDraft();
    void cmdRefresh_Click();
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
    QSet<qint64> m_keptGone; // deleted notices still listed because they were current
    // A new notice whose save failed, perhaps only after its commit (the connection dropped):
    // every text a failed save may have stored, and the highest key listed before the first.
    struct MaybeStored
    {
        QStringList Texts;
        qint64 AfterId;
    };
    std::optional<MaybeStored> m_maybeStored;
};
