#include "notice/frmNotice.h"

#include "common/ArdentaError.h"
#include "common/Clock.h"
#include "common/Convert.h"
#include "common/Language.h"
#include "common/Session.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "db/ValueFormat.h"
#include "host/ErrLog.h"
#include "host/NoticeMessage.h"
#include "notice/NoticeBroadcast.h"
#include "notice/NoticeStatements.h"
#include "search/frmQueryNotice.h"
#include "search/NoticeList.h"
#include "widgets/Appearance.h"
#include "widgets/FlexGrid.h"
#include "widgets/MsgBox.h"
#include "widgets/OleColor.h"
#include "widgets/Twips.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QPushButton>
#include <QShortcut>
#include <QTextEdit>

namespace {

constexpr quint32 WindowColor = 0x00C0E0FF;    // light orange
constexpr quint32 ButtonColor = 0x00C0FFFF;    // light yellow
constexpr quint32 ViewingColor = 0x00FFFFFF;   // white
constexpr quint32 ComposingColor = 0x00C0FFC0; // light green

// Design lengths in twips.
constexpr int ClientWidth = 10380;
constexpr int ClientHeight = 5850;
constexpr int FrameWidth = 120;  // both window borders
constexpr int FrameHeight = 405; // caption bar and borders
constexpr int GridWidth = 4290;
constexpr int StripWidth = 8985;
constexpr int StripHeight = 450;

const QString AddNewMode = QStringLiteral("AddNew");

QPushButton *makeButton(QWidget *parent, const char *name, const char *tag, const QString &caption,
                        int index)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setProperty("Tag", QLatin1String(tag));
    button->setGeometry(TwipsRect(index * 1482, 15, 1455, 375));
    SetWidgetColor(button, QPalette::Button, OleColor::ToColor(qint32(ButtonColor)));
    return button;
}

} // namespace

