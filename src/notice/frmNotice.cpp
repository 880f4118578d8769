#include "notice/frmNotice.h"

#include "common/Convert.h"
#include "common/ErrLog.h"
#include "common/Language.h"
#include "common/NoticeMessage.h"
#include "common/Session.h"
#include "db/ConnectionString.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "db/ValueFormat.h"
#include "notice/NoticeBroadcast.h"
#include "notice/NoticeDraft.h"
#include "notice/NoticeListUpdate.h"
#include "notice/NoticeStatements.h"
#include "search/frmQueryNotice.h"
#include "search/NoticeList.h"
#include "widgets/Appearance.h"
#include "widgets/FlexGrid.h"
#include "widgets/GridMenu.h"
#include "widgets/MsgBox.h"
#include "widgets/Twips.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTextEdit>
#include <QTimer>

namespace {

const QString ModuleName = QStringLiteral("frmNotice");
const QString AddNewMode = QStringLiteral("AddNew");

// The window as designed, in twips.
namespace Design {
constexpr int ClientWidth = 10380;
constexpr int ClientHeight = 5850;
constexpr ControlDesign List{"vfgMain", 0, -15, 4290, 5055};
constexpr ControlDesign Text{"txtNotice", 4380, 0, 5970, 5070};
constexpr ControlDesign Bar{"picControl", 30, 5325, 8985, 450};
constexpr ControlDesign Buttons[] = {
    {"cmdFind", 0, 15, 1455, 375, "0158", "&Find"},
    {"cmdAdd", 1482, 15, 1455, 375, "0008", "&Add"},
    {"cmdDelete", 2964, 15, 1455, 375, "0010", "&Delete"},
    {"cmdSave", 4446, 15, 1455, 375, "0083", "&Save"},
    {"cmdRefresh", 5928, 15, 1455, 375, "0037", "&Refresh"},
    {"cmdExit", 7410, 15, 1455, 375, "0082", "&Exit"},
};
// The layout rules work on the window's outer size: the frame is 60 at each side and below,
// 345 above the client area (the caption bar included).
constexpr int SideBorders = 120;
constexpr int CaptionAndBorders = 405;
// The bar's bottom lies on the client area's bottom edge; the list ends 100 above the bar.
constexpr int BarFromBottom = 400;
constexpr int ListFromBottom = 500;
// The bar stays whole, with some of the list above it.
constexpr int MinimumWidth = 9045;
constexpr int MinimumHeight = 2450;
constexpr int SerialWidth = 600;
constexpr int TimeWidth = 2100;
} // namespace Design

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
    SetWidgetColor(this, QPalette::Window, DesignColor::Window);
    setAutoFillBackground(true);

    makeList();

    txtNotice = new QTextEdit(this);
    PlaceControl(txtNotice, Design::Text);
    txtNotice->setAcceptRichText(false);
    // Without the permission the box is disabled; its text should still read as plain black.
    QPalette textPalette = txtNotice->palette();
    textPalette.setColor(QPalette::Disabled, QPalette::Text, Qt::black);
    txtNotice->setPalette(textPalette);
    setTextBackground(DesignColor::Viewing);

    picControl = new QWidget(this);
    PlaceControl(picControl, Design::Bar);
    picControl->setAutoFillBackground(true);

    QPushButton **buttons[] = {&cmdFind, &cmdAdd, &cmdDelete, &cmdSave, &cmdRefresh, &cmdExit};
    for (size_t i = 0; i < std::size(buttons); ++i)
        *buttons[i] = MakeButton(picControl, Design::Buttons[i]);

