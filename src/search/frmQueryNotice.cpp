#include "search/frmQueryNotice.h"

#include "common/ArdentaError.h"
#include "common/Clock.h"
#include "common/Convert.h"
#include "common/Language.h"
#include "common/Session.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "db/ValueFormat.h"
#include "host/ErrLog.h"
#include "search/NoticeList.h"
#include "search/NoticeQuery.h"
#include "widgets/Appearance.h"
#include "widgets/FlexGrid.h"
#include "widgets/OleColor.h"
#include "widgets/Twips.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

namespace {

constexpr quint32 WindowColor = 0x00C0E0FF;  // light orange
constexpr quint32 ButtonColor = 0x00C0FFFF;  // light yellow
constexpr quint32 CaptionColor = 0x00FF0000; // blue
constexpr int ClientHeight = 2640;
constexpr int FrameWidth = 120; // both window borders

frmQueryNotice::NoticeHandOver &installedHandOver()
{
    static frmQueryNotice::NoticeHandOver handOver;
    return handOver;
}

void setColors(QWidget *widget, quint32 background, quint32 foreground, bool fill)
{
    QPalette palette = widget->palette();
    palette.setColor(fill ? QPalette::Window : QPalette::Button,
                     OleColor::ToColor(qint32(background)));
    if (foreground != background)
        palette.setColor(QPalette::WindowText, OleColor::ToColor(qint32(foreground)));
    widget->setPalette(palette);
    widget->setAutoFillBackground(fill);
}

} // namespace

