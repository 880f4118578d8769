#pragma once
// The notice search window: part of a publisher's name and an optional range of days. It reports
// what it finds through NoticeChosen, which the notice window connects when it opens the search,
// and widens to list the matches when there are several.

#include "widgets/SharedForm.h"

#include <QWidget>

class FlexGrid;
class QCheckBox;
class QDateEdit;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

class frmQueryNotice : public QWidget, public SharedForm<frmQueryNotice>
{
    Q_OBJECT
    friend class SharedForm<frmQueryNotice>;

public:
    ~frmQueryNotice() override;

    void InitControls();
    void Query();
    void FormatGrid();
    void ResetSN();
    void SetControlsLanguage();

    // Outer width of the window in twips: 3615 narrow, 6405 with the result grid.
    int WidthTwips() const;

    static constexpr int NarrowTwips = 3615;
    static constexpr int WideTwips = 6405;

Q_SIGNALS:
    // A notice found or chosen in the list, by its key. A receiver handles its own failures.
    void NoticeChosen(const QString &strID);

private:
    frmQueryNotice();
    void Form_Load();
    void setWidthTwips(int outerTwips);
    void chkTime_Click();
    void vfgMain_AfterRowColChange(int OldRow, int OldCol, int NewRow, int NewCol);

    QLineEdit *txtPublisher;
    QLabel *lblPublisher;
    QFrame *fraDate;
    QCheckBox *chkTime;
    QDateEdit *dtpFrom;
    QDateEdit *dtpTo;
    QLabel *lblFrom;
    QLabel *lblTo;
    QPushButton *cmdQuery;
    QPushButton *cmdExit;
    FlexGrid *vfgMain;
};
