#include "notice/frmNotice.h"

#include "common/ArdentaError.h"
#include "common/Clock.h"
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
#include "notice/NoticeStatements.h"
#include "search/frmQueryNotice.h"
#include "search/NoticeList.h"
#include "widgets/Appearance.h"
#include "widgets/BenchMarks.h"
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
        std::map<qint64, qsizetype> stored;
        for (qsizetype r = 0; r < now->RecordCount(); ++r)
            stored[now->text(r, NoticeKeyCol).toLongLong()] = r;
        // One pass over the list, however long, for where the named notices are.
        const QSet<qint64> named(ids.cbegin(), ids.cend());
        std::map<qint64, int> listed;
        for (int row = vfgMain->FixedRows(); row < vfgMain->Rows(); ++row) {
            const qint64 id = vfgMain->TextMatrix(row, NoticeKeyCol).toLongLong();
            if (named.contains(id))
                listed[id] = row;
        }
        const QScopedValueRollback moving(m_blnMoving, true);
        dropGone(listed, stored);
        takeChanged(*now, stored, listed);
        addNew(*now, stored, listed);
    } catch (const std::exception &e) {
        LogFailure(e, QStringLiteral("NoticesChanged"), ModuleName, sql);
    }
}

// Bottom first, so that the rows above keep their numbers.
void frmNotice::dropGone(const std::map<qint64, int> &listed,
                         const std::map<qint64, qsizetype> &stored)
{
    for (auto it = listed.crbegin(); it != listed.crend(); ++it) {
        const auto [id, row] = *it;
        if (stored.count(id))
            continue;
        if (row == vfgMain->Row())
            m_keptGone.insert(id);
        else
            vfgMain->RemoveItem(row);
    }
}

// Rows moved up as others went: each is looked up again, which changes that are not new notices
// can afford.
void frmNotice::takeChanged(const Recordset &now, const std::map<qint64, qsizetype> &stored,
                            const std::map<qint64, int> &listed)
{
    const int current = currentDataRow();
    for (const auto &[id, r] : stored) {
        const int row = listed.count(id) ? FindNoticeRow(vfgMain, QString::number(id)) : -1;
        if (row < 0)
            continue;
        for (const int col : {NoticeTimeCol, NoticePublisherCol})
            vfgMain->setCellValue(row, col, now.value(r, col));
        // A new text of the notice shown, unless the user is at work on his own.
        if (row == current && mstrMode.isEmpty() && !txtNotice->document()->isModified())
            ShowNotice();
    }
}

// Newest first, as the list is read: a notice goes above the first one not later than itself
// (under Jet a client's clock may put it lower than the top).
void frmNotice::addNew(const Recordset &now, const std::map<qint64, qsizetype> &stored,
                       const std::map<qint64, int> &listed)
{
    for (const auto &[id, r] : stored) {
        if (listed.count(id))
            continue;
        const QString time = now.text(r, NoticeTimeCol);
        int low = vfgMain->FixedRows();
        int high = vfgMain->Rows();
        while (low < high) {
            const int middle = (low + high) / 2;
            if (vfgMain->TextMatrix(middle, NoticeTimeCol) > time)
                low = middle + 1;
            else
                high = middle;
        }
        QVariantList values;
        for (int col = 0; col < now.ColumnCount(); ++col)
            values << now.value(r, col);
        vfgMain->AddRecord(low, values);
        MarkBoardRow(id, low);
    }
    ResetSN();
}