frmQueryNotice::frmQueryNotice()
{
    setObjectName(QStringLiteral("frmQueryNotice"));
    setProperty("Tag", QStringLiteral("0158"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Notice"));
    setColors(this, WindowColor, WindowColor, true);

    const auto place = [](QWidget *control, const char *name, const QRect &twips) {
        control->setObjectName(QLatin1String(name));
        control->setGeometry(TwipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    };

    txtPublisher = new QLineEdit(this);
    place(txtPublisher, "txtPublisher", QRect(1245, 30, 2205, 360));

    lblPublisher = new QLabel(QStringLiteral("Publisher"), this);
    place(lblPublisher, "lblPublisher", QRect(75, 120, 1080, 240));
    lblPublisher->setProperty("Tag", QStringLiteral("0427"));

    fraDate = new QFrame(this);
    place(fraDate, "fraDate", QRect(120, 570, 3300, 1455));
    fraDate->setFrameStyle(QFrame::Box | QFrame::Sunken);
    setColors(fraDate, WindowColor, WindowColor, true);

    // Sits on the frame's top edge, covering the line, as the frame's title.
    chkTime = new QCheckBox(QStringLiteral("&Time"), fraDate);
    place(chkTime, "chkTime", QRect(375, 45, 915, 225));
    chkTime->setProperty("Tag", QStringLiteral("0406"));

    const auto makeDate = [&](const char *name, const QRect &twips) {
        auto *picker = new QDateEdit(fraDate);
        place(picker, name, twips);
        picker->setCalendarPopup(true);
        picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        return picker;
    };
    dtpFrom = makeDate("dtpFrom", QRect(885, 390, 2190, 315));
    dtpTo = makeDate("dtpTo", QRect(870, 885, 2190, 315));

    lblFrom = new QLabel(QStringLiteral("From"), fraDate);
    place(lblFrom, "lblFrom", QRect(120, 435, 690, 240));
    lblFrom->setProperty("Tag", QStringLiteral("0165"));
    lblTo = new QLabel(QStringLiteral("To"), fraDate);
    place(lblTo, "lblTo", QRect(150, 930, 690, 240));
    lblTo->setProperty("Tag", QStringLiteral("0166"));

    cmdQuery = new QPushButton(QStringLiteral("&Query"), this);
    place(cmdQuery, "cmdQuery", QRect(240, 2100, 1395, 390));
    cmdQuery->setProperty("Tag", QStringLiteral("0158"));
    cmdExit = new QPushButton(QStringLiteral("&Exit"), this);
    place(cmdExit, "cmdExit", QRect(2025, 2100, 1395, 390));
    cmdExit->setProperty("Tag", QStringLiteral("0082"));
    setColors(cmdQuery, ButtonColor, ButtonColor, false);
    setColors(cmdExit, ButtonColor, ButtonColor, false);
    for (QWidget *caption : {static_cast<QWidget *>(lblPublisher), static_cast<QWidget *>(lblFrom),
                             static_cast<QWidget *>(lblTo), static_cast<QWidget *>(chkTime)})
        setColors(caption, WindowColor, CaptionColor, true);

    vfgMain = new FlexGrid(this);
    place(vfgMain, "vfgMain", QRect(3555, 0, 2730, 2580));
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
    // cmdExit is the cancel button: Escape anywhere in the window presses it.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, cmdExit, &QPushButton::click);

    setWidthTwips(NarrowTwips);
}

frmQueryNotice::~frmQueryNotice()
{
    forget(this);
    // QWidget's destructor hides the grid, which still signals; this part is gone by then.
    vfgMain->disconnect(this);
}

void frmQueryNotice::SetNoticeHandOver(NoticeHandOver handOver)
{
    installedHandOver() = std::move(handOver);
}

void frmQueryNotice::HandOver(const QString &strID)
{
    if (const NoticeHandOver &handOver = installedHandOver())
        handOver(strID);
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
    const auto caption = [](QWidget *control, const QString &fallback) {
        return GetLangText(control->property("Tag").toString(), fallback);
    };
    cmdQuery->setText(caption(cmdQuery, QStringLiteral("&Query")));
    cmdExit->setText(caption(cmdExit, QStringLiteral("&Exit")));
    lblPublisher->setText(caption(lblPublisher, QStringLiteral("Publisher")));
    chkTime->setText(caption(chkTime, QStringLiteral("&Time")));
    lblFrom->setText(caption(lblFrom, QStringLiteral("From")));
    lblTo->setText(caption(lblTo, QStringLiteral("To")));
    setWindowTitle(caption(this, QStringLiteral("Notice")));
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
        const std::shared_ptr<Recordset> records = GetRecordset(sql);
        if (!records)
            return;
        const qsizetype count = records->RecordCount();
        vfgMain->setDataSource(records);
        FormatGrid();
        ResetSN();
        if (count > 1) {
            setWidthTwips(WideTwips);
            vfgMain->ShowCell(vfgMain->FixedRows(), 0);
            HandOver(vfgMain->TextMatrix(vfgMain->FixedRows(), 1));
        } else if (count == 1) {
            setWidthTwips(NarrowTwips);
            records->MoveFirst();
            HandOver(Nulltostr(records->Fields(QStringLiteral("notice_id"))));
            close();
        } else {
            setWidthTwips(NarrowTwips);
        }
    } catch (const std::exception &e) {
        LogFailure(e, QStringLiteral("Query"), QStringLiteral("frmQueryNotice"), sql);
    }
}

void frmQueryNotice::FormatGrid()
{
    FormatNoticeList(vfgMain, 500, 2000);
}

void frmQueryNotice::ResetSN()
{
    vfgMain->NumberRows(0);
}

void frmQueryNotice::vfgMain_AfterRowColChange(int OldRow, int, int NewRow, int)
{
    if (NewRow == OldRow || NewRow < vfgMain->FixedRows())
        return;
    const QString key = vfgMain->TextMatrix(NewRow, 1);
    try {
        if (!TrimBlanks(key).isEmpty())
            HandOver(key);
    } catch (const std::exception &e) {
        LogFailure(e, QStringLiteral("vfgMain_AfterRowColChange"), QStringLiteral("frmQueryNotice"),
                   key);
    }
}

int frmQueryNotice::WidthTwips() const
{
    return PixelsToTwips(width()) + FrameWidth;
}

void frmQueryNotice::setWidthTwips(int outerTwips)
{
    // Qt sizes the client area; the twips widths are those of the whole window.
    setFixedSize(TwipsToPixels(outerTwips - FrameWidth), TwipsToPixels(ClientHeight));
}