    QWidget *const tabOrder[] = {vfgMain,   txtNotice, cmdRefresh, cmdFind,
                                 cmdDelete, cmdExit,   cmdSave,    cmdAdd};
    for (size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    connect(cmdFind, &QPushButton::clicked, this, &frmNotice::cmdFind_Click);
    connect(cmdAdd, &QPushButton::clicked, this, &frmNotice::AddNew);
    connect(cmdDelete, &QPushButton::clicked, this, &frmNotice::DeleteData);
    connect(cmdSave, &QPushButton::clicked, this, &frmNotice::SaveData);
    connect(cmdRefresh, &QPushButton::clicked, this, &frmNotice::cmdRefresh_Click);
    connect(cmdExit, &QPushButton::clicked, this, &QWidget::close);
    SetCancelButton(this, cmdExit);
    SetButtonKey(this, QKeySequence::Find, cmdFind);
    SetButtonKey(this, QKeySequence::Save, cmdSave);
    SetButtonKey(this, QKeySequence::Refresh, cmdRefresh);
    SetButtonKey(this, QKeySequence::New, cmdAdd);
    makeMenu();

    resize(TwipsToPixels(Design::ClientWidth), TwipsToPixels(Design::ClientHeight));
    setMinimumSize(TwipsToPixels(Design::MinimumWidth), TwipsToPixels(Design::MinimumHeight));
}

void frmNotice::makeList()
{
    vfgMain = new FlexGrid(this);
    PlaceControl(vfgMain, Design::List);
    vfgMain->setSelectionByRow(true);
    vfgMain->setEditTriggers(QAbstractItemView::NoEditTriggers);
    vfgMain->setForeColorFixed(qint32(DesignColor::White));
    vfgMain->setBackColorAlternate(qint32(DesignColor::Window));
    vfgMain->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QPalette headerPalette = vfgMain->horizontalHeader()->palette();
    headerPalette.setColor(QPalette::Button, QColor(0x3A, 0x6E, 0xA5)); // the desktop colour
    headerPalette.setColor(QPalette::ButtonText, Qt::white);
    vfgMain->horizontalHeader()->setPalette(headerPalette);
    connect(vfgMain, &FlexGrid::AfterRowColChange, this, &frmNotice::vfgMain_AfterRowColChange);
    m_listUpdate = std::make_unique<NoticeListUpdate>(*vfgMain, [this] { currentNoticeChanged(); });
}

frmNotice::~frmNotice()
{
    forget(this);
    frmQueryNotice::Unload(); // it reports to this window only
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
    takeDraft();
}

void frmNotice::SetControlsLanguage()
{
    SetCaptions(this, "Notice",
                {{cmdFind, "Find", "(&Q)"},
                 {cmdDelete, "Delete", "(&D)"},
                 {cmdSave, "&Save"},
                 {cmdRefresh, "Refresh", "(&R)"},
                 {cmdExit, "&Exit"},
                 {cmdAdd, "Add", "(&A)"}});
    vfgMain->setAccessibleName(windowTitle());
    SetAccessibleName(txtNotice, "0477", "Notice text");
    m_menu->SetCaptions();
}

void frmNotice::ResetControls()
{
    const int W = PixelsToTwips(width()) + Design::SideBorders;
    const int H = PixelsToTwips(height()) + Design::CaptionAndBorders;
    const int barWidth = PixelsToTwips(picControl->width());
    const int barHeight = PixelsToTwips(picControl->height());
    picControl->move(TwipsToPixels((W - barWidth) / 2),
                     TwipsToPixels(H - barHeight - Design::BarFromBottom));
    const int gridWidth = PixelsToTwips(vfgMain->width());
    const int listHeight = H - barHeight - Design::ListFromBottom;
    vfgMain->move(0, 0);
    if (listHeight >= 0)
        vfgMain->resize(vfgMain->width(), TwipsToPixels(listHeight));
    txtNotice->move(TwipsToPixels(gridWidth), 0);
    if (listHeight >= 0)
        txtNotice->resize(txtNotice->width(), TwipsToPixels(listHeight));
    const int textWidth = W - gridWidth - Design::SideBorders;
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
    const bool leave =
        mstrMode.isEmpty()
            ? mayDropText()
            : MsgDiscard(GetLangText(QStringLiteral("0424"), QStringLiteral("Do You Want Exit?")),
                         this, QMessageBox::Yes);
    if (!leave) {
        event->ignore();
        return;
    }
    // Nobody was asked (the session is ending): what was being composed is kept.
    if (DiscardWithoutAsking())
        keepDraft();
    event->accept();
    // Closed means unloaded: the next use loads a fresh window.
    forget(this);
    frmQueryNotice::Unload();
}

void frmNotice::setTextBackground(quint32 oleColor)
{
    SetWidgetColor(txtNotice, QPalette::Base, oleColor);
}

int frmNotice::currentDataRow() const
{
    const int row = vfgMain->Row();
    return vfgMain->Rows() > vfgMain->FixedRows() && row >= vfgMain->FixedRows() ? row : -1;
}

void frmNotice::showNoticeAt(int row)
{
    if (row != vfgMain->Row() && !mayDropText())
        return; // the user keeps his changed text, and the notice it belongs to
    {
        const QScopedValueRollback moving(m_blnMoving, true);
        vfgMain->ShowCell(row, NoticeSerialCol);
        vfgMain->Select(row, NoticeSerialCol);
    }
    ShowNotice();
}

void frmNotice::LoadData()
{
    const QString sql = NoticeStatements::ListQuery();
    try {
        vfgMain->setDataSource(GetRecordset(Session().gstrConnection, sql));
        ResetSN();
    } catch (const std::exception &e) {
        LogFailure(e, QStringLiteral("LoadData"), ModuleName, sql);
    }
}

void frmNotice::FormatGrid()
{
    FormatNoticeList(vfgMain, Design::SerialWidth, Design::TimeWidth);
}

void frmNotice::ResetSN()
{
    vfgMain->NumberRows(NoticeSerialCol);
}

void frmNotice::RefreshDB(const QString &strID)
{
    try {
        LoadData();
        FormatGrid();
        setTextBackground(DesignColor::Viewing);
        mstrMode.clear();
        // Read afresh: what the box holds is no change of a notice any more (the caller asked).
        txtNotice->document()->setModified(false);
        if (vfgMain->Rows() <= vfgMain->FixedRows())
            return;
        const int row = strID.isEmpty() ? vfgMain->FixedRows() : FindNoticeRow(vfgMain, strID);
        if (row >= 0)
            showNoticeAt(row);
    } catch (const std::exception &e) {
        LogFailure(e, QStringLiteral("RefreshDB"), ModuleName);
    }
}

void frmNotice::ShowNotice()
{
    const int row = currentDataRow();
    if (row < 0)
        return;
    setTextBackground(DesignColor::Viewing);
    mstrMode.clear();
    const QString key = vfgMain->TextMatrix(row, NoticeKeyCol);
    if (!IsPlainWholeNumber(key))
        return;
    const QString sql = NoticeStatements::ContentQuery(key);
    try {
        const std::shared_ptr<Recordset> records = GetRecordset(Session().gstrConnection, sql);
        if (!records)
            return;
        if (records->RecordCount() >= 1) {
            records->MoveFirst();
            txtNotice->setPlainText(Nulltostr(records->Fields(QStringLiteral("Notice_Content"))));
            // Only the publisher himself, spelt exactly so, may change his notice.
            const bool own =
                vfgMain->TextMatrix(row, NoticePublisherCol) == Session().gstrOperator &&
                Session().gblnEditNotice;
            cmdDelete->setEnabled(own);
            cmdSave->setEnabled(own);
        } else {
            // Deleted by someone else since the list was loaded.
            txtNotice->setPlainText(QString());
        }
    } catch (const std::exception &e) {
        LogFailure(e, QStringLiteral("ShowNotice"), ModuleName, sql);
    }
}

void frmNotice::vfgMain_AfterRowColChange(int OldRow, int OldCol, int NewRow, int)
{
    if (NewRow == OldRow || NewRow == 0 || m_blnMoving)
        return;
    if (OldRow != 0 && !mayDropText()) {
        // Back to the notice being changed once the view has finished moving.
        QTimer::singleShot(0, this, [this, OldRow, OldCol] {
            const QScopedValueRollback moving(m_blnMoving, true);
            vfgMain->ShowCell(OldRow, OldCol);
            vfgMain->Select(OldRow, OldCol);
        });
        return;
    }
    ShowNotice();
    // Not while the view is still moving to the row.
    QTimer::singleShot(0, this, &frmNotice::dropKeptGone);
}

void frmNotice::NoticesChanged(const QList<qint64> &ids)
{
    if (ids.isEmpty())
        return;
    const QString sql = NoticeStatements::ListRows(ids);
    try {
        const std::shared_ptr<Recordset> now = GetRecordset(Session().gstrConnection, sql);
        if (!now) // logged
            return;
        const QScopedValueRollback moving(m_blnMoving, true);
        m_listUpdate->Take(ids, *now);
    } catch (const std::exception &e) {
        LogFailure(e, QStringLiteral("NoticesChanged"), ModuleName, sql);
    }
}

void frmNotice::currentNoticeChanged()
{
    if (mstrMode.isEmpty() && !txtNotice->document()->isModified())
        ShowNotice();
}

void frmNotice::dropKeptGone()
{
    const QScopedValueRollback moving(m_blnMoving, true);
    m_listUpdate->DropKeptGone();
}

void frmNotice::keepDraft()
{
    const QString text = txtNotice->toPlainText();
    if (mstrMode != AddNewMode || TrimBlanks(text).isEmpty())
        return;
    if (QString error;
        !NoticeDraft::Keep(Session().gstrConnection, Session().gstrOperator, text, &error))
        WriteErrLog(error, QStringLiteral("Form_Unload"), ModuleName);
}

void frmNotice::takeDraft()
{
    if (!Session().gblnEditNotice)
        return;
    const QString draft = NoticeDraft::Take(Session().gstrConnection, Session().gstrOperator);
    if (draft.isEmpty())
        return;
    AddNew();
    txtNotice->setPlainText(draft);
    txtNotice->document()->setModified(true);
}

bool frmNotice::mayDropText()
{
    if (!mstrMode.isEmpty() || !txtNotice->document()->isModified())
        return true;
    return MsgDiscard(GetLangText(ModuleTexts::DiscardQuestion), this);
}

void frmNotice::cmdRefresh_Click()
{
    if (mayDropText())
        RefreshDB();
}

void frmNotice::SearchNotice(const QString &strID)
{
    const int row = FindNoticeRow(vfgMain, strID);
    if (row >= 0)
        showNoticeAt(row);
}

bool frmNotice::ShowNewestFrom(const QString &publisher, const QString &textStart)
{
    if (!mstrMode.isEmpty() || txtNotice->document()->isModified())
        return false; // the user's own text comes first
    const QString sql = NoticeStatements::FromPublisher(publisher);
    try {
        const std::shared_ptr<Recordset> records = GetRecordset(Session().gstrConnection, sql);
        for (qsizetype r = 0; records && r < records->RecordCount(); ++r) {
            if (!records->text(r, 1).startsWith(textStart))
                continue;
            return ShowById(records->text(r, 0));
        }
    } catch (const std::exception &e) {
        LogFailure(e, QStringLiteral("ShowNewestFrom"), ModuleName, sql);
    }
    return false;
}

bool frmNotice::ShowById(const QString &strID)
{
    if (!mstrMode.isEmpty() || txtNotice->document()->isModified())
        return false; // the user's own text comes first
    if (FindNoticeRow(vfgMain, strID) < 0)
        NoticesChanged({strID.toLongLong()});
    SearchNotice(strID);
    return vfgMain->TextMatrix(vfgMain->Row(), NoticeKeyCol) == strID;
}

void frmNotice::AddNew()
{
    if (mstrMode == AddNewMode || !mayDropText())
        return;
    mstrMode = AddNewMode;
    m_store.NewNotice();
    txtNotice->setPlainText(QString());
    setTextBackground(DesignColor::Composing);
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
        if (mstrMode == AddNewMode)
            saveNew(text, &sql);
        else
            saveChange(text, &sql);
    } catch (const std::exception &e) {
        setTextBackground(DesignColor::Viewing);
        LogFailure(e, QStringLiteral("SaveData"), ModuleName, sql);
        MsgFailed(MaskPasswordsIn(QString::fromUtf8(e.what()), Session().gstrConnection), this);
    }
}

