// The staff window driven as its user drives it: clicks on cells, typing into the editor, the
// keys of the grid and the buttons, with the real message and input boxes answered.

#include "DbFixture.h"
#include "print/cryClerk.h"
#include "print/frmPrint.h"
#include "staff/frmHistory.h"
#include "staff/frmMain.h"
#include "widgets/FlexGrid.h"
#include "widgets/MsgBox.h"
#include "widgets/Twips.h"
#include "WindowDriver.h"

#include <QAction>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>

class tst_frmMain : public WindowTestCase
{
    Q_OBJECT

    frmMain *m_window = nullptr;
    FlexGrid *m_grid = nullptr;
    QLineEdit *m_editor = nullptr;

    void open(const DbFixture &db, bool blnEdit, int dialect = 0)
    {
        StartSession(db.connection(), "ops", blnEdit, dialect);
        m_window = frmMain::instance();
        m_grid = Find<FlexGrid>(m_window, "vfgMain");
        m_editor = Find<QLineEdit>(m_window, "txtInput");
        QVERIFY(ShowWindow(m_window));
    }
    QPushButton *button(const char *name) { return Find<QPushButton>(m_window, name); }
    QPoint current() const { return {m_grid->Col(), m_grid->Row()}; } // x column, y row
    void clickCell(int row, int col)
    {
        m_grid->ShowCell(row, col);
        const QRect cell = m_grid->visualRect(m_grid->model()->index(row - 1, col));
        QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, cell.center());
    }
    void typeInto(int row, int col, const QString &text)
    {
        clickCell(row, col);
        QVERIFY(m_editor->isVisible());
        TypeText(m_editor, text);
    }
    QStringList serials() const
    {
        QStringList result;
        for (int row = 1; row < m_grid->Rows(); ++row)
            result << m_grid->TextMatrix(row, 0);
        return result;
    }
    // Key and fields of every record in the database's order, then the empty new-entry row.
    void checkGridEqualsDatabase(const DbFixture &db)
    {
        QList<QStringList> records = db.staff();
        records << QStringList(15, QString());
        QCOMPARE(m_grid->Rows(), int(records.size()) + 1);
        for (int row = 1; row < m_grid->Rows(); ++row) {
            for (int col = 1; col <= 15; ++col)
                QCOMPARE(m_grid->TextMatrix(row, col), records[row - 1][col - 1]);
        }
    }
    // Presses a button whose box, answered with OK, says `expected`.
    void press(const char *name, const QString &expected, QMessageBox::Icon icon)
    {
        user->answerMessage(QMessageBox::Ok);
        Click(m_window, name);
        QVERIFY(!user->seen().empty());
        const SeenDialog &box = user->seen().back();
        QVERIFY2(box.text == expected && box.title == QLatin1String("Popup") && box.icon == icon,
                 qPrintable(box.text));
    }
    void saveGrid() { press("cmdSave", "Saved!", QMessageBox::Information); }
    static QClipboard *clipboard() { return QGuiApplication::clipboard(); }
    // Every cell of the grid as shown, header and serial numbers included.
    QList<QStringList> gridTexts() const
    {
        QList<QStringList> texts;
        for (int row = 0; row < m_grid->Rows(); ++row) {
            texts << QStringList();
            for (int col = 0; col < m_grid->Cols(); ++col)
                texts.back() << m_grid->TextMatrix(row, col);
        }
        return texts;
    }
    // The grid's context menu as a right-click on the cell (or the Menu key) opens it.
    QMenu *openMenu(int row, int col)
    {
        m_grid->ShowCell(row, col);
        const QPoint at = m_grid->visualRect(m_grid->model()->index(row - 1, col)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, m_grid->viewport()->mapToGlobal(at));
        QApplication::sendEvent(m_grid->viewport(), &event);
        return qobject_cast<QMenu *>(QApplication::activePopupWidget());
    }
    // Chooses an entry of the open menu; false when it is not there or disabled.
    static bool choose(QMenu *menu, const QString &caption)
    {
        const QList<QAction *> actions = menu->actions();
        const auto action = std::find_if(actions.cbegin(), actions.cend(),
                                         [&](QAction *a) { return a->text() == caption; });
        const bool enabled = action != actions.cend() && (*action)->isEnabled();
        menu->close();
        if (enabled)
            (*action)->trigger();
        return enabled;
    }

