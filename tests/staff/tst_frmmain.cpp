// The staff window driven as its user drives it: clicks on cells, typing into the editor, the
// keys of the grid and the buttons, with the real message and input boxes answered.

#include "ArdentaError.h"
#include "FlexGrid.h"
#include "FontScheme.h"
#include "frmMain.h"
#include "frmPrint.h"
#include "LanguagePack.h"
#include "Session.h"
#include "StaffDb.h"
#include "TestHelpers.h"
#include "Twips.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

// Closes any modal box nobody answers within a second, and remembers it, so that a question that
// should not have been asked fails the test instead of hanging it.
class UnexpectedDialogs
{
public:
    UnexpectedDialogs()
    {
        m_timer.setInterval(100);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start();
    }
    QStringList seen() const { return m_seen; }

private:
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal != m_modal) {
            m_modal = modal;
            m_since.start();
            return;
        }
        if (modal && m_since.elapsed() > 1000) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            m_seen << (box ? box->text() : modal->windowTitle());
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->done(0);
        }
    }
    QTimer m_timer;
    QPointer<QWidget> m_modal;
    QElapsedTimer m_since;
    QStringList m_seen;
};

// A pack that answers some ids and throws for one, as a broken host object would.
class FakePack : public LanguagePack
{
public:
    QMap<QString, QString> texts;
    QString failingId;
    int Init(const QString &, const QString &, const QVariant &) override { return 0; }
    QString GetText(const QString &strId) override
    {
        if (strId == failingId)
            throw ArdentaError(QStringLiteral("pack is broken"));
        return texts.value(strId, QStringLiteral("?"));
    }
};

void TypeText(QWidget *widget, const QString &text)
{
    // Key events carrying the text: the way an input method's characters arrive.
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

void AddEngineDialectRows()
{
    AddEngineColumn();
    QTest::addColumn<int>("dialect");
    for (const QString &engine : TestEngines()) {
        for (int dialect : {0, 1})
            AddEngineRow(QStringLiteral("dialect%1").arg(dialect), engine) << dialect;
    }
}

// For the cases that do not depend on the engine.
#define SQLITE_DB(name)                                                                            \
    DbFixture name(QStringLiteral("sqlite"));                                                      \
    QVERIFY2(name.ready(), qPrintable(name.problem()))

const QString Question = QStringLiteral("Are You Want To Delete All Records?");

} // namespace