void frmNotice::saveNew(const QString &text, QString *sql)
{
    if (refuseEmptyText(text))
        return;
    QString storedId;
    if (m_store.SaveNew(Session().gstrConnection, Session().gintDBType, Session().gstrOperator,
                        text, highestListedId(), &storedId, sql) != NoticeStore::Outcome::Done) {
        // The text and the mode stay so the user can try again.
        MsgFailed(m_store.Reason(), this);
        return;
    }
    RefreshDB(storedId);
    textSaved();
    if (MsgYesNo(
            GetLangText(QStringLiteral("0426"), QStringLiteral("Are you want to send Notice?")),
            this)) {
        // The stored text as the database gave it back.
        SendAllUserMsg(Session().gstrOperator,
                       NoticeMessage::LeftChars(txtNotice->toPlainText(), 10));
    }
}

void frmNotice::saveChange(const QString &text, QString *sql)
{
    const int row = currentDataRow();
    if (row < 0)
        return;
    const QString key = TrimBlanks(vfgMain->TextMatrix(row, NoticeKeyCol));
    if (!IsPlainWholeNumber(key)) // also blank, or the header's "ID"
        return;
    if (refuseEmptyText(text))
        return;
    const NoticeStore::Outcome outcome = m_store.Change(Session().gstrConnection, key, text, sql);
    if (outcome == NoticeStore::Outcome::Done) {
        textSaved();
        return;
    }
    // No reason when the database changed no row.
    MsgFailed(m_store.Reason(), this);
    if (outcome == NoticeStore::Outcome::Gone)
        RefreshDB();
}