void frmNotice::dropKeptGone()
{
    if (m_keptGone.isEmpty())
        return;
    const QScopedValueRollback moving(m_blnMoving, true);
    for (int row = vfgMain->Rows() - 1; row >= vfgMain->FixedRows(); --row) {
        const qint64 id = vfgMain->TextMatrix(row, NoticeKeyCol).toLongLong();
        if (row != vfgMain->Row() && m_keptGone.remove(id))
            vfgMain->RemoveItem(row);
    }
    ResetSN();
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
    m_maybeStored.reset(); // another notice from here on
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
        const bool composing = mstrMode == AddNewMode;
        QString storedId;
        if (composing) {
            if (refuseEmptyText(text))
                return;
            if (!newNoticeStatement(text, &sql, &storedId)) {
                MsgFailed(LastDatabaseFailure(), this);
                return;
            }
        } else {
            const int row = currentDataRow();
            if (row < 0)
                return;
            const QString key = TrimBlanks(vfgMain->TextMatrix(row, NoticeKeyCol));
            if (!IsPlainWholeNumber(key)) // also blank, or the header's "ID"
                return;
            if (refuseEmptyText(text))
                return;
            sql = NoticeStatements::UpdateContent(key, text);
        }

        int rows = 0;
        bool stored = false;
        if (composing && storedId.isEmpty()) {
            // The notice just saved is found by the key it took, not by its time.
            qint64 key = 0;
            stored = ExcuteInsert(Session().gstrConnection, sql, QStringLiteral("Notice_ID"),
                                  Session().gintDBType, &key);
            if (key > 0)
                storedId = QString::number(key);
        } else {
            stored = ExcuteSQL(Session().gstrConnection, sql, &rows);
        }
        if (!stored) {
            // The text and the mode stay so the user can try again; a new notice may have been
            // stored before the connection dropped, and the next save looks for it.
            if (composing) {
                if (!m_maybeStored)
                    m_maybeStored = MaybeStored{{}, highestListedId()};
                m_maybeStored->Texts << StoredValue(text).toString();
            }
            MsgFailed(LastDatabaseFailure(), this);
            return;
        }
        if (!composing && rows == 0) {
            // The database left the notice alone (not this login's), or it is gone.
            const bool gone = noticeGone(QStringLiteral("SaveData"), sql);
            MsgFailed(QString(), this);
            if (gone)
                RefreshDB();
            return;
        }
        if (composing) {
            m_maybeStored.reset();
            RefreshDB(storedId);
        }
        txtNotice->document()->setModified(false);
        setTextBackground(DesignColor::Viewing);
        MsgInfo(GetLangText(ModuleTexts::Saved), this);
        if (composing && MsgYesNo(GetLangText(QStringLiteral("0426"),
                                              QStringLiteral("Are you want to send Notice?")),
                                  this)) {
            // The stored text as the database gave it back.
            SendAllUserMsg(Session().gstrOperator,
                           NoticeMessage::LeftChars(txtNotice->toPlainText(), 10));
        }
    } catch (const std::exception &e) {
        setTextBackground(DesignColor::Viewing);
        LogFailure(e, QStringLiteral("SaveData"), ModuleName, sql);
        MsgFailed(MaskPasswordsIn(QString::fromUtf8(e.what()), Session().gstrConnection), this);
    }
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
    const QString sql = NoticeStatements::Delete(key);
    try {
        int rows = 0;
        // Refused with an error, or left alone while still there: it stays, and the user is told.
        const bool ran = ExcuteSQL(Session().gstrConnection, sql, &rows);
        const QString reason = LastDatabaseFailure();
        if (!ran || (rows == 0 && !noticeGone(QStringLiteral("DeleteData"), sql))) {
            MsgFailed(reason, this);
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

bool frmNotice::newNoticeStatement(const QString &text, QString *sql, QString *storedId)
{
    if (m_maybeStored) {
        const std::shared_ptr<Recordset> since = GetRecordset(
            Session().gstrConnection,
            NoticeStatements::FromPublisherSince(Session().gstrOperator, m_maybeStored->AfterId));
        if (!since) // logged
            return false;
        const QString now = StoredValue(text).toString();
        for (qsizetype r = 0; r < since->RecordCount(); ++r) {
            const QString stored = since->text(r, 1);
            if (stored != now && !m_maybeStored->Texts.contains(stored))
                continue;
            *storedId = since->text(r, 0);
            *sql = stored == now ? QString() : NoticeStatements::UpdateContent(*storedId, text);
            return true;
        }
    }
    *sql = NoticeStatements::Insert(Session().gintDBType, Session().gstrOperator, text, Now());
    return true;
}

qint64 frmNotice::highestListedId() const
{
    qint64 highest = 0;
    for (int row = vfgMain->FixedRows(); row < vfgMain->Rows(); ++row)
        highest = qMax(highest, vfgMain->TextMatrix(row, NoticeKeyCol).toLongLong());
    return highest;
}

bool frmNotice::noticeGone(const QString &procedure, const QString &sql)
{
    const QString key = TrimBlanks(vfgMain->TextMatrix(currentDataRow(), NoticeKeyCol));
    const std::shared_ptr<Recordset> now =
        GetRecordset(Session().gstrConnection, NoticeStatements::ContentQuery(key));
    if (!now) // not read again, and logged: it counts as still there
        return false;
    const bool gone = now->RecordCount() == 0;
    if (!gone)
        WriteErrLog(QStringLiteral("The database changed no row: the notice is not yours to "
                                   "change, or the change was refused"),
                    procedure, ModuleName, sql);
    return gone;
}

void frmNotice::SendAllUserMsg(const QString &strPublisher, const QString &strContent)
{
    try {
        const QString sql = NoticeStatements::OthersOnline(NoticeBroadcast::LocalIP());
        const std::shared_ptr<Recordset> users = GetRecordset(Session().gstrConnection, sql);
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