class tst_frmMain : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<DialogAnswerer> m_answers;
    std::unique_ptr<UnexpectedDialogs> m_unexpected;
    QPointer<frmMain> m_window;

    void openWindow(const DbFixture &db, bool blnEdit, qint16 dialect = 0)
    {
        gstrConnection = db.connection();
        gblnEditInnerInfo = blnEdit;
        gintDBType = dialect;
        m_window = frmMain::instance();
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
    }
    FlexGrid *grid() const { return m_window->findChild<FlexGrid *>(QStringLiteral("vfgMain")); }
    QLineEdit *editor() const
    {
        return m_window->findChild<QLineEdit *>(QStringLiteral("txtInput"));
    }
    QPushButton *button(const char *name) const
    {
        return m_window->findChild<QPushButton *>(QLatin1String(name));
    }
    void clickCell(int row, int col)
    {
        grid()->ShowCell(row, col);
        const QRect cell = grid()->cellRect(row, col);
        QVERIFY2(!cell.isEmpty(), qPrintable(QStringLiteral("cell %1,%2").arg(row).arg(col)));
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {},
                          grid()->viewport()->mapFrom(grid(), cell.center()));
    }
    void typeInto(int row, int col, const QString &text)
    {
        clickCell(row, col);
        QVERIFY(editor()->isVisible());
        QTest::keyClicks(editor(), text);
    }
    QStringList serials() const
    {
        QStringList result;
        for (int row = 1; row < grid()->Rows(); ++row)
            result << grid()->TextMatrix(row, 0);
        return result;
    }
    // Key and fields of a grid row, in the database's column order.
    QStringList gridRecord(int row) const
    {
        QStringList result;
        for (int col = 1; col <= 15; ++col)
            result << grid()->TextMatrix(row, col);
        return result;
    }
    void checkGridEqualsDatabase(const DbFixture &db)
    {
        const QList<QStringList> records = StaffRecords(db);
        QCOMPARE(grid()->Rows(), int(records.size()) + 2); // header and the new-entry row
        for (int row = 1; row <= records.size(); ++row)
            QCOMPARE(gridRecord(row), records[row - 1]);
        QCOMPARE(gridRecord(grid()->Rows() - 1), QStringList(15, QString()));
    }
    void checkSeen(int index, const QString &text, QMessageBox::Icon icon)
    {
        QVERIFY(int(m_answers->seen().size()) > index);
        const SeenDialog &seen = m_answers->seen()[size_t(index)];
        QCOMPARE(seen.text, text);
        QCOMPARE(seen.title, QStringLiteral("Popup"));
        QCOMPARE(seen.icon, icon);
    }

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<TestHome>();
        gobjFontScheme = CreateFontScheme();
        gobjFontScheme->SetLanguage(QStringLiteral("ENG"));
        m_answers = std::make_unique<DialogAnswerer>();
        m_unexpected = std::make_unique<UnexpectedDialogs>();
    }

    void cleanup()
    {
        frmMain::Unload();
        frmPrint::Unload();
        QTRY_VERIFY(m_window.isNull());
        QCOMPARE(m_unexpected->seen(), QStringList());
        QCOMPARE(m_answers->pending(), 0);
        m_unexpected.reset();
        m_answers.reset();
        m_home.reset();
    }

    // ---- The window as a whole ----

    void sharedInstanceLoadsOnceAndUnloads()
    {
        SQLITE_DB(db);
        QVERIFY(!frmMain::loadedInstance());
        openWindow(db, false);
        QCOMPARE(frmMain::loadedInstance(), m_window.data());
        AddNames(db, {QStringLiteral("Anna")});
        // A second request shows the loaded window without reading the directory again.
        QCOMPARE(frmMain::instance(), m_window.data());
        QCOMPARE(grid()->Rows(), 2);
        frmMain::Unload();
        QVERIFY(!frmMain::loadedInstance());
        QTRY_VERIFY(m_window.isNull());
        // Loading afresh reads the directory again; Exit unloads as well.
        openWindow(db, false);
        QCOMPARE(grid()->Rows(), 3);
        QTest::mouseClick(button("cmdExit"), Qt::LeftButton);
        QVERIFY(!frmMain::loadedInstance());
        QTRY_VERIFY(m_window.isNull());
    }

    void failedLoadLeavesNoWindow()
    {
        SQLITE_DB(db);
        auto pack = std::make_shared<FakePack>();
        pack->failingId = QStringLiteral("0421"); // the window title, set while loading
        gobjLanguagePack = pack;
        gstrConnection = db.connection();
        QVERIFY_THROWS_EXCEPTION(ArdentaError, frmMain::instance());
        QVERIFY(!frmMain::loadedInstance());
        QVERIFY(!findTopLevel(QStringLiteral("frmMain")));
    }

    void defaultCaptionsAndReadOnlyCommands()
    {
        SQLITE_DB(db);
        openWindow(db, false);
        const struct
        {
            const char *name;
            const char *tag;
            const char *caption;
        } buttons[] = {{"cmdFind", "0158", "Find(&Q)"},   {"cmdDelete", "0010", "Delete(&D)"},
                       {"cmdSave", "0083", "&Save"},      {"cmdRefresh", "0037", "&Refresh(&R)"},
                       {"cmdPrint", "0159", "Print(&P)"}, {"cmdExit", "0082", "&Exit"}};
        for (const auto &expected : buttons) {
            QPushButton *control = button(expected.name);
            QVERIFY2(control, expected.name);
            QCOMPARE(control->property("Tag").toString(), QLatin1String(expected.tag));
            QCOMPARE(control->text(), QLatin1String(expected.caption));
        }
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Internal Information Management"));
        QCOMPARE(grid()->TextMatrix(0, 4), QStringLiteral("Username"));
        QVERIFY(grid()->ColHidden(1));
        // Without the right to edit, the changing commands are greyed, the others are not.
        QVERIFY(!button("cmdSave")->isEnabled());
        QVERIFY(!button("cmdDelete")->isEnabled());
        QVERIFY(button("cmdFind")->isEnabled());
        QVERIFY(button("cmdPrint")->isEnabled());
    }

    void languagePackCaptionsKeepAccessKeys()
    {
        SQLITE_DB(db);
        auto pack = std::make_shared<FakePack>();
        pack->texts = {{QStringLiteral("0158"), QStringLiteral("查找")},
                       {QStringLiteral("0083"), QStringLiteral("保存(&S)")},
                       {QStringLiteral("0421"), QStringLiteral("内部信息管理")},
                       {QStringLiteral("0419"), QStringLiteral("序号|ID|工号|分机|用户名|部门|地址|"
                                                               "电话|手机|邮件|IP|QQ|MSN|SKP|"
                                                               "计算机|备注")}};
        gobjLanguagePack = pack;
        openWindow(db, true);
        QCOMPARE(button("cmdFind")->text(), QStringLiteral("查找(&Q)"));
        QCOMPARE(button("cmdSave")->text(), QStringLiteral("保存(&S)"));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("内部信息管理"));
        QCOMPARE(grid()->TextMatrix(0, 4), QStringLiteral("用户名"));
    }

    void layoutFollowsWindowSize()
    {
        SQLITE_DB(db);
        openWindow(db, false);
        QWidget *bar = m_window->findChild<QWidget *>(QStringLiteral("picControl"));
        const QSize barSize(TwipsToPixels(8940), TwipsToPixels(450));
        QCOMPARE(bar->size(), barSize);
        for (const QSize size : {QSize(900, 500), QSize(700, 300)}) {
            m_window->resize(size);
            QTRY_COMPARE(m_window->size(), size);
            QCOMPARE(grid()->geometry().topLeft(), QPoint(0, 0));
            QCOMPARE(grid()->width(), size.width());
            QCOMPARE(bar->geometry().bottom(), size.height() - 1);
            QVERIFY(qAbs(bar->x() - (size.width() - bar->width()) / 2) <= 1);
            const int gap = bar->y() - grid()->geometry().bottom() - 1;
            QVERIFY2(gap >= 5 && gap <= 7, qPrintable(QString::number(gap)));
        }
        // Smaller than the bar: the bar stays centred at the bottom, nothing breaks.
        m_window->resize(200, 20);
        QTRY_COMPARE(m_window->size(), QSize(200, 20));
        QCOMPARE(bar->geometry().bottom(), 19);
        QVERIFY(qAbs(bar->x() - (200 - bar->width()) / 2) <= 1);
    }

    // ---- Loading ----

    void loadNumbersRowsAndAddsNewEntryRow_data()
    {
        AddEngineColumn();
        AddEngineRows();
    }
    void loadNumbersRowsAndAddsNewEntryRow()
    {
        DB_FIXTURE(db);
        openWindow(db, false);
        QCOMPARE(serials(), QStringList{QStringLiteral("1")});
        QCOMPARE(gridRecord(1), QStringList(15, QString()));

        AddStaff(db, {QStringLiteral("N1"), QStringLiteral("101"), QStringLiteral("Anna")});
        AddNames(db, {QStringLiteral("Dan"), QStringLiteral("Ivan")});
        QTest::mouseClick(button("cmdRefresh"), Qt::LeftButton);
        QCOMPARE(serials(), (QStringList{"1", "2", "3", "4"}));
        checkGridEqualsDatabase(db);
        // The fields land under their captions.
        QCOMPARE(grid()->TextMatrix(1, 2), QStringLiteral("N1"));
        QCOMPARE(grid()->TextMatrix(1, 3), QStringLiteral("101"));
        QCOMPARE(grid()->TextMatrix(3, 4), QStringLiteral("Ivan"));

        // Refresh throws typed changes and new rows away without asking.
        gblnEditInnerInfo = true;
        typeInto(1, 4, QStringLiteral("X"));
        typeInto(4, 4, QStringLiteral("New"));
        QCOMPARE(grid()->Rows(), 6);
        QTest::mouseClick(button("cmdRefresh"), Qt::LeftButton);
        QVERIFY(!editor()->isVisible());
        checkGridEqualsDatabase(db);
    }

    // ---- The in-cell editor ----

    void editorNeedsPermissionAndDataCell()
    {
        SQLITE_DB(db);
        AddNames(db, {QStringLiteral("Anna")});
        openWindow(db, false);
        clickCell(1, 4);
        QVERIFY(!editor()->isVisible());
        frmMain::Unload();
        QTRY_VERIFY(m_window.isNull());

        openWindow(db, true);
        clickCell(1, 0);
        QVERIFY(!editor()->isVisible());
        const QRect header = grid()->cellRect(0, 4);
        QTest::mouseClick(grid()->horizontalHeader()->viewport(), Qt::LeftButton, {},
                          grid()->horizontalHeader()->viewport()->mapFrom(grid(), header.center()));
        QVERIFY(!editor()->isVisible());
        // Moving the current cell with the keyboard opens it too, past the hidden key column.
        QTest::keyClick(grid(), Qt::Key_Right);
        QCOMPARE(grid()->Col(), 2);
        QVERIFY(editor()->isVisible());
    }

    void editorCoversCellAndWritesThrough()
    {
        SQLITE_DB(db);
        AddStaff(db, {QString(), QString(), QStringLiteral("Anna"), QString(),
                      QStringLiteral("Main Street 1")});
        openWindow(db, true);
        clickCell(1, 6);
        QVERIFY(editor()->isVisible());
        QVERIFY(editor()->hasFocus());
        const QRect cell = grid()->cellRect(1, 6).translated(grid()->pos());
        QCOMPARE(editor()->geometry().topLeft(), cell.topLeft());
        QCOMPARE(editor()->width(), cell.width());
        QCOMPARE(editor()->height(), TwipsToPixels(315));
        QCOMPARE(editor()->text(), QStringLiteral("Main Street 1"));
        QCOMPARE(editor()->cursorPosition(), 13);
        QTest::keyClicks(editor(), QStringLiteral("0"));
        QCOMPARE(grid()->TextMatrix(1, 6), QStringLiteral("Main Street 10"));
        // Delete in the editor edits the text; it deletes no row.
        QTest::keyClick(editor(), Qt::Key_Home);
        QTest::keyClick(editor(), Qt::Key_Delete);
        QCOMPARE(grid()->TextMatrix(1, 6), QStringLiteral("ain Street 10"));
        QCOMPARE(grid()->Rows(), 3);
    }

    void gridMovesHideEditor()
    {
        SQLITE_DB(db);
        AddNames(db, {QStringLiteral("Anna")});
        openWindow(db, true);
        clickCell(1, 4);
        QVERIFY(editor()->isVisible());
        grid()->horizontalScrollBar()->setValue(grid()->horizontalScrollBar()->maximum());
        QVERIFY(!editor()->isVisible());

        grid()->horizontalScrollBar()->setValue(0);
        clickCell(1, 4);
        QVERIFY(editor()->isVisible());
        grid()->horizontalHeader()->resizeSection(3, 120);
        QVERIFY(!editor()->isVisible());

        clickCell(1, 4);
        QVERIFY(editor()->isVisible());
        grid()->horizontalHeader()->moveSection(5, 8);
        QVERIFY(!editor()->isVisible());
    }

    void enterWalksColumnsAndWraps()
    {
        SQLITE_DB(db);
        AddNames(db, {QStringLiteral("Anna"), QStringLiteral("Dan")});
        openWindow(db, true);
        clickCell(1, 14);
        QTest::keyClick(editor(), Qt::Key_Return);
        QCOMPARE(grid()->Row(), 1);
        QCOMPARE(grid()->Col(), 15);
        QVERIFY(editor()->isVisible());
        QCOMPARE(editor()->geometry().topLeft(),
                 grid()->cellRect(1, 15).translated(grid()->pos()).topLeft());
        QTest::keyClick(editor(), Qt::Key_Enter);
        QCOMPARE(grid()->Row(), 2);
        QCOMPARE(grid()->Col(), 2);
        QCOMPARE(editor()->text(), QString());
        QTest::keyClick(editor(), Qt::Key_Return);
        QCOMPARE(grid()->Col(), 3);
        // The last cell of the bottom row: Enter neither moves nor adds a row.
        clickCell(3, 15);
        QTest::keyClick(editor(), Qt::Key_Return);
        QCOMPARE(grid()->Row(), 3);
        QCOMPARE(grid()->Col(), 15);
        QCOMPARE(grid()->Rows(), 4);
        QVERIFY(editor()->isVisible());
    }

    void characterLimitAppliesToTypingOnly()
    {
        SQLITE_DB(db);
        const QString stored(60, u's');
        AddStaff(db, {stored, QString(), QStringLiteral("Anna")});
        openWindow(db, true);

        // A longer stored text opens whole; it may shrink but not grow.
        clickCell(1, 2);
        QCOMPARE(editor()->text(), stored);
        QTest::keyClicks(editor(), QStringLiteral("x"));
        QCOMPARE(grid()->TextMatrix(1, 2), stored);
        QTest::keyClick(editor(), Qt::Key_Backspace);
        QCOMPARE(grid()->TextMatrix(1, 2).size(), 59);
        QTest::keyClicks(editor(), QStringLiteral("x"));
        QCOMPARE(grid()->TextMatrix(1, 2).size(), 59);

        typeInto(1, 3, QString(70, u'e'));
        QCOMPARE(grid()->TextMatrix(1, 3), QString(50, u'e'));
        typeInto(1, 5, QString(160, u'd'));
        QCOMPARE(grid()->TextMatrix(1, 5).size(), 150);
        typeInto(1, 4, QString(210, u'u'));
        QCOMPARE(grid()->TextMatrix(1, 4).size(), 200); // 4 chars were there already
        typeInto(1, 15, QString(300, u'm'));
        QCOMPARE(grid()->TextMatrix(1, 15), QString(300, u'm'));
    }

    void typingIntoBottomRowAddsRow()
    {
        SQLITE_DB(db);
        openWindow(db, true);
        typeInto(1, 4, QStringLiteral("  "));
        QCOMPARE(grid()->Rows(), 2);
        QTest::keyClicks(editor(), QStringLiteral("a"));
        QCOMPARE(serials(), (QStringList{"1", "2"}));
        QTest::keyClicks(editor(), QStringLiteral("b"));
        QCOMPARE(grid()->Rows(), 3);
        // Characters from an input method grow the grid the same way.
        clickCell(2, 5);
        TypeText(editor(), QStringLiteral("研发部"));
        QCOMPARE(grid()->TextMatrix(2, 5), QStringLiteral("研发部"));
        QCOMPARE(serials(), (QStringList{"1", "2", "3"}));
    }

    void printCommandAndEscape()
    {
        SQLITE_DB(db);
        openWindow(db, true);
        QSignalSpy pressed(button("cmdPrint"), &QPushButton::clicked);
        clickCell(1, 4);
        QTest::keyClick(editor(), Qt::Key_Escape);
        QCOMPARE(pressed.count(), 1);
        clickCell(1, 0);
        QTest::keyClick(grid(), Qt::Key_Escape);
        QCOMPARE(pressed.count(), 2);
        // With only the new-entry row there is nothing to print; with a record there is.
        QVERIFY(!frmPrint::loadedInstance());
        AddNames(db, {QStringLiteral("Anna")});
        QTest::mouseClick(button("cmdRefresh"), Qt::LeftButton);
        QTest::mouseClick(button("cmdPrint"), Qt::LeftButton);
        QVERIFY(frmPrint::loadedInstance());
        QVERIFY(frmPrint::loadedInstance()->isVisible());
    }

    // ---- Saving ----

    void saveWithNothingToWrite_data()
    {
        AddEngineColumn();
        QTest::addColumn<int>("dialect");
        QTest::addColumn<QString>("typed");
        for (const QString &engine : TestEngines())
            AddEngineRow(QStringLiteral("only_blank_row"), engine) << 0 << QStringLiteral("   ");
        // No dialect but 0 and 1 writes anything, though the typing stays in the grid.
        AddEngineRow(QStringLiteral("dialect2"), QStringLiteral("sqlite"))
            << 2 << QStringLiteral("Zoe");
    }
    void saveWithNothingToWrite()
    {
        DB_FIXTURE(db);
        QFETCH(int, dialect);
        QFETCH(QString, typed);
        openWindow(db, true, qint16(dialect));
        typeInto(1, 4, typed);
        m_answers->answerMessage(QMessageBox::Ok);
        QTest::mouseClick(button("cmdSave"), Qt::LeftButton);
        checkSeen(0, QStringLiteral("Saved!"), QMessageBox::Information);
        QCOMPARE(db.count(QStringLiteral("Clerk")), 0);
        QCOMPARE(grid()->TextMatrix(1, 4), typed);
    }

    void saveWritesGridInOrder_data() { AddEngineDialectRows(); }
    void saveWritesGridInOrder()
    {
        DB_FIXTURE(db);
        QFETCH(int, dialect);
        AddNames(db, {QStringLiteral("Anna"), QStringLiteral("Dan")});
        openWindow(db, true, qint16(dialect));
        typeInto(1, 4, QStringLiteral("-Marie"));
        typeInto(2, 9, QStringLiteral("dan@example.org"));
        typeInto(3, 4, QStringLiteral("Zoe"));
        typeInto(3, 15, QStringLiteral("new"));
        m_answers->answerMessage(QMessageBox::Ok);
        QTest::mouseClick(button("cmdSave"), Qt::LeftButton);
        checkSeen(0, QStringLiteral("Saved!"), QMessageBox::Information);

        const QList<QStringList> records = StaffRecords(db);
        QCOMPARE(records.size(), 3);
        QCOMPARE(records[0][3], QStringLiteral("Anna-Marie"));
        QCOMPARE(records[1][8], QStringLiteral("dan@example.org"));
        QCOMPARE(records[2][3], QStringLiteral("Zoe"));
        QVERIFY(records[2][1].isNull()); // blank cells are stored as null
        checkGridEqualsDatabase(db);
        // The reload kept the current cell where the user left it.
        QCOMPARE(grid()->Row(), 3);
        QCOMPARE(grid()->Col(), 15);

        // The new row got its key, so a second save updates it instead of inserting it again.
        m_answers->answerMessage(QMessageBox::Ok);
        QTest::mouseClick(button("cmdSave"), Qt::LeftButton);
        QCOMPARE(StaffRecords(db), records);
    }

    void failedSaveKeepsGrid_data() { AddEngineDialectRows(); }
    void failedSaveKeepsGrid()
    {
        DB_FIXTURE(db);
        QFETCH(int, dialect);
        AddNames(db, {QStringLiteral("Anna"), QStringLiteral("Dan")});
        RejectNo(db, QStringLiteral("REJECT"));
        const QList<QStringList> before = StaffRecords(db);
        openWindow(db, true, qint16(dialect));
        typeInto(1, 4, QStringLiteral("2"));
        typeInto(3, 2, QStringLiteral("REJECT"));
        typeInto(3, 4, QStringLiteral("Zoe"));
        m_answers->answerMessage(QMessageBox::Ok);
        QTest::mouseClick(button("cmdSave"), Qt::LeftButton);
        checkSeen(0, QStringLiteral("Failed!"), QMessageBox::Critical);

        // Nothing typed is lost.
        QCOMPARE(grid()->TextMatrix(1, 4), QStringLiteral("Anna2"));
        QCOMPARE(grid()->TextMatrix(3, 4), QStringLiteral("Zoe"));
        QCOMPARE(grid()->TextMatrix(3, 1), QString());

        const QString log = m_home->logText();
        const qsizetype firstUpdate = log.indexOf(QLatin1String("Where Clerk_ID=") + before[0][0]);
        const qsizetype secondUpdate = log.indexOf(QLatin1String("Where Clerk_ID=") + before[1][0]);
        const qsizetype insert = log.indexOf(QLatin1String("Insert Into Clerk("));
        QVERIFY(insert >= 0);
        if (dialect == 0) {
            // One batch in one transaction, statements in grid order: all of it rolled back.
            QVERIFY(firstUpdate >= 0 && firstUpdate < secondUpdate && secondUpdate < insert);
            QCOMPARE(StaffRecords(db), before);
        } else {
            // One call per row: the updates before the failing row stay written.
            QCOMPARE(firstUpdate, -1);
            QCOMPARE(StaffRecords(db)[0][3], QStringLiteral("Anna2"));
            QCOMPARE(db.count(QStringLiteral("Clerk")), 2);
        }
    }

    void chineseAndQuotesSurviveSave_data()
    {
        AddEngineColumn();
        AddEngineRows();
    }
    void chineseAndQuotesSurviveSave()
    {
        DB_FIXTURE(db);
        AddStaff(db, {QStringLiteral("7"), QString(), QStringLiteral("O'Neil")});
        openWindow(db, true);
        clickCell(2, 4);
        TypeText(editor(), QStringLiteral("张伟"));
        typeInto(2, 6, QStringLiteral("It's \"B\" wing; -- 'x'"));
        clickCell(2, 15);
        TypeText(editor(), QStringLiteral("备注：‘引号’"));
        typeInto(1, 15, QStringLiteral("''"));
        m_answers->answerMessage(QMessageBox::Ok);
        QTest::mouseClick(button("cmdSave"), Qt::LeftButton);
        checkSeen(0, QStringLiteral("Saved!"), QMessageBox::Information);

        QTest::mouseClick(button("cmdRefresh"), Qt::LeftButton);
        QCOMPARE(grid()->TextMatrix(1, 4), QStringLiteral("O'Neil"));
        QCOMPARE(grid()->TextMatrix(1, 15), QStringLiteral("''"));
        QCOMPARE(grid()->TextMatrix(2, 4), QStringLiteral("张伟"));
        QCOMPARE(grid()->TextMatrix(2, 6), QStringLiteral("It's \"B\" wing; -- 'x'"));
        QCOMPARE(grid()->TextMatrix(2, 15), QStringLiteral("备注：‘引号’"));
        checkGridEqualsDatabase(db);
    }

    void rowWithBadKeyIsSkippedAndLogged()
    {
        SQLITE_DB(db);
        AddNames(db, {QStringLiteral("Anna"), QStringLiteral("Dan")});
        openWindow(db, true);
        // A key that is no plain number (as a text key from a foreign database could be).
        grid()->setTextMatrix(1, 1, QStringLiteral("1 or 1=1"));
        typeInto(1, 4, QStringLiteral("X"));
        typeInto(2, 4, QStringLiteral("Y"));
        m_answers->answerMessage(QMessageBox::Ok);
        QTest::mouseClick(button("cmdSave"), Qt::LeftButton);
        checkSeen(0, QStringLiteral("Saved!"), QMessageBox::Information);
        const QList<QStringList> records = StaffRecords(db);
        QCOMPARE(records[0][3], QStringLiteral("Anna"));
        QCOMPARE(records[1][3], QStringLiteral("DanY"));
        QVERIFY(m_home->logText().contains(QLatin1String("1 or 1=1")));
        QVERIFY(m_home->logText().contains(QLatin1String("SaveData")));
    }

    // ---- Deleting ----

    void deleteUnsavedRowWithoutQuestion()
    {
        SQLITE_DB(db);
        openWindow(db, true);
        typeInto(1, 4, QStringLiteral("a"));
        typeInto(2, 4, QStringLiteral("b"));
        QCOMPARE(grid()->Rows(), 4);
        clickCell(1, 0);
        QTest::keyClick(grid(), Qt::Key_Delete);
        QCOMPARE(grid()->Rows(), 3);
        QCOMPARE(grid()->TextMatrix(1, 4), QStringLiteral("b"));
        QCOMPARE(serials(), (QStringList{"1", "2"}));
        // The new-entry row is never removed.
        clickCell(2, 0);
        QTest::keyClick(grid(), Qt::Key_Delete);
        QTest::mouseClick(button("cmdDelete"), Qt::LeftButton);
        QCOMPARE(grid()->Rows(), 3);
    }

    void deleteKeysNeedPermission()
    {
        SQLITE_DB(db);
        AddNames(db, {QStringLiteral("Anna")});
        openWindow(db, false);
        clickCell(1, 0);
        QTest::keyClick(grid(), Qt::Key_Delete);
        QTest::keyClick(grid(), Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(grid()->Rows(), 3);
        QCOMPARE(db.count(QStringLiteral("Clerk")), 1);
    }

    void deleteSavedRowAsksFirst_data()
    {
        AddEngineColumn();
        AddEngineRows();
    }
    void deleteSavedRowAsksFirst()
    {
        DB_FIXTURE(db);
        AddNames(db, {QStringLiteral("Anna"), QStringLiteral("Dan"), QStringLiteral("Ivan")});
        openWindow(db, true);
        clickCell(2, 0);
        m_answers->answerMessage(QMessageBox::No);
        QTest::keyClick(grid(), Qt::Key_Delete);
        checkSeen(0, Question, QMessageBox::Question);
        QCOMPARE(db.count(QStringLiteral("Clerk")), 3);
        QCOMPARE(grid()->Rows(), 5);

        // Ctrl+Delete is Delete: this row only.
        m_answers->answerMessage(QMessageBox::Yes);
        QTest::keyClick(grid(), Qt::Key_Delete, Qt::ControlModifier);
        checkSeen(1, Question, QMessageBox::Question);
        const QList<QStringList> records = StaffRecords(db);
        QCOMPARE(records.size(), 2);
        QCOMPARE(records[1][3], QStringLiteral("Ivan"));
        QCOMPARE(grid()->TextMatrix(2, 4), QStringLiteral("Ivan"));
        QCOMPARE(serials(), (QStringList{"1", "2", "3"}));
    }

    void shiftDeleteAsksForAll_data()
    {
        AddEngineColumn();
        AddEngineRows();
    }
    void shiftDeleteAsksForAll()
    {
        DB_FIXTURE(db);
        AddNames(db, {QStringLiteral("Anna"), QStringLiteral("Dan")});
        openWindow(db, true);
        clickCell(2, 0);
        grid()->setTextMatrix(1, 0, QStringLiteral("9"));
        m_answers->answerMessage(QMessageBox::No);
        QTest::keyClick(grid(), Qt::Key_Delete, Qt::ShiftModifier);
        checkSeen(0, Question, QMessageBox::Question);
        QCOMPARE(db.count(QStringLiteral("Clerk")), 2);
        QCOMPARE(serials(), (QStringList{"1", "2", "3"}));

        m_answers->answerMessage(QMessageBox::Yes);
        QTest::keyClick(grid(), Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(db.count(QStringLiteral("Clerk")), 0);
        QCOMPARE(serials(), QStringList{QStringLiteral("1")});
    }

    // ---- Finding ----

    void findSelectsLastMatchCaseSensitive_data()
    {
        AddEngineColumn();
        AddEngineRows();
    }
    void findSelectsLastMatchCaseSensitive()
    {
        DB_FIXTURE(db);
        AddNames(db, {QStringLiteral("Anna"), QStringLiteral("Dan"), QStringLiteral("Ivan")});
        openWindow(db, false);
        clickCell(1, 4);
        m_answers->answerInput(QStringLiteral("an"));
        QTest::mouseClick(button("cmdFind"), Qt::LeftButton);
        QCOMPARE(m_answers->seen()[0].kind, QStringLiteral("input"));
        QCOMPARE(m_answers->seen()[0].text, QStringLiteral("Input User Name"));
        QCOMPARE(m_answers->seen()[0].title, QStringLiteral("Find"));
        QCOMPARE(grid()->Row(), 3);

        m_answers->answerInput(QStringLiteral("anna"));
        QTest::mouseClick(button("cmdFind"), Qt::LeftButton);
        QCOMPARE(grid()->Row(), 3);
        m_answers->answerInput(QStringLiteral("Dan"), false);
        QTest::mouseClick(button("cmdFind"), Qt::LeftButton);
        QCOMPARE(grid()->Row(), 3);

        // From the bottom row the search starts again at the top.
        clickCell(4, 4);
        m_answers->answerInput(QStringLiteral("Dan"));
        QTest::mouseClick(button("cmdFind"), Qt::LeftButton);
        QCOMPARE(grid()->Row(), 2);
        QCOMPARE(grid()->Col(), 4);
    }
};

QTEST_MAIN(tst_frmMain)
#include "tst_frmmain.moc"