void frmNotice::textSaved()
{
    txtNotice->document()->setModified(false);
    setTextBackground(DesignColor::Viewing);
    MsgInfo(GetLangText(ModuleTexts::Saved), this);
}

void frmNotice::DeleteData()
{
    if (mstrMode == AddNewMode) {
        RefreshDB();
        return;
    }
    const int row = currentDataRow();
    if (row < 0)
        return;
    const QString key = vfgMain->TextMatrix(row, NoticeKeyCol);
    if (!IsPlainWholeNumber(key))
        return;
    if (!MsgYesNo(GetLangText(ModuleTexts::DeleteQuestion), this))
        return;
    QString sql;
    try {
        // Refused with an error, or left alone while still there: it stays, and the user is told.
        const NoticeStore::Outcome outcome = m_store.Delete(Session().gstrConnection, key, &sql);
        if (outcome == NoticeStore::Outcome::Failed || outcome == NoticeStore::Outcome::Refused) {
            MsgFailed(m_store.Reason(), this);
            return;
        }
        // Next the older neighbour; at the bottom the newer one; nothing when it was the only one.
        QString next;
        if (row != vfgMain->Rows() - 1)
            next = vfgMain->TextMatrix(row + 1, NoticeKeyCol);
        else if (row != vfgMain->FixedRows())
            next = vfgMain->TextMatrix(row - 1, NoticeKeyCol);
        vfgMain->RemoveItem(row);
        RefreshDB(next);
    } catch (const std::exception &e) {
        LogFailure(e, QStringLiteral("DeleteData"), ModuleName, sql);
    }
}

