#include "search/frmQueryNotice.h"

#include "common/ArdentaError.h"
#include "common/Clock.h"
#include "common/Convert.h"
#include "common/ErrLog.h"
#include "common/Language.h"
#include "common/Session.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "db/ValueFormat.h"
#include "search/NoticeList.h"
#include "search/NoticeQuery.h"
#include "widgets/Appearance.h"
#include "widgets/FlexGrid.h"
#include "widgets/Twips.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {

const QString ModuleName = QStringLiteral("frmQueryNotice");

// The window as designed, in twips; the date controls lie in the frame.
namespace Design {
constexpr int ClientHeight = 2640;
constexpr int SideBorders = 120; // the window's frame, 60 at each side
constexpr ControlDesign Publisher{"txtPublisher", 1245, 30, 2205, 360};
constexpr ControlDesign PublisherLabel{"lblPublisher", 75, 120, 1080, 240, "0427", "Publisher"};
constexpr ControlDesign Frame{"fraDate", 120, 570, 3300, 1455};
// Sits on the frame's top edge, covering the line, as the frame's title.
constexpr ControlDesign Time{"chkTime", 375, 45, 915, 225, "0406", "&Time"};
constexpr ControlDesign From{"dtpFrom", 885, 390, 2190, 315};
constexpr ControlDesign To{"dtpTo", 870, 885, 2190, 315};
constexpr ControlDesign FromLabel{"lblFrom", 120, 435, 690, 240, "0165", "From"};
constexpr ControlDesign ToLabel{"lblTo", 150, 930, 690, 240, "0166", "To"};
constexpr ControlDesign Query{"cmdQuery", 240, 2100, 1395, 390, "0158", "&Query"};
constexpr ControlDesign Exit{"cmdExit", 2025, 2100, 1395, 390, "0082", "&Exit"};
constexpr ControlDesign List{"vfgMain", 3555, 0, 2730, 2580};
constexpr int SerialWidth = 500;
constexpr int TimeWidth = 2000;
} // namespace Design

// A caption of the window: blue on the window's light orange.
template <typename Control> Control *makeCaption(QWidget *parent, const ControlDesign &design)
{
    auto *caption = new Control(QString::fromLatin1(design.Caption), parent);
    PlaceControl(caption, design);
    SetWidgetColor(caption, QPalette::Window, DesignColor::Window);
    SetWidgetColor(caption, QPalette::WindowText, DesignColor::Caption);
    caption->setAutoFillBackground(true);
    return caption;
}

} // namespace