private Q_SLOTS:
    // Without the right to edit: changing commands greyed, no editor, the delete keys dead. Find
    // selects the last match from the current row down, case-sensitively.
    void readOnlyWindowFinds()
    {
        DbFixture db;
        db.addNames({"Anna", "Dan", "Ivan"});
        open(db, false);
        QCOMPARE(button("cmdFind")->text() + button("cmdSave")->text(), "Find(&Q)&Save");
        QVERIFY(!button("cmdSave")->isEnabled() && !button("cmdDelete")->isEnabled());
        QVERIFY(button("cmdPrint")->isEnabled());
        clickCell(1, 4);
        QVERIFY(!m_editor->isVisible());
        QTest::keyClick(m_grid, Qt::Key_Delete);
        QTest::keyClick(m_grid, Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(db.count("Clerk"), 3);

        user->answerInput("an");
        Click(m_window, "cmdFind");
        QCOMPARE(user->seen().at(0).title + user->seen().at(0).text, "FindInput User Name");
        QCOMPARE(m_grid->Row(), 3);
        // A miss and a cancelled box leave the selection alone.
        user->answerInput("anna");
        Click(m_window, "cmdFind");
        user->answerInput("Dan", false);
        Click(m_window, "cmdFind");
        QCOMPARE(m_grid->Row(), 3);
        // From the bottom row the search starts again at the top.
        clickCell(4, 4);
        user->answerInput("Dan");
        Click(m_window, "cmdFind");
        QCOMPARE(current(), QPoint(4, 2));
    }

    // The editor covers its cell, inside the grid and off the scroll bar on the bottom line too
    // (the end-to-end test reads the name it gives a screen reader); it writes through, hides on
    // scrolling and after the row under it is deleted. Enter walks the fields, and typing obeys the
    // limits.
    void editor()
    {
        DbFixture db;
        const QString stored(60, u's');
        db.addStaff({stored, QString(), "Anna", QString(), "Main Street 1"});
        db.addNames(QStringList(29, "N"));
        open(db, true);
        // Not on the serial column nor the header; the keyboard opens it past the hidden key.
        clickCell(1, 0);
        QVERIFY(!m_editor->isVisible());
        QTest::keyClick(m_grid, Qt::Key_Right);
        QCOMPARE(m_grid->Col(), 2);
        QVERIFY(m_editor->isVisible());

        // Enter walks columns 2 to 15 and wraps to the next row, but not past the last cell.
        clickCell(1, 15);
        QTest::keyClick(m_editor, Qt::Key_Enter);
        QCOMPARE(current(), QPoint(2, 2));
        clickCell(31, 15);
        QTest::keyClick(m_editor, Qt::Key_Return);
        QCOMPARE(current(), QPoint(15, 31));
        // A longer stored text opens whole; it may shrink but not grow.
        clickCell(1, 2);
        QCOMPARE(m_editor->text(), stored);
        QTest::keyClicks(m_editor, "x");
        QCOMPARE(m_grid->TextMatrix(1, 2), stored);
        QTest::keyClick(m_editor, Qt::Key_Backspace);
        QTest::keyClicks(m_editor, "x");
        QCOMPARE(m_grid->TextMatrix(1, 2), QString(59, u's'));
        // Typing stops at the column's limit; the memo has none.
        for (const auto &[col, limit] :
             {std::pair{3, 50}, {4, 200}, {5, 150}, {10, 50}, {12, 100}, {15, 300}}) {
            typeInto(1, col, QString(300, u'x'));
            QCOMPARE(m_grid->TextMatrix(1, col).size(), limit);
        }
        // In the bottom row a blank adds no row; the first letter does, Chinese too.
        typeInto(31, 4, "  ");
        QCOMPARE(m_grid->Rows(), 32);
        TypeText(m_editor, "研");
        QCOMPARE(serials().mid(29), (QStringList{"30", "31", "32"}));

        clickCell(1, 6);
        QVERIFY(m_editor->hasFocus());
        const QPoint cell(m_grid->columnViewportPosition(6), m_grid->rowViewportPosition(0));
        QCOMPARE(m_editor->geometry(), QRect(m_grid->viewport()->mapTo(m_window, cell),
                                             QSize(m_grid->columnWidth(6), TwipsToPixels(315))));
        QTest::keyClicks(m_editor, "0");
        QCOMPARE(m_grid->TextMatrix(1, 6), "Main Street 10");
        // Delete in the editor edits the text; it deletes no row.
        QTest::keyClick(m_editor, Qt::Key_Home);
        QTest::keyClick(m_editor, Qt::Key_Delete);
        QCOMPARE(m_grid->TextMatrix(1, 6), "ain Street 10");
        // Scrolling hides it: it would float over another cell.
        m_grid->horizontalScrollBar()->setValue(m_grid->horizontalScrollBar()->maximum());
        QVERIFY(!m_editor->isVisible());
        clickCell(1, 6); // the current cell again: only the click can reopen it
        QVERIFY(m_editor->isVisible());
        clickCell(30, 4);
        const QRect inside = m_grid->viewport()->geometry().translated(m_grid->pos());
        QVERIFY(m_editor->isVisible() && inside.contains(m_editor->geometry()));
        user->answerMessage(QMessageBox::Yes);
        Click(m_window, "cmdDelete");
        QVERIFY(!m_editor->isVisible());
    }

    // Typed quotes and Chinese are written; the reload gives the new row its key and keeps the
    // current cell, so a second save changes nothing. Refresh throws typed changes and new rows
    // away once the user says Yes; a view that cannot be read leaves one entry and the new-entry
    // row.
    void saveAndRefresh_data() { BackendDialectRows({0, 1}); }
    void saveAndRefresh()
    {
        QFETCH(int, dialect);
        DB_FIXTURE(db);
        db.addStaff({"7", "101", "O'Neil"});
        db.addNames({"Dan"});
        open(db, true, dialect);
        QCOMPARE(serials(), (QStringList{"1", "2", "3"}));
        checkGridEqualsDatabase(db);
        typeInto(1, 15, "备注：‘引号’");
        typeInto(3, 6, "It's \"B\" wing; -- 'x'");
        saveGrid();
        QCOMPARE(current(), QPoint(6, 3));
        checkGridEqualsDatabase(db);
        QCOMPARE(db.staff()[2][5], "It's \"B\" wing; -- 'x'");
        const QList<QStringList> records = db.staff();
        saveGrid();
        QCOMPARE(db.staff(), records);

        typeInto(1, 4, "X");
        typeInto(4, 4, "New");
        user->answerMessage(QMessageBox::Yes);
        Click(m_window, "cmdRefresh");
        QVERIFY(!m_editor->isVisible() && m_grid->ColHidden(1));
        checkGridEqualsDatabase(db);
        db.exec("Drop View Vw_Clerk");
        Click(m_window, "cmdRefresh");
        QCOMPARE(home->logEntryCount(), 1);
        QCOMPARE(serials(), QStringList{"1"});
    }

    // Nothing to ask about: a blank field of a row the previous save inserted (stored as Null,
    // shown as ""), filled in and saved; and a field a colleague set to exactly what this user
    // typed, which settles without a question while the row's other change is written.
    void secondSaveAsksNothing_data() { BackendDialectRows({0, 1}); }
    void secondSaveAsksNothing()
    {
        QFETCH(int, dialect);
        DB_FIXTURE(db);
        db.addStaff({"E1", "", "Anna", "", "", "100"});
        open(db, true, dialect);
        typeInto(2, 4, "Zoe");
        saveGrid();
        typeInto(2, 7, "555");
        typeInto(1, 7, "1");
        typeInto(1, 15, "memo");
        db.exec("Update Clerk Set Clerk_Phone='1001' Where Clerk_UserName='Anna'");
        saveGrid();
        QCOMPARE(user->seen().size(), size_t(2)); // two "Saved!" boxes, no question
        QCOMPARE(db.staff()[1][6], "555");
        QCOMPARE(db.staff()[0].mid(6), (QStringList{"1001", {}, {}, {}, {}, {}, {}, {}, "memo"}));
        QCOMPARE(home->logEntryCount(), 0);
        const QList<QStringList> records = db.staff();
        saveGrid();
        QCOMPARE(db.staff(), records);
    }

    // The save fails: "Failed!", the grid keeps what was typed, one entry is logged; once the
    // cause is gone the next save works. On SQLite another writer holds the file past the busy
    // timeout; on PostgreSQL the server ends the connection half-way through the save.
    void failedSaveKeepsGrid_data() { BackendRows(); }
    void failedSaveKeepsGrid()
    {
        DB_FIXTURE(db);
        db.addNames({"Anna"});
        open(db, true);
        typeInto(1, 4, "2");
        typeInto(2, 4, "Zoe");
        // Declared first, so that it runs once the writer's handle is gone.
        const auto forgetWriter = qScopeGuard([] { QSqlDatabase::removeDatabase("writer"); });
        QSqlDatabase writer = QSqlDatabase::addDatabase("QSQLITE", "writer");
        if (!db.onPostgreSql()) {
            writer.setDatabaseName(db.sqliteFile());
            QVERIFY(writer.open() && QSqlQuery(writer).exec("Begin Immediate"));
        } else {
            db.exec("Create Function EndSession() Returns trigger As $$ Begin If "
                    "NEW.Clerk_UserName='Zoe' Then Perform pg_terminate_backend(pg_backend_pid()); "
                    "End If; Return NEW; End $$ Language plpgsql");
            db.exec("Create Trigger EndSession Before Insert On Clerk For Each Row "
                    "Execute Function EndSession()");
        }
        press("cmdSave", "Failed!", QMessageBox::Critical);
        // The database's reason, and where the log is.
        const QString detail = user->seen().back().detail;
        QVERIFY2(detail.contains(db.onPostgreSql() ? "terminating connection" : "locked") &&
                     detail.contains("Errlog.txt"),
                 qPrintable(detail));
        QCOMPARE(m_grid->TextMatrix(1, 4), "Anna2");
        QCOMPARE(m_grid->TextMatrix(2, 4), "Zoe");
        QCOMPARE(home->logEntryCount(), 1);
        if (!db.onPostgreSql()) {
            QVERIFY(QSqlQuery(writer).exec("Rollback"));
        } else {
            QCOMPARE(db.staff()[0][3], "Anna"); // nothing half-written
            db.exec("Drop Trigger EndSession On Clerk");
        }
        saveGrid();
        checkGridEqualsDatabase(db);
    }

    // A delete the database refuses: "Failed!", one entry, the row stays in grid and table.
    // Deleting all leaves only the new-entry row, and nothing to print.
    void deleteRowsThenPrint()
    {
        const QString question = "Are You Want To Delete All Records?";
        DbFixture db;
        db.addNames({"Anna", "Dan", "Ivan"});
        db.exec("CREATE TRIGGER Keep BEFORE DELETE ON Clerk BEGIN "
                "SELECT RAISE(ABORT, 'kept'); END");
        open(db, true);
        clickCell(1, 4);
        user->answerMessage(QMessageBox::Yes);
        press("cmdDelete", "Failed!", QMessageBox::Critical);
        checkGridEqualsDatabase(db);
        QCOMPARE(home->logEntryCount(), 1);
        db.exec("Drop Trigger Keep");

        // An unsaved row goes without a question; the new-entry row never goes.
        typeInto(4, 4, "a");
        typeInto(5, 4, "b");
        clickCell(4, 0);
        QTest::keyClick(m_grid, Qt::Key_Delete);
        QCOMPARE(m_grid->TextMatrix(4, 4), "b");
        clickCell(5, 0);
        QTest::keyClick(m_grid, Qt::Key_Delete);
        Click(m_window, "cmdDelete");
        QCOMPARE(serials(), (QStringList{"1", "2", "3", "4", "5"}));

        // A saved row is asked for; Ctrl+Delete is plain Delete: just this row.
        clickCell(2, 0);
        user->answerMessage(QMessageBox::Yes);
        QTest::keyClick(m_grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(db.count("Clerk"), 2);
        QCOMPARE(m_grid->TextMatrix(2, 4), "Ivan");
        QCOMPARE(serials(), (QStringList{"1", "2", "3", "4"}));

        // Shift+Delete asks for all, then how many the table holds (warning, default No): No at
        // either deletes nothing but renumbers; Yes at both empties the table.
        const QString count =
            "This removes all 2 people from the staff directory. Delete them all?";
        const QList<QStringList> kept = db.staff();
        m_grid->setTextMatrix(1, 0, "9");
        for (const auto &answers : {QList{QMessageBox::No}, {QMessageBox::Yes, QMessageBox::No}}) {
            for (const QMessageBox::StandardButton answer : answers)
                user->answerMessage(answer);
            QTest::keyClick(m_grid, Qt::Key_Delete, Qt::ShiftModifier);
            QCOMPARE(serials(), (QStringList{"1", "2", "3", "4"}));
        }
        const SeenDialog &second = user->seen().back();
        QCOMPARE(std::tuple(second.icon, second.defaultButton),
                 std::tuple(QMessageBox::Warning, QMessageBox::No));
        user->answerMessage(QMessageBox::Yes);
        user->answerMessage(QMessageBox::Yes);
        QTest::keyClick(m_grid, Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(db.count("Clerk"), 0);
        QCOMPARE(serials(), QStringList{"1"});
        QCOMPARE(user->seenTexts(), (QStringList{question, "Failed!", question, question, question,
                                                 count, question, count}));

        // Only the new-entry row is left: Escape presses Print, from the editor and from the
        // grid, and there is nothing to print. With a record there is.
        QSignalSpy pressed(button("cmdPrint"), &QPushButton::clicked);
        QVERIFY(ShowWindow(m_window)); // active again after the boxes, for its shortcut
        clickCell(1, 4);
        QTest::keyClick(m_editor, Qt::Key_Escape);
        clickCell(1, 0);
        QTest::keyClick(m_grid, Qt::Key_Escape);
        QCOMPARE(pressed.count(), 2);
        QVERIFY(!frmPrint::loadedInstance());
        db.addNames({"Anna"});
        Click(m_window, "cmdRefresh");
        Click(m_window, "cmdPrint");
        QVERIFY(frmPrint::loadedInstance() && frmPrint::loadedInstance()->isVisible());
        // A second click while the preview is open does not read the view again.
        db.addNames({"Dan"});
        Click(m_window, "cmdPrint");
        QCOMPARE(frmPrint::loadedInstance()->report()->RecordCount(), 1);

        // Deleted Staff... puts every deleted row back under its old key.
        QVERIFY(choose(openMenu(1, 4), "Deleted Staff\u2026"));
        frmHistory *deleted = frmHistory::loadedInstance();
        Find<FlexGrid>(deleted, "vfgMain")->SelectAllRows();
        Click(deleted, "cmdRestore");
        saveGrid();
        QCOMPARE(db.count("Clerk"), 5); // Dan deleted alone, too
        for (const QStringList &row : kept)
            QVERIFY(db.staff().contains(row));
    }

    // History... lists a row's changes newest first, a line per field. Restore puts the values
    // before a change back as the user's edits (undone and redone as any), which the save checks:
    // a colleague's change in between is asked about (No by default and on Escape; No shows his
    // value). Deleted Staff... lists a deleted row until it is put back as a new row with its old
    // key; a colleague who put it back first keeps his values, and the user's own edit of it is
    // written over them.
    void restoreFromHistory()
    {
        DbFixture db;
        db.addStaff({"E1", "", "Anna", "", "", "100"});
        db.addNames({"Dan"});
        open(db, true);
        typeInto(1, 7, "1");
        saveGrid();
        QVERIFY(choose(openMenu(1, 4), "History\u2026"));
        frmHistory *history = frmHistory::loadedInstance();
        auto *lines = Find<FlexGrid>(history, "vfgMain");
        QCOMPARE(history->windowTitle(), "History of Anna");
        QCOMPARE(lines->Rows(), 5); // the change, and the three fields Anna was added with
        QStringList change;
        for (int col = 1; col < 6; ++col)
            change << lines->TextMatrix(1, col);
        QCOMPARE(change, (QStringList{"", "Changed", "Phone", "100", "1001"}));
        QCOMPARE(lines->TextMatrix(2, 2), "Added");
        lines->Select(3, 0);
        QVERIFY(!Find<QPushButton>(history, "cmdRestore")->isEnabled());
        lines->Select(1, 0);
        Click(history, "cmdRestore");
        QCOMPARE(m_grid->TextMatrix(1, 7), "100");
        m_window->Undo();
        QCOMPARE(m_grid->TextMatrix(1, 7), "1001");
        m_window->Redo();
        db.exec("Update Clerk Set Clerk_Phone='150'");
        user->answerMessage(QMessageBox::No);
        saveGrid();
        const SeenDialog &question = user->seen()[1];
        QVERIFY2(question.text.endsWith("\nRow 1 (Anna):\n  Phone: read '1001', theirs '150', "
                                        "yours '100'"),
                 qPrintable(question.text));
        QCOMPARE(std::tuple(question.icon, question.defaultButton, question.escapeButton),
                 std::tuple(QMessageBox::Question, QMessageBox::No, QMessageBox::No));
        QCOMPARE(m_grid->TextMatrix(1, 7), "150");

        const QString dan = m_grid->TextMatrix(2, 1);
        clickCell(2, 0);
        user->answerMessage(QMessageBox::Yes);
        QTest::keyClick(m_grid, Qt::Key_Delete);
        QVERIFY(choose(openMenu(1, 4), "Deleted Staff\u2026"));
        history = frmHistory::loadedInstance();
        QCOMPARE(history->windowTitle(), "Deleted Staff");
        QCOMPARE(Find<FlexGrid>(history, "vfgMain")->TextMatrix(1, 5), "Dan");
        Click(history, "cmdRestore");
        QCOMPARE((QStringList{m_grid->TextMatrix(2, 1), m_grid->TextMatrix(2, 4)}),
                 (QStringList{dan, "Dan"}));
        QCOMPARE(serials(), (QStringList{"1", "2", "3"}));
        // Not listed while the grid holds it; Escape closes the list.
        QVERIFY(choose(openMenu(1, 4), "Deleted Staff\u2026"));
        history = frmHistory::loadedInstance();
        QCOMPARE(Find<FlexGrid>(history, "vfgMain")->Rows(), 1);
        QVERIFY(ShowWindow(history));
        QTest::keyClick(history, Qt::Key_Escape);
        SettleWindows();
        QVERIFY(!frmHistory::loadedInstance());
        typeInto(2, 15, "memo");
        db.exec("Insert Into Clerk(Clerk_ID,Clerk_UserName,Clerk_Phone) Values(" + dan +
                ",'Dan','555')");
        saveGrid();
        QCOMPARE(db.staff()[1].mid(0, 4) << db.staff()[1][6] << db.staff()[1][14],
                 (QStringList{dan, {}, {}, "Dan", "555", "memo"}));
        checkGridEqualsDatabase(db);
        QCOMPARE(home->logEntryCount(), 0);
    }

    // Copying needs no right to edit: Ctrl+C and Copy Cell give one value, rows picked with
    // Shift and Ctrl (or all with Ctrl+A) go out as tab-separated text and an HTML table under
    // the captions; Paste and Save are refused. Pasted into another directory's new-entry row,
    // the captions skipped, the rows become new rows that Save writes as they were.
    void copyRowsIntoAnotherDirectory_data() { BackendRows(); }
    void copyRowsIntoAnotherDirectory()
    {
        DbFixture source;
        source.addStaff({"E1", "101", "张三", "研发部", {}, {}, {}, "zs@example.com"});
        QStringList bo{"E2", {}, "O'Neil \"Bo\""}; // quotes, a tab, a line break: quoted
        bo.resize(14);
        bo[13] = "two\tparts\nand lines";
        source.addStaff(bo);
        source.addNames({"Dan"});
        open(source, false);
        clickCell(2, 4);
        QTest::keyClick(m_grid, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard()->text(), "O'Neil \"Bo\"");
        QVERIFY(choose(openMenu(1, 5), "Copy Cell")); // under the pointer, not the current cell
        QCOMPARE(clipboard()->text(), "研发部");
        QMenu *menu = openMenu(2, 4);
        QStringList enabled;
        for (const QAction *action : menu->actions())
            enabled << (action->isEnabled() ? action->text() : QString());
        menu->close();
        QCOMPARE(enabled.join(u',').split(u',', Qt::SkipEmptyParts),
                 (QStringList{"Copy Cell", "Copy Rows", "Find", "Refresh", "History\u2026",
                              "Deleted Staff\u2026"}));

        const QRect first = m_grid->visualRect(m_grid->model()->index(0, 4));
        QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, first.center());
        QTest::keyClick(m_grid, Qt::Key_C, Qt::ControlModifier);
        const QString captions = "NO.\tExt\tUsername\tDepartment\tAddress\tPhone\t"
                                 "Mobile\tEmail\tIP\tQQ\tMSN\tSKP\tComputer\tMemo\n";
        QCOMPARE(clipboard()->text(),
                 captions + "E1\t101\t张三\t研发部\t\t\t\tzs@example.com\t\t\t\t\t\t\n"
                            "E2\t\t\"O'Neil \"\"Bo\"\"\"\t\t\t\t\t\t\t\t\t\t\t"
                            "\"two\tparts\nand lines\"\n");
        QVERIFY(clipboard()->mimeData()->html().contains("<td>张三</td>"));
        clickCell(3, 4);
        QTest::keyClick(m_grid, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard()->text(), "Dan");
        QTest::keyClick(m_grid, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(m_grid, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(m_grid->Rows(), 5);
        QTest::keyClick(m_grid, Qt::Key_A, Qt::ControlModifier);
        QVERIFY(choose(openMenu(3, 4), "Copy Rows"));
        // The blank new-entry row is left out.
        QVERIFY(clipboard()->text().endsWith("\"\n\t\tDan" + QString(11, u'\t') + "\n"));
        m_window->close();
        SettleWindows();

        DB_FIXTURE(target);
        target.addNames({"Kept"});
        open(target, true);
        clickCell(2, 0); // the serial number: the block starts at the first field
        QTest::keyClick(m_grid, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(serials(), (QStringList{"1", "2", "3", "4", "5"}));
        saveGrid();
        QList<QStringList> expected{target.staff().front()};
        for (const QStringList &row : source.staff())
            expected << row;
        const QList<QStringList> written = target.staff();
        QCOMPARE(written.size(), expected.size());
        for (int row = 0; row < written.size(); ++row)
            QCOMPARE(written[row].mid(1), expected[row].mid(1));
    }

    // A block too wide for the columns left, or with a value over its column's limit, changes
    // nothing and says where in one message; so does a value too long for the editor.
    void pasteRefusals()
    {
        DbFixture db;
        db.addNames({"Anna"});
        open(db, true);
        const QList<QStringList> before = gridTexts();
        const QString fifty(50, u'n');
        const QList<std::tuple<int, QString, QString>> refused{
            {15, "memo\tmore\n",
             "Nothing was pasted: row 1, column 2 of the copied cells has "
             "no column left."},
            {2, "NO.\tExt\nok\n" + fifty + "x\n",
             "Nothing was pasted: row 3, column 1 of the copied cells is longer than the 50 "
             "characters of NO.."},
            {2, fifty + "y",
             "Nothing was pasted: row 1, column 1 of the copied cells is longer "
             "than the 50 characters of NO.."}};
        for (const auto &[col, text, message] : refused) {
            clickCell(2, col);
            clipboard()->setText(text);
            user->answerMessage(QMessageBox::Ok);
            QTest::keyClick(m_editor, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(user->seen().back().text, message);
            QCOMPARE(user->seen().back().icon, QMessageBox::Warning);
            QCOMPARE(gridTexts(), before);
        }
        // A value that fits goes in where the cursor is, as typed; the editor copies what is
        // selected in it, else the whole value.
        clickCell(1, 4);
        QTest::keyClick(m_editor, Qt::Key_Home);
        clipboard()->setText("Dr. ");
        QTest::keyClick(m_editor, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(m_grid->TextMatrix(1, 4), "Dr. Anna");
        m_editor->setSelection(4, 2);
        QTest::keyClick(m_editor, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard()->text(), "An");
        m_editor->deselect();
        QTest::keyClick(m_editor, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard()->text(), "Dr. Anna");
        // A block follows the columns as the user dragged them: Phone right after Username.
        QHeaderView *header = m_grid->horizontalHeader();
        header->moveSection(header->visualIndex(7), header->visualIndex(4) + 1);
        clickCell(1, 4);
        clipboard()->setText("Ann\t555\n");
        QTest::keyClick(m_editor, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(m_grid->TextMatrix(1, 4) + u'|' + m_grid->TextMatrix(1, 5) + u'|' +
                     m_grid->TextMatrix(1, 7),
                 "Ann||555");
    }

    // A typed cell, a paste and a new row are one step each, undone and redone by the keys and
    // the menu; typing in the open cell is undone first. Steps follow rows up past a deleted
    // one. A cell undone to what was read is no change: the save leaves its row alone (a
    // colleague's value there stays, unasked), and afterwards there is nothing to undo.
    void undoAndRedo()
    {
        DbFixture db;
        db.addNames({"Anna", "Dan", "Ivan"});
        open(db, true);
        typeInto(1, 4, "2");
        typeInto(2, 7, "555");
        QTest::keyClick(m_editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m_grid->TextMatrix(2, 7), QString());
        QTest::keyClick(m_editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m_grid->TextMatrix(1, 4), "Anna");
        QCOMPARE(current(), QPoint(4, 1));
        QVERIFY(!m_window->HasUnsavedChanges());
        QTest::keyClick(m_editor, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(m_grid->TextMatrix(1, 4), "Anna2");

        // A paste that adds rows, and a typed new row.
        clickCell(4, 4);
        clipboard()->setText("Zoe\t\t\t101\nYan\n");
        QVERIFY(choose(openMenu(4, 4), "Paste"));
        QCOMPARE(serials().size(), 6);
        QCOMPARE(m_grid->TextMatrix(4, 7), "101");
        typeInto(6, 4, "Kim");
        QCOMPARE(m_grid->Rows(), 8);
        // Kim's typing, his row, the paste.
        for (int undone = 0; undone < 3; ++undone)
            QTest::keyClick(m_editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(serials(), (QStringList{"1", "2", "3", "4"}));
        QCOMPARE(m_grid->TextMatrix(4, 4), QString());
        QTest::keyClick(m_editor, Qt::Key_Z, Qt::ShiftModifier | Qt::ControlModifier);
        QCOMPARE(m_grid->TextMatrix(5, 4), "Yan");
        QVERIFY(choose(openMenu(1, 4), "Undo"));
        QCOMPARE(serials().size(), 4);

        // Ivan's change follows him up when Anna is deleted; undone, it is no change.
        typeInto(2, 4, "na");
        typeInto(3, 4, "3");
        clickCell(1, 4);
        user->answerMessage(QMessageBox::Yes);
        Click(m_window, "cmdDelete");
        QCOMPARE(m_grid->TextMatrix(2, 4), "Ivan3");
        user->answerMessage(QMessageBox::No);
        Click(m_window, "cmdRefresh");
        clickCell(2, 4);
        QTest::keyClick(m_editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m_grid->TextMatrix(2, 4), "Ivan");
        db.exec("Update Clerk Set Clerk_UserName='Ivana' Where Clerk_ID=3");
        saveGrid();
        QCOMPARE(db.staff()[1][3], "Ivana");
        QCOMPARE(db.staff()[0][3], "Danna");
        QTest::keyClick(m_grid, Qt::Key_Z, Qt::ControlModifier); // a new history
        QCOMPARE(m_grid->TextMatrix(1, 4), "Danna");
        QCOMPARE(user->seen().size(), size_t(3)); // delete, refresh, saved
    }

    // Refresh, Exit and closing the window ask before typed changes go (No, the default, keeps
    // them); with the changes undone, or once the host ends the session, nothing asks.
    void unsavedChangesAsk()
    {
        DbFixture db;
        db.addNames({"Anna"});
        open(db, true);
        typeInto(2, 4, "New");
        for (int i = 0; i < 3; ++i)
            user->answerMessage(QMessageBox::No);
        Click(m_window, "cmdRefresh");
        Click(m_window, "cmdExit");
        m_window->close();
        QVERIFY(m_window->isVisible());
        QCOMPARE(m_grid->TextMatrix(2, 4), "New");
        QCOMPARE(user->seen().size(), size_t(3));
        for (const SeenDialog &box : user->seen()) {
            QCOMPARE(box.text, "Your changes are not saved. Throw them away?");
            QVERIFY(box.icon == QMessageBox::Question && box.defaultButton == QMessageBox::No);
        }
        QTest::keyClick(m_editor, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(m_editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m_grid->Rows(), 3);
        Click(m_window, "cmdRefresh");
        QTest::keyClick(m_grid, Qt::Key_Y, Qt::ControlModifier); // a new history: nothing
        QCOMPARE(m_grid->Rows(), 3);
        typeInto(1, 4, "x");
        SetDiscardWithoutAsking(true);
        const auto asking = qScopeGuard([] { SetDiscardWithoutAsking(false); });
        Click(m_window, "cmdExit");
        SettleWindows();
        QVERIFY(!frmMain::loadedInstance());
    }

    // The usual keys press the buttons, from the editor too; the grid's menu opens from the
    // Menu key and Shift+F10 on grid and editor, and a right-click on the editor.
    void shortcutsAndMenu()
    {
        DbFixture db;
        db.addNames({"Anna", "Dan"});
        open(db, true);
        clickCell(1, 4);
        user->answerInput(QString(), false);
        QTest::keyClick(m_editor, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(ShowWindow(m_window)); // active again after a box, for its shortcuts
        user->answerMessage(QMessageBox::Ok);
        QTest::keyClick(m_editor, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(user->seenTexts(), (QStringList{"Input User Name", "Saved!"}));
        QVERIFY(ShowWindow(m_window));
        db.addNames({"Ivan"});
        QTest::keyClick(m_grid, Qt::Key_F5);
        QCOMPARE(m_grid->Rows(), 5);
        for (const auto &[target, key, modifiers] :
             {std::tuple<QWidget *, Qt::Key, Qt::KeyboardModifiers>{m_grid, Qt::Key_Menu, {}},
              {m_grid, Qt::Key_F10, Qt::ShiftModifier},
              {m_editor, Qt::Key_Menu, {}},
              {m_editor, Qt::Key_F10, Qt::ShiftModifier}}) {
            clickCell(2, 4);
            QTest::keyClick(target, key, modifiers);
            QWidget *menu = QApplication::activePopupWidget();
            QVERIFY(menu && menu->objectName() == QLatin1String("mnuGrid"));
            menu->close();
        }
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, {2, 2},
                                     m_editor->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(m_editor, &rightClick);
        QVERIFY(QApplication::activePopupWidget()->objectName() == QLatin1String("mnuGrid"));
        QApplication::activePopupWidget()->close();
        QVERIFY(ShowWindow(m_window));
        QTest::keyClick(m_editor, Qt::Key_P, Qt::ControlModifier);
        QVERIFY(frmPrint::loadedInstance() && frmPrint::loadedInstance()->isVisible());
    }
};

QTEST_MAIN(tst_frmMain)
#include "tst_frmmain.moc"