qint64 frmNotice::highestListedId() const
{
    qint64 highest = 0;
    for (int row = vfgMain->FixedRows(); row < vfgMain->Rows(); ++row)
        highest = qMax(highest, vfgMain->TextMatrix(row, NoticeKeyCol).toLongLong());
    return highest;
}

void frmNotice::SendAllUserMsg(const QString &strPublisher, const QString &strContent)
{
    try {
        NoticeBroadcast::SendToOthersOnline(Session().gstrConnection, strPublisher, strContent);
    } catch (const std::exception &e) {
        LogFailure(e, QStringLiteral("SendAllUserMsg"), ModuleName);
    }
}

void frmNotice::makeMenu()
{
    m_menu = new GridMenu(vfgMain, NoticeSerialCol);
    m_menu->AddCopyEntries();
    m_menu->AddSeparator();
    m_menu->AddButtonEntry(cmdFind, {"0158", "Find"}, QKeySequence::Find);
    m_menu->AddButtonEntry(cmdDelete, {"0010", "Delete"});
    m_menu->AddButtonEntry(cmdRefresh, {"0037", "Refresh"}, QKeySequence::Refresh);
}

void frmNotice::cmdFind_Click()
{
    frmQueryNotice *search = frmQueryNotice::ShowInFront();
    connect(search, &frmQueryNotice::NoticeChosen, this, &frmNotice::searchChosen,
            Qt::UniqueConnection);
}

// No failure may travel back through the search window's signal.
void frmNotice::searchChosen(const QString &strID)
{
    try {
        SearchNotice(strID);
    } catch (const std::exception &error) {
        LogFailure(error, QStringLiteral("SearchNotice"), ModuleName, strID);
    }
}