frmQueryNotice::frmQueryNotice()
{
    setObjectName(QStringLiteral("frmQueryNotice"));
    setProperty("Tag", QStringLiteral("0158"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Notice"));
    SetWidgetColor(this, QPalette::Window, DesignColor::Window);
    setAutoFillBackground(true);

    txtPublisher = new QLineEdit(this);
    PlaceControl(txtPublisher, Design::Publisher);
    lblPublisher = makeCaption<QLabel>(this, Design::PublisherLabel);

    fraDate = new QFrame(this);
    PlaceControl(fraDate, Design::Frame);
    fraDate->setFrameStyle(QFrame::Box | QFrame::Sunken);
    SetWidgetColor(fraDate, QPalette::Window, DesignColor::Window);
    fraDate->setAutoFillBackground(true);
    chkTime = makeCaption<QCheckBox>(fraDate, Design::Time);

    const auto makeDate = [&](const ControlDesign &design) {
        auto *picker = new QDateEdit(fraDate);
        PlaceControl(picker, design);
        picker->setCalendarPopup(true);
        picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        return picker;
    };
    dtpFrom = makeDate(Design::From);
    dtpTo = makeDate(Design::To);
    lblFrom = makeCaption<QLabel>(fraDate, Design::FromLabel);
    lblTo = makeCaption<QLabel>(fraDate, Design::ToLabel);

    cmdQuery = MakeButton(this, Design::Query);
    cmdExit = MakeButton(this, Design::Exit);

    vfgMain = new FlexGrid(this);
    PlaceControl(vfgMain, Design::List);
    vfgMain->setSelectionByRow(true);
    vfgMain->setEditTriggers(QAbstractItemView::NoEditTriggers);

    setTabOrder(txtPublisher, chkTime);
    setTabOrder(chkTime, dtpFrom);
    setTabOrder(dtpFrom, dtpTo);
    setTabOrder(dtpTo, cmdQuery);
    setTabOrder(cmdQuery, vfgMain);
    setTabOrder(vfgMain, cmdExit);

    connect(cmdQuery, &QPushButton::clicked, this, &frmQueryNotice::Query);
    connect(cmdExit, &QPushButton::clicked, this, &QWidget::close);
    connect(chkTime, &QCheckBox::toggled, this, &frmQueryNotice::chkTime_Click);
    connect(vfgMain, &FlexGrid::AfterRowColChange, this,
            &frmQueryNotice::vfgMain_AfterRowColChange);
    SetCancelButton(this, cmdExit);
    SetButtonKey(this, QKeySequence::Refresh, cmdQuery);

    setWidthTwips(NarrowTwips);
}

frmQueryNotice::~frmQueryNotice()
{
    forget(this);
    // QWidget's destructor hides the grid, which still signals; this part is gone by then.
    vfgMain->disconnect(this);
}

void frmQueryNotice::Form_Load()
{
    iniFormFonts(this);
    InitControls();
    SetFormTopMost(this, true);
    SetControlsLanguage();
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void frmQueryNotice::InitControls()
{
    setWidthTwips(NarrowTwips);
    // addMonths clamps to the month's end: 31 March goes back to the last day of February.
    dtpFrom->setDate(Today().addMonths(-1));
    dtpTo->setDate(Today());
    dtpFrom->setEnabled(false);
    dtpTo->setEnabled(false);
    txtPublisher->setText(Session().gstrOperator);
    txtPublisher->selectAll(); // typing replaces the operator's name
}

void frmQueryNotice::SetControlsLanguage()
{
    SetCaptions(this, "Notice",
                {{cmdQuery, "&Query"},
                 {cmdExit, "&Exit"},
                 {lblPublisher, "Publisher"},
                 {chkTime, "&Time"},
                 {lblFrom, "From"},
                 {lblTo, "To"}});
    // The fields are named as their labels read.
    SetAccessibleName(txtPublisher, Design::PublisherLabel.Tag, Design::PublisherLabel.Caption);
    SetAccessibleName(dtpFrom, Design::FromLabel.Tag, Design::FromLabel.Caption);
    SetAccessibleName(dtpTo, Design::ToLabel.Tag, Design::ToLabel.Caption);
    vfgMain->setAccessibleName(windowTitle());
}

void frmQueryNotice::chkTime_Click()
{
    const bool range = chkTime->isChecked();
    dtpFrom->setEnabled(range);
    dtpTo->setEnabled(range);
}

void frmQueryNotice::Query()
{
    const QString sql = NoticeQuerySQL(txtPublisher->text(), chkTime->isChecked(), dtpFrom->date(),
                                       dtpTo->date(), Session().gintDBType);
    try {
        const std::shared_ptr<Recordset> records = GetRecordset(Session().gstrConnection, sql);
        if (!records)
            return;
        const qsizetype count = records->RecordCount();
        vfgMain->setDataSource(records);
        FormatGrid();
        ResetSN();
        if (count > 1) {
            setWidthTwips(WideTwips);
            vfgMain->ShowCell(vfgMain->FixedRows(), 0);
            Q_EMIT NoticeChosen(vfgMain->TextMatrix(vfgMain->FixedRows(), NoticeKeyCol));
        } else if (count == 1) {
            setWidthTwips(NarrowTwips);
            records->MoveFirst();
            Q_EMIT NoticeChosen(Nulltostr(records->Fields(QStringLiteral("notice_id"))));
            close();
        } else {
            setWidthTwips(NarrowTwips);
        }
    } catch (const std::exception &e) {
        LogFailure(e, QStringLiteral("Query"), ModuleName, sql);
    }
}

void frmQueryNotice::FormatGrid()
{
    FormatNoticeList(vfgMain, Design::SerialWidth, Design::TimeWidth);
}

void frmQueryNotice::ResetSN()
{
    vfgMain->NumberRows(NoticeSerialCol);
}

void frmQueryNotice::vfgMain_AfterRowColChange(int OldRow, int, int NewRow, int)
{
    if (NewRow == OldRow || NewRow < vfgMain->FixedRows())
        return;
    const QString key = vfgMain->TextMatrix(NewRow, NoticeKeyCol);
    try {
        if (!TrimBlanks(key).isEmpty())
            Q_EMIT NoticeChosen(key);
    } catch (const std::exception &e) {
        LogFailure(e, QStringLiteral("vfgMain_AfterRowColChange"), ModuleName, key);
    }
}

int frmQueryNotice::WidthTwips() const
{
    return PixelsToTwips(width()) + Design::SideBorders;
}

void frmQueryNotice::setWidthTwips(int outerTwips)
{
    // Qt sizes the client area; the twips widths are those of the whole window.
    setFixedSize(TwipsToPixels(outerTwips - Design::SideBorders),
                 TwipsToPixels(Design::ClientHeight));
}