frmNotice::frmNotice()
{
    setObjectName(QStringLiteral("frmNotice"));
    setProperty("Tag", QStringLiteral("0423"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Notice"));
    QFont designFont(QStringLiteral("SimSun"));
    designFont.setPointSizeF(10.5);
    setFont(designFont);
    SetWidgetColor(this, QPalette::Window, OleColor::ToColor(qint32(WindowColor)));
    setAutoFillBackground(true);

    vfgMain = new FlexGrid(this);
    vfgMain->setObjectName(QStringLiteral("vfgMain"));
    vfgMain->setGeometry(TwipsRect(0, -15, GridWidth, 5055));
    vfgMain->setSelectionByRow(true);
    vfgMain->setEditTriggers(QAbstractItemView::NoEditTriggers);
    vfgMain->setForeColorFixed(0x00FFFFFF);
    vfgMain->setBackColorAlternate(qint32(WindowColor));
    vfgMain->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QPalette headerPalette = vfgMain->horizontalHeader()->palette();
    headerPalette.setColor(QPalette::Button, QColor(0x3A, 0x6E, 0xA5)); // the desktop colour
    headerPalette.setColor(QPalette::ButtonText, Qt::white);
    vfgMain->horizontalHeader()->setPalette(headerPalette);
    connect(vfgMain, &FlexGrid::AfterRowColChange, this, &frmNotice::vfgMain_AfterRowColChange);

    txtNotice = new QTextEdit(this);
    txtNotice->setObjectName(QStringLiteral("txtNotice"));
    txtNotice->setGeometry(TwipsRect(4380, 0, 5970, 5070));
    txtNotice->setAcceptRichText(false);
    // Without the permission the box is disabled; its text should still read as plain black.
    QPalette textPalette = txtNotice->palette();
    textPalette.setColor(QPalette::Disabled, QPalette::Text, Qt::black);
    txtNotice->setPalette(textPalette);
    setTextBackground(ViewingColor);

    picControl = new QWidget(this);
    picControl->setObjectName(QStringLiteral("picControl"));
    picControl->setGeometry(TwipsRect(30, 5325, StripWidth, StripHeight));
    picControl->setAutoFillBackground(true);

    cmdFind = makeButton(picControl, "cmdFind", "0158", QStringLiteral("&Find"), 0);
    cmdAdd = makeButton(picControl, "cmdAdd", "0008", QStringLiteral("&Add"), 1);
    cmdDelete = makeButton(picControl, "cmdDelete", "0010", QStringLiteral("&Delete"), 2);
    cmdSave = makeButton(picControl, "cmdSave", "0083", QStringLiteral("&Save"), 3);
    cmdRefresh = makeButton(picControl, "cmdRefresh", "0037", QStringLiteral("&Refresh"), 4);
    cmdExit = makeButton(picControl, "cmdExit", "0082", QStringLiteral("&Exit"), 5);

    setTabOrder(vfgMain, txtNotice);
    setTabOrder(txtNotice, cmdRefresh);
    setTabOrder(cmdRefresh, cmdFind);
    setTabOrder(cmdFind, cmdDelete);
    setTabOrder(cmdDelete, cmdExit);
    setTabOrder(cmdExit, cmdSave);
    setTabOrder(cmdSave, cmdAdd);

    connect(cmdFind, &QPushButton::clicked, this, &frmNotice::cmdFind_Click);
    connect(cmdAdd, &QPushButton::clicked, this, &frmNotice::AddNew);
    connect(cmdDelete, &QPushButton::clicked, this, &frmNotice::DeleteData);
    connect(cmdSave, &QPushButton::clicked, this, &frmNotice::SaveData);
    connect(cmdRefresh, &QPushButton::clicked, this, [this] { RefreshDB(); });
    connect(cmdExit, &QPushButton::clicked, this, &QWidget::close);
    // cmdExit is the cancel button: Escape anywhere in the window presses it.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, cmdExit, &QPushButton::click);

    resize(TwipsToPixels(ClientWidth), TwipsToPixels(ClientHeight));
    // The command strip stays whole, with some of the list above it.
    setMinimumSize(TwipsToPixels(StripWidth + 60), TwipsToPixels(StripHeight + 500 + 1500));

    // Resolved when a notice is handed over: a closed notice window loads again for it.
    frmQueryNotice::SetNoticeHandOver(
        [](const QString &strID) { frmNotice::instance()->SearchNotice(strID); });
}

frmNotice::~frmNotice()
{
    forget(this);
    // QWidget's destructor hides the grid, which still signals; this part is gone by then.
    vfgMain->disconnect(this);
}

void frmNotice::Form_Load()
{
    iniFormFonts(this);
    RefreshDB();
    SetControlsLanguage();
    if (!Session().gblnEditNotice) {
        txtNotice->setEnabled(false);
        cmdAdd->setEnabled(false);
        cmdSave->setEnabled(false);
        cmdDelete->setEnabled(false);
    }
    SetGridColor(vfgMain);
}

void frmNotice::SetControlsLanguage()
{
    const auto caption = [](QWidget *control, const QString &fallback) {
        return GetLangText(control->property("Tag").toString(), fallback);
    };
    cmdFind->setText(caption(cmdFind, QStringLiteral("Find")) + QStringLiteral("(&Q)"));
    cmdDelete->setText(caption(cmdDelete, QStringLiteral("Delete")) + QStringLiteral("(&D)"));
    cmdSave->setText(caption(cmdSave, QStringLiteral("&Save")));
    cmdRefresh->setText(caption(cmdRefresh, QStringLiteral("Refresh")) + QStringLiteral("(&R)"));
    cmdExit->setText(caption(cmdExit, QStringLiteral("&Exit")));
    cmdAdd->setText(caption(cmdAdd, QStringLiteral("Add")) + QStringLiteral("(&A)"));
    setWindowTitle(caption(this, QStringLiteral("Notice")));
}

void frmNotice::ResetControls()
{
    // The layout rules are written for the outer size of the window.
    const int W = PixelsToTwips(width()) + FrameWidth;
    const int H = PixelsToTwips(height()) + FrameHeight;
    picControl->move(TwipsToPixels((W - StripWidth) / 2), TwipsToPixels(H - StripHeight - 400));
    const int gridWidth = PixelsToTwips(vfgMain->width());
    const int listHeight = H - StripHeight - 500;
    vfgMain->move(0, 0);
    if (listHeight >= 0)
        vfgMain->resize(vfgMain->width(), TwipsToPixels(listHeight));
    txtNotice->move(TwipsToPixels(gridWidth), 0);
    if (listHeight >= 0)
        txtNotice->resize(txtNotice->width(), TwipsToPixels(listHeight));
    const int textWidth = W - gridWidth - 120;
    if (textWidth >= 0)
        txtNotice->resize(TwipsToPixels(textWidth), txtNotice->height());
}

void frmNotice::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    ResetControls();
}

void frmNotice::closeEvent(QCloseEvent *event)
{
    if (!mstrMode.isEmpty() &&
        !MsgYesNo(GetLangText(QStringLiteral("0424"), QStringLiteral("Do You Want Exit?")), this)) {
        event->ignore();
        return;
    }
    event->accept();
    // Closed means unloaded: the next use loads a fresh window.
    forget(this);
    frmQueryNotice::Unload();
}

void frmNotice::setTextBackground(quint32 oleColor)
{
    SetWidgetColor(txtNotice, QPalette::Base, OleColor::ToColor(qint32(oleColor)));
}

void frmNotice::LoadData()
{
    const QString sql = NoticeStatements::ListQuery();
    try {
        vfgMain->setDataSource(GetRecordset(sql));
        ResetSN();
    } catch (const std::exception &e) {
        LogFailure(e, QStringLiteral("LoadData"), QStringLiteral("frmNotice"), sql);
    }
}

void frmNotice::FormatGrid()
{
    FormatNoticeList(vfgMain, 600, 2100);
}

void frmNotice::ResetSN()
{
    vfgMain->NumberRows(0);
}

void frmNotice::RefreshDB(const QString &strID)
{
    try {
        LoadData();
        FormatGrid();
        setTextBackground(ViewingColor);
        mstrMode.clear();
        const int fixedRows = vfgMain->FixedRows();
        if (vfgMain->Rows() <= fixedRows)
            return;
        if (strID.isEmpty()) {
            vfgMain->Select(fixedRows, 0);
            vfgMain->ShowCell(fixedRows, 0);
            ShowNotice();
            return;
        }
        for (int r = fixedRows; r < vfgMain->Rows(); ++r) {
            if (vfgMain->TextMatrix(r, 1) == strID) {
                vfgMain->Select(r, 0);
                vfgMain->ShowCell(r, 0);
                ShowNotice();
                return;
            }
        }
    } catch (const std::exception &e) {
        LogFailure(e, QStringLiteral("RefreshDB"), QStringLiteral("frmNotice"));
    }
}

void frmNotice::ShowNotice()
{
    const int row = vfgMain->Row();
    if (vfgMain->Rows() <= vfgMain->FixedRows() || row < vfgMain->FixedRows())
        return;
    setTextBackground(ViewingColor);
    mstrMode.clear();
    const QString key = vfgMain->TextMatrix(row, 1);
    if (!IsPlainWholeNumber(key))
        return;
    const QString sql = NoticeStatements::ContentQuery(key);
    try {
        const std::shared_ptr<Recordset> records = GetRecordset(sql);
        if (!records)
            return;
        if (records->RecordCount() >= 1) {
            records->MoveFirst();
            txtNotice->setPlainText(Nulltostr(records->Fields(QStringLiteral("Notice_Content"))));
            // Only the publisher himself, spelt exactly so, may change his notice.
            const bool own =
                vfgMain->TextMatrix(row, 3) == Session().gstrOperator && Session().gblnEditNotice;
            cmdDelete->setEnabled(own);
            cmdSave->setEnabled(own);
        } else {
            // Deleted by someone else since the list was loaded.
            txtNotice->setPlainText(QString());
        }
    } catch (const std::exception &e) {
        LogFailure(e, QStringLiteral("ShowNotice"), QStringLiteral("frmNotice"), sql);
    }
}

void frmNotice::vfgMain_AfterRowColChange(int OldRow, int, int NewRow, int)
{
    if (NewRow != OldRow && NewRow != 0)
        ShowNotice();
}

void frmNotice::SearchNotice(const QString &strID)
{
    if (vfgMain->Rows() <= vfgMain->FixedRows())
        return;
    for (int r = vfgMain->FixedRows(); r < vfgMain->Rows(); ++r) {
        if (vfgMain->TextMatrix(r, 1) == strID) {
            vfgMain->ShowCell(r, 0);
            vfgMain->Select(r, 0);
            ShowNotice();
            return;
        }
    }
}

void frmNotice::RefreshWhileViewing()
{
    if (!mstrMode.isEmpty() || txtNotice->document()->isModified())
        return;
    const int row = vfgMain->Row();
    RefreshDB(row >= vfgMain->FixedRows() && row < vfgMain->Rows() ? vfgMain->TextMatrix(row, 1)
                                                                   : QString());
}

bool frmNotice::ShowNewestFrom(const QString &publisher, const QString &textStart)
{
    if (!mstrMode.isEmpty() || txtNotice->document()->isModified())
        return false; // the user's own text comes first
    const QString sql = NoticeStatements::FromPublisher(publisher);
    try {
        const std::shared_ptr<Recordset> records = GetRecordset(sql);
        for (qsizetype r = 0; records && r < records->RecordCount(); ++r) {
            if (!records->text(r, 1).startsWith(textStart))
                continue;
            RefreshWhileViewing();
            SearchNotice(records->text(r, 0));
            return vfgMain->TextMatrix(vfgMain->Row(), 1) == records->text(r, 0);
        }
    } catch (const std::exception &e) {
        LogFailure(e, QStringLiteral("ShowNewestFrom"), QStringLiteral("frmNotice"), sql);
    }
    return false;
}

void frmNotice::AddNew()
{
    if (mstrMode == AddNewMode)
        return;
    mstrMode = AddNewMode;
    txtNotice->setPlainText(QString());
    setTextBackground(ComposingColor);
    txtNotice->setFocus();
    cmdSave->setEnabled(true);
    cmdDelete->setEnabled(true);
}

bool frmNotice::refuseEmptyText(const QString &text)
{
    if (!TrimBlanks(text).isEmpty())
        return false;
    MsgInfo(GetLangText(QStringLiteral("0425"), QStringLiteral("Please Input The Notice Content!")),
            this);
    txtNotice->setFocus();
    return true;
}

void frmNotice::SaveData()
{
    QString sql;
    try {
        const QString text = txtNotice->toPlainText();
        const bool composing = mstrMode == AddNewMode;
        if (composing) {
            if (refuseEmptyText(text))
                return;
            sql =
                NoticeStatements::Insert(Session().gintDBType, Session().gstrOperator, text, Now());
        } else {
            const int row = vfgMain->Row();
            if (vfgMain->Rows() <= vfgMain->FixedRows() || row < vfgMain->FixedRows())
                return;
            const QString key = TrimBlanks(vfgMain->TextMatrix(row, 1));
            if (!IsPlainWholeNumber(key)) // also blank, or the header's "ID"
                return;
            if (refuseEmptyText(text))
                return;
            sql = NoticeStatements::UpdateContent(key, text);
        }

        if (!ExcuteSQL(sql)) {
            // Not stored: the text and the mode stay so the user can try again.
            MsgCritical(GetLangText(QStringLiteral("0069"), QStringLiteral("Failed!")), this);
            return;
        }
        if (composing)
            RefreshDB();
        setTextBackground(ViewingColor);
        MsgInfo(GetLangText(QStringLiteral("0068"), QStringLiteral("Saved!")), this);
        if (composing && MsgYesNo(GetLangText(QStringLiteral("0426"),
                                              QStringLiteral("Are you want to send Notice?")),
                                  this)) {
            // The stored text as the database gave it back.
            SendAllUserMsg(Session().gstrOperator,
                           NoticeMessage::LeftChars(txtNotice->toPlainText(), 10));
        }
    } catch (const std::exception &e) {
        setTextBackground(ViewingColor);
        LogFailure(e, QStringLiteral("SaveData"), QStringLiteral("frmNotice"), sql);
        MsgCritical(GetLangText(QStringLiteral("0069"), QStringLiteral("Failed!")), this);
    }
}

void frmNotice::DeleteData()
{
    if (mstrMode == AddNewMode) {
        RefreshDB();
        return;
    }
    const int row = vfgMain->Row();
    if (vfgMain->Rows() <= vfgMain->FixedRows() || row < vfgMain->FixedRows())
        return;
    const QString key = vfgMain->TextMatrix(row, 1);
    if (!IsPlainWholeNumber(key))
        return;
    if (!MsgYesNo(GetLangText(QStringLiteral("0077"),
                              QStringLiteral("Are You Want To Delete All Records?")),
                  this))
        return;
    const QString sql = NoticeStatements::Delete(key);
    try {
        ExcuteSQL(sql);
        // Next the older neighbour; at the bottom the newer one; nothing when it was the only one.
        QString next;
        if (row != vfgMain->Rows() - 1)
            next = vfgMain->TextMatrix(row + 1, 1);
        else if (row != vfgMain->FixedRows())
            next = vfgMain->TextMatrix(row - 1, 1);
        vfgMain->RemoveItem(row);
        RefreshDB(next);
    } catch (const std::exception &e) {
        LogFailure(e, QStringLiteral("DeleteData"), QStringLiteral("frmNotice"), sql);
    }
}

void frmNotice::SendAllUserMsg(const QString &strPublisher, const QString &strContent)
{
    try {
        const QString sql = NoticeStatements::OthersOnline(NoticeBroadcast::LocalIP());
        const std::shared_ptr<Recordset> users = GetRecordset(sql);
        if (!users)
            throw ArdentaError(QStringLiteral("The online users could not be read"));
        const NoticeBroadcast broadcast;
        const QByteArray datagram = broadcast.Datagram(strPublisher, strContent);
        for (users->MoveFirst(); !users->Eof(); users->MoveNext()) {
            const QString address = Nulltostr(users->Fields(QStringLiteral("UserIP")));
            if (!address.isEmpty())
                broadcast.SendTo(address, datagram);
        }
    } catch (const std::exception &e) {
        LogFailure(e, QStringLiteral("SendAllUserMsg"), QStringLiteral("frmNotice"));
    }
}

void frmNotice::cmdFind_Click()
{
    frmQueryNotice::ShowInFront();
}
