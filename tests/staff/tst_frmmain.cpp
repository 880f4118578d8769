// The staff window driven as its user drives it: clicks on cells, typing into the editor, the
// keys of the grid and the buttons, with the real message and input boxes answered.

#include "ArdentaError.h"
#include "cryClerk.h"
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

class ThrowingPack : public LanguagePack
{
public:
    int Init(const QString &, const QString &, const QVariant &) override { return 0; }
    QString GetText(const QString &) override { throw ArdentaError(QStringLiteral("broken")); }
};

// Key events carrying the text: the way an input method's characters arrive.
void TypeText(QWidget *widget, const QString &text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
    }
}

void EngineRows()
{
    AddEngineColumn();
    AddEngineRows();
}

void EngineDialectRows()
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
    // A box nobody answers within a second was not expected: it is closed and the test fails.
    QTimer m_watch;
    QPointer<QDialog> m_modal;
    int m_ticks = 0;
    QStringList m_unexpected;
    QPointer<frmMain> m_window;
    FlexGrid *m_grid = nullptr;
    QLineEdit *m_editor = nullptr;

    void openWindow(const DbFixture &db, bool blnEdit, int dialect = 0)
    {
        gstrConnection = db.connection();
        gblnEditInnerInfo = blnEdit;
        gintDBType = qint16(dialect);
        m_window = frmMain::instance();
        m_grid = m_window->findChild<FlexGrid *>(QStringLiteral("vfgMain"));
        m_editor = m_window->findChild<QLineEdit *>(QStringLiteral("txtInput"));
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
    }
    QPushButton *button(const char *name) { return m_window->findChild<QPushButton *>(name); }
    void click(const char *name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    QPoint current() const { return {m_grid->Col(), m_grid->Row()}; } // x column, y row
    void clickCell(int row, int col)
    {
        m_grid->ShowCell(row, col);
        const QRect cell = m_grid->cellRect(row, col);
        QVERIFY2(!cell.isEmpty(), qPrintable(QStringLiteral("cell %1,%2").arg(row).arg(col)));
        QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {},
                          m_grid->viewport()->mapFrom(m_grid, cell.center()));
    }
    void typeInto(int row, int col, const QString &text)
    {
        clickCell(row, col);
        QVERIFY(m_editor->isVisible());
        QTest::keyClicks(m_editor, text);
    }
    QStringList serials() const
    {
        QStringList result;
        for (int row = 1; row < m_grid->Rows(); ++row)
            result << m_grid->TextMatrix(row, 0);
        return result;
    }
    // Key and fields of every row, in the database's column order, and the empty new-entry row.
    void checkGridEqualsDatabase(const DbFixture &db)
    {
        QList<QStringList> records = StaffRecords(db);
        records << QStringList(15, QString());
        QCOMPARE(m_grid->Rows(), int(records.size()) + 1);
        for (int row = 1; row < m_grid->Rows(); ++row) {
            for (int col = 1; col <= 15; ++col)
                QCOMPARE(m_grid->TextMatrix(row, col), records[row - 1][col - 1]);
        }
    }
    void save(const QString &answer = QStringLiteral("Saved!"),
              QMessageBox::Icon icon = QMessageBox::Information)
    {
        m_answers->answerMessage(QMessageBox::Ok);
        click("cmdSave");
        QVERIFY(!m_answers->seen().empty());
        const SeenDialog &box = m_answers->seen().back();
        QVERIFY2(box.text == answer && box.title == QLatin1String("Popup") && box.icon == icon,
                 qPrintable(box.text));
    }
    void find(const QString &name, bool accept = true)
    {
        m_answers->answerInput(name, accept);
        click("cmdFind");
    }

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<TestHome>();
        gobjFontScheme = CreateFontScheme();
        gobjFontScheme->SetLanguage(QStringLiteral("ENG"));
        m_answers = std::make_unique<DialogAnswerer>();
        m_unexpected.clear();
        connect(&m_watch, &QTimer::timeout, this, [this] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            m_ticks = dialog && dialog == m_modal ? m_ticks + 1 : 0;
            m_modal = dialog;
            if (m_ticks == 10) {
                auto *box = qobject_cast<QMessageBox *>(dialog);
                m_unexpected << (box ? box->text() : dialog->windowTitle());
                dialog->done(0);
            }
        });
        m_watch.start(100);
    }

    void cleanup()
    {
        frmMain::Unload();
        frmPrint::Unload();
        QTRY_VERIFY(m_window.isNull());
        m_watch.disconnect();
        QCOMPARE(m_unexpected, QStringList());
        QCOMPARE(m_answers->pending(), 0);
        m_answers.reset();
        m_home.reset();
    }

    // ---- The window as a whole ----

    void sharedInstanceLoadsOnceAndUnloads()
    {
        SQLITE_DB(db);
        // A load that fails leaves no window behind.
        gobjLanguagePack = std::make_shared<ThrowingPack>();
        gstrConnection = db.connection();
        QVERIFY_THROWS_EXCEPTION(ArdentaError, frmMain::instance());
        QVERIFY(!frmMain::loadedInstance() && !findTopLevel(QStringLiteral("frmMain")));

        gobjLanguagePack.reset();
        openWindow(db, false);
        // A second request shows the loaded window without reading the directory again.
        AddNames(db, {QStringLiteral("Anna")});
        QCOMPARE(frmMain::instance(), m_window.data());
        QCOMPARE(m_grid->Rows(), 2);
        // Exit unloads; loading afresh reads the directory again.
        click("cmdExit");
        QVERIFY(!frmMain::loadedInstance());
        QTRY_VERIFY(m_window.isNull());
        openWindow(db, false);
        QCOMPARE(m_grid->Rows(), 3);
    }

    void readOnlyWindow()
    {
        SQLITE_DB(db);
        AddNames(db, {QStringLiteral("Anna")});
        openWindow(db, false);
        QCOMPARE((QStringList{button("cmdFind")->text(), button("cmdSave")->text(),
                              m_window->windowTitle(), m_grid->TextMatrix(0, 4)}),
                 (QStringList{"Find(&Q)", "&Save", "Internal Information Management", "Username"}));
        QVERIFY(m_grid->ColHidden(1));
        // Without the right to edit: changing commands greyed, no editor, the delete keys dead.
        QVERIFY(!button("cmdSave")->isEnabled() && !button("cmdDelete")->isEnabled());
        QVERIFY(button("cmdFind")->isEnabled() && button("cmdPrint")->isEnabled());
        clickCell(1, 4);
        QVERIFY(!m_editor->isVisible());
        QTest::keyClick(m_grid, Qt::Key_Delete);
        QTest::keyClick(m_grid, Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(db.count(QStringLiteral("Clerk")), 1);
        QCOMPARE(m_grid->Rows(), 3);
    }

    void printCommandAndEscape()
    {
        SQLITE_DB(db);
        openWindow(db, true);
        QSignalSpy pressed(button("cmdPrint"), &QPushButton::clicked);
        // Escape presses Print, from the editor and from the grid.
        clickCell(1, 4);
        QTest::keyClick(m_editor, Qt::Key_Escape);
        clickCell(1, 0);
        QTest::keyClick(m_grid, Qt::Key_Escape);
        QCOMPARE(pressed.count(), 2);
        // With only the new-entry row there is nothing to print; with a record there is.
        QVERIFY(!frmPrint::loadedInstance());
        AddNames(db, {QStringLiteral("Anna")});
        click("cmdRefresh");
        click("cmdPrint");
        QVERIFY(frmPrint::loadedInstance() && frmPrint::loadedInstance()->isVisible());
        // A second click while the preview is open does not read the view again.
        AddNames(db, {QStringLiteral("Dan")});
        click("cmdPrint");
        QCOMPARE(frmPrint::loadedInstance()->report()->RecordCount(), 1);
    }

    // ---- Loading and the in-cell editor ----

    void loadNumbersRowsAndAddsNewEntryRow_data() { EngineRows(); }
    void loadNumbersRowsAndAddsNewEntryRow()
    {
        DB_FIXTURE(db);
        openWindow(db, true);
        QCOMPARE(serials(), QStringList{QStringLiteral("1")});
        checkGridEqualsDatabase(db);
        // Saving only the blank new-entry row writes nothing.
        typeInto(1, 4, QStringLiteral("   "));
        save();
        QCOMPARE(db.count(QStringLiteral("Clerk")), 0);

        AddStaff(db, {QStringLiteral("N1"), QStringLiteral("101"), QStringLiteral("Anna")});
        AddNames(db, {QStringLiteral("Dan"), QStringLiteral("Ivan")});
        click("cmdRefresh");
        QCOMPARE(serials(), (QStringList{"1", "2", "3", "4"}));
        checkGridEqualsDatabase(db);
        // Refresh throws typed changes and new rows away without asking.
        typeInto(1, 4, QStringLiteral("X"));
        typeInto(4, 4, QStringLiteral("New"));
        QCOMPARE(m_grid->Rows(), 6);
        click("cmdRefresh");
        QVERIFY(!m_editor->isVisible());
        checkGridEqualsDatabase(db);
    }

    void editorCoversCellWritesThroughAndHides()
    {
        SQLITE_DB(db);
        AddStaff(db, {QString(), QString(), QStringLiteral("Anna"), QString(),
                      QStringLiteral("Main Street 1")});
        openWindow(db, true);
        // Not on the serial column nor the header; the keyboard opens it past the hidden key.
        clickCell(1, 0);
        QWidget *header = m_grid->horizontalHeader()->viewport();
        QTest::mouseClick(header, Qt::LeftButton, {},
                          header->mapFrom(m_grid, m_grid->cellRect(0, 4).center()));
        QVERIFY(!m_editor->isVisible());
        QTest::keyClick(m_grid, Qt::Key_Right);
        QCOMPARE(m_grid->Col(), 2);
        QVERIFY(m_editor->isVisible());

        clickCell(1, 6);
        QVERIFY(m_editor->hasFocus());
        const QRect cell = m_grid->cellRect(1, 6).translated(m_grid->pos());
        QCOMPARE(m_editor->geometry(),
                 QRect(cell.topLeft(), QSize(cell.width(), TwipsToPixels(315))));
        QTest::keyClicks(m_editor, QStringLiteral("0"));
        QCOMPARE(m_grid->TextMatrix(1, 6), QStringLiteral("Main Street 10"));
        // Delete in the editor edits the text; it deletes no row.
        QTest::keyClick(m_editor, Qt::Key_Home);
        QTest::keyClick(m_editor, Qt::Key_Delete);
        QCOMPARE(m_grid->TextMatrix(1, 6), QStringLiteral("ain Street 10"));
        QCOMPARE(m_grid->Rows(), 3);
        // Scrolling hides it: it would float over another cell.
        m_grid->horizontalScrollBar()->setValue(m_grid->horizontalScrollBar()->maximum());
        QVERIFY(!m_editor->isVisible());
    }

    void enterWalksAndTypingObeysLimits()
    {
        SQLITE_DB(db);
        const QString stored(60, u's');
        AddStaff(db, {stored, QString(), QStringLiteral("Anna")});
        AddNames(db, {QStringLiteral("Dan")});
        openWindow(db, true);
        // Enter walks columns 2 to 15 and wraps to the next row, but not past the last cell.
        clickCell(1, 14);
        QTest::keyClick(m_editor, Qt::Key_Return);
        QCOMPARE(current(), QPoint(15, 1));
        QTest::keyClick(m_editor, Qt::Key_Enter);
        QCOMPARE(current(), QPoint(2, 2));
        QTest::keyClick(m_editor, Qt::Key_Return);
        QCOMPARE(current(), QPoint(3, 2));
        clickCell(3, 15);
        QTest::keyClick(m_editor, Qt::Key_Return);
        QCOMPARE(current(), QPoint(15, 3));
        QCOMPARE(m_grid->Rows(), 4);

        // A longer stored text opens whole; it may shrink but not grow.
        clickCell(1, 2);
        QCOMPARE(m_editor->text(), stored);
        QTest::keyClicks(m_editor, QStringLiteral("x"));
        QCOMPARE(m_grid->TextMatrix(1, 2), stored);
        QTest::keyClick(m_editor, Qt::Key_Backspace);
        QTest::keyClicks(m_editor, QStringLiteral("x"));
        QCOMPARE(m_grid->TextMatrix(1, 2), QString(59, u's'));
        // Typing stops at the column's limit; the memo has none.
        for (const auto &[col, limit] : {std::pair{3, 50}, {5, 150}, {12, 100}, {15, 300}}) {
            typeInto(1, col, QString(300, u'x'));
            QCOMPARE(m_grid->TextMatrix(1, col).size(), limit);
        }
        // In the bottom row a blank adds no row; the first letter does, also from an input method.
        typeInto(3, 4, QStringLiteral("  "));
        QCOMPARE(m_grid->Rows(), 4);
        QTest::keyClicks(m_editor, QStringLiteral("ab"));
        QCOMPARE(serials(), (QStringList{"1", "2", "3", "4"}));
        clickCell(4, 5);
        TypeText(m_editor, QStringLiteral("研发部"));
        QCOMPARE(m_grid->TextMatrix(4, 5), QStringLiteral("研发部"));
        QCOMPARE(m_grid->Rows(), 6);
    }

    // ---- Saving ----

    void saveWritesGridAndReloads_data()
    {
        EngineDialectRows();
        // No other dialect writes anything; the typing stays in the grid.
        AddEngineRow(QStringLiteral("dialect2"), QStringLiteral("sqlite")) << 2;
    }
    void saveWritesGridAndReloads()
    {
        DB_FIXTURE(db);
        QFETCH(int, dialect);
        AddStaff(db, {QStringLiteral("7"), QString(), QStringLiteral("O'Neil")});
        AddNames(db, {QStringLiteral("Dan")});
        const QList<QStringList> before = StaffRecords(db);
        openWindow(db, true, dialect);
        const QStringList typed{QStringLiteral("备注：‘引号’"),
                                QStringLiteral("It's \"B\" wing; -- 'x'"), QStringLiteral("张伟"),
                                QStringLiteral("''")};
        clickCell(1, 15);
        TypeText(m_editor, typed[0]);
        typeInto(2, 6, typed[1]);
        clickCell(3, 4);
        TypeText(m_editor, typed[2]);
        typeInto(3, 15, typed[3]);
        save();
        // Written: the reload gave the new row its key and kept the texts and the current cell.
        const QStringList shown{m_grid->TextMatrix(1, 15), m_grid->TextMatrix(2, 6),
                                m_grid->TextMatrix(3, 4), m_grid->TextMatrix(3, 15)};
        QCOMPARE(shown, typed);
        QCOMPARE(current(), QPoint(15, 3));
        if (dialect == 2) {
            QCOMPARE(StaffRecords(db), before);
            return;
        }
        checkGridEqualsDatabase(db);
        QCOMPARE(m_grid->TextMatrix(1, 4), QStringLiteral("O'Neil"));
        QVERIFY(StaffRecords(db)[2][1].isNull()); // blank cells are stored as null
        // So a second save updates the new row instead of inserting it again.
        const QList<QStringList> records = StaffRecords(db);
        save();
        QCOMPARE(StaffRecords(db), records);
    }

    void failedSaveKeepsGrid_data() { EngineDialectRows(); }
    void failedSaveKeepsGrid()
    {
        DB_FIXTURE(db);
        QFETCH(int, dialect);
        AddNames(db, {QStringLiteral("Anna"), QStringLiteral("Dan")});
        RejectNo(db, QStringLiteral("REJECT"));
        const QList<QStringList> before = StaffRecords(db);
        openWindow(db, true, dialect);
        typeInto(1, 4, QStringLiteral("2"));
        typeInto(3, 2, QStringLiteral("REJECT"));
        typeInto(3, 4, QStringLiteral("Zoe"));
        save(QStringLiteral("Failed!"), QMessageBox::Critical);
        // Nothing typed is lost.
        QCOMPARE(m_grid->TextMatrix(1, 4), QStringLiteral("Anna2"));
        QCOMPARE(m_grid->TextMatrix(3, 4), QStringLiteral("Zoe"));

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

    void rowWithBadKeyIsSkippedAndLogged()
    {
        SQLITE_DB(db);
        AddNames(db, {QStringLiteral("Anna"), QStringLiteral("Dan")});
        openWindow(db, true);
        // A key that is no plain number (as a text key from a foreign database could be).
        m_grid->setTextMatrix(1, 1, QStringLiteral("1 or 1=1"));
        typeInto(1, 4, QStringLiteral("X"));
        typeInto(2, 4, QStringLiteral("Y"));
        save();
        const QList<QStringList> records = StaffRecords(db);
        QCOMPARE(records[0][3] + u'/' + records[1][3], QStringLiteral("Anna/DanY"));
        QVERIFY(m_home->logText().contains(QLatin1String("SaveData")) &&
                m_home->logText().contains(QLatin1String("Clerk_ID=1 or 1=1")));
    }

    // ---- Deleting and finding ----

    void deleteRowsAndAll_data() { EngineRows(); }
    void deleteRowsAndAll()
    {
        DB_FIXTURE(db);
        AddNames(db, {QStringLiteral("Anna"), QStringLiteral("Dan"), QStringLiteral("Ivan")});
        openWindow(db, true);
        // An unsaved row goes without a question; the new-entry row never goes.
        typeInto(4, 4, QStringLiteral("a"));
        typeInto(5, 4, QStringLiteral("b"));
        clickCell(4, 0);
        QTest::keyClick(m_grid, Qt::Key_Delete);
        QCOMPARE(m_grid->TextMatrix(4, 4), QStringLiteral("b"));
        QCOMPARE(serials(), (QStringList{"1", "2", "3", "4", "5"}));
        clickCell(5, 0);
        QTest::keyClick(m_grid, Qt::Key_Delete);
        click("cmdDelete");
        QCOMPARE(m_grid->Rows(), 6);

        // A saved row is asked for; Ctrl+Delete is plain Delete: just this row.
        clickCell(2, 0);
        m_answers->answerMessage(QMessageBox::Yes);
        QTest::keyClick(m_grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(db.count(QStringLiteral("Clerk")), 2);
        QCOMPARE(m_grid->TextMatrix(2, 4), QStringLiteral("Ivan"));
        QCOMPARE(serials(), (QStringList{"1", "2", "3", "4"}));

        // Shift+Delete asks for all: No deletes nothing but renumbers, Yes empties the table.
        m_grid->setTextMatrix(1, 0, QStringLiteral("9"));
        m_answers->answerMessage(QMessageBox::No);
        QTest::keyClick(m_grid, Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(db.count(QStringLiteral("Clerk")), 2);
        QCOMPARE(serials(), (QStringList{"1", "2", "3", "4"}));
        m_answers->answerMessage(QMessageBox::Yes);
        QTest::keyClick(m_grid, Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(db.count(QStringLiteral("Clerk")), 0);
        QCOMPARE(serials(), QStringList{QStringLiteral("1")});
        QCOMPARE(m_answers->seen().size(), size_t(3));
        for (const SeenDialog &box : m_answers->seen())
            QVERIFY(box.text == Question && box.icon == QMessageBox::Question);
    }

    void findSelectsLastMatchCaseSensitive_data() { EngineRows(); }
    void findSelectsLastMatchCaseSensitive()
    {
        DB_FIXTURE(db);
        AddNames(db, {QStringLiteral("Anna"), QStringLiteral("Dan"), QStringLiteral("Ivan")});
        openWindow(db, false);
        clickCell(1, 4);
        find(QStringLiteral("an"));
        const SeenDialog &box = m_answers->seen()[0];
        QCOMPARE((QStringList{box.kind, box.text, box.title}),
                 (QStringList{"input", "Input User Name", "Find"}));
        QCOMPARE(m_grid->Row(), 3);
        // A miss and a cancelled box leave the selection alone.
        find(QStringLiteral("anna"));
        QCOMPARE(m_grid->Row(), 3);
        find(QStringLiteral("Dan"), false);
        QCOMPARE(m_grid->Row(), 3);
        // From the bottom row the search starts again at the top.
        clickCell(4, 4);
        find(QStringLiteral("Dan"));
        QCOMPARE(current(), QPoint(4, 2));
    }
};

QTEST_MAIN(tst_frmMain)
#include "tst_frmmain.moc"
