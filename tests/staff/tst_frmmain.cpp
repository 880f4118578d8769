// The staff window driven as its user drives it: clicks on cells, typing into the editor, the
// keys of the grid and the buttons, with the real message and input boxes answered.

#include "common/Session.h"
#include "DbFixture.h"
#include "print/cryClerk.h"
#include "print/frmPrint.h"
#include "staff/frmMain.h"
#include "widgets/FlexGrid.h"
#include "widgets/Twips.h"
#include "WindowDriver.h"
#include <FontScheme.h>

#include <QLineEdit>
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
        Session().gstrConnection = db.connection();
        Session().gblnEditInnerInfo = blnEdit;
        Session().gintDBType = ToDBType(qint16(dialect)).value();
        Session().gobjFontScheme = CreateFontScheme();
        Session().gobjFontScheme->SetLanguage(QStringLiteral("ENG"));
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

private Q_SLOTS:
    // Without the right to edit: changing commands greyed, no editor, the delete keys dead. Find
    // selects the last match from the current row down, case-sensitively.
    void readOnlyWindowFinds()
    {
        DbFixture db;
        db.addNames({QStringLiteral("Anna"), QStringLiteral("Dan"), QStringLiteral("Ivan")});
        open(db, false);
        QCOMPARE((QStringList{button("cmdFind")->text(), button("cmdSave")->text(),
                              m_window->windowTitle(), m_grid->TextMatrix(0, 4)}),
                 (QStringList{"Find(&Q)", "&Save", "Internal Information Management", "Username"}));
        QCOMPARE(m_grid->model()->index(0, 0).data(Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignCenter)); // serial numbers centred, fields left
        QCOMPARE(m_grid->model()->index(0, 4).data(Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignLeft | Qt::AlignVCenter));
        QCOMPARE(
            (QList<int>{m_grid->columnWidth(0), m_grid->columnWidth(4), m_grid->columnWidth(15)}),
            (QList<int>{TwipsToPixels(600), TwipsToPixels(1200), TwipsToPixels(2500)}));
        QVERIFY(!button("cmdSave")->isEnabled() && !button("cmdDelete")->isEnabled());
        QVERIFY(button("cmdPrint")->isEnabled());
        clickCell(1, 4);
        QVERIFY(!m_editor->isVisible());
        QTest::keyClick(m_grid, Qt::Key_Delete);
        QTest::keyClick(m_grid, Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(db.count(QStringLiteral("Clerk")), 3);

        user->answerInput(QStringLiteral("an"));
        Click(m_window, "cmdFind");
        QCOMPARE(user->seen().at(0).title + user->seen().at(0).text,
                 QStringLiteral("FindInput User Name"));
        QCOMPARE(m_grid->Row(), 3);
        // A miss and a cancelled box leave the selection alone.
        user->answerInput(QStringLiteral("anna"));
        Click(m_window, "cmdFind");
        user->answerInput(QStringLiteral("Dan"), false);
        Click(m_window, "cmdFind");
        QCOMPARE(m_grid->Row(), 3);
        // From the bottom row the search starts again at the top.
        clickCell(4, 4);
        user->answerInput(QStringLiteral("Dan"));
        Click(m_window, "cmdFind");
        QCOMPARE(current(), QPoint(4, 2));
    }

    // The editor covers its cell, inside the grid and off the scroll bar on the bottom line too,
    // and tells a screen reader which cell it edits; it writes through, hides on scrolling and
    // after the row under it is deleted. Enter walks the fields, and typing obeys the limits.
    void editor()
    {
        DbFixture db;
        const QString stored(60, u's');
        db.addStaff({stored, QString(), QStringLiteral("Anna"), QString(),
                     QStringLiteral("Main Street 1")});
        db.addNames(QStringList(29, QStringLiteral("N")));
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
        QTest::keyClicks(m_editor, QStringLiteral("x"));
        QCOMPARE(m_grid->TextMatrix(1, 2), stored);
        QTest::keyClick(m_editor, Qt::Key_Backspace);
        QTest::keyClicks(m_editor, QStringLiteral("x"));
        QCOMPARE(m_grid->TextMatrix(1, 2), QString(59, u's'));
        // Typing stops at the column's limit; the memo has none.
        for (const auto &[col, limit] :
             {std::pair{3, 50}, {4, 200}, {5, 150}, {10, 50}, {12, 100}, {15, 300}}) {
            typeInto(1, col, QString(300, u'x'));
            QCOMPARE(m_grid->TextMatrix(1, col).size(), limit);
        }
        // In the bottom row a blank adds no row; the first letter does, Chinese too.
        typeInto(31, 4, QStringLiteral("  "));
        QCOMPARE(m_grid->Rows(), 32);
        TypeText(m_editor, QStringLiteral("研"));
        QCOMPARE(serials().mid(29), (QStringList{"30", "31", "32"}));

        clickCell(1, 6);
        QVERIFY(m_editor->hasFocus());
        QCOMPARE(m_editor->accessibleName(), QStringLiteral("Address, row 1"));
        const QPoint cell(m_grid->columnViewportPosition(6), m_grid->rowViewportPosition(0));
        QCOMPARE(m_editor->geometry(), QRect(m_grid->viewport()->mapTo(m_window, cell),
                                             QSize(m_grid->columnWidth(6), TwipsToPixels(315))));
        QTest::keyClicks(m_editor, QStringLiteral("0"));
        QCOMPARE(m_grid->TextMatrix(1, 6), QStringLiteral("Main Street 10"));
        // Delete in the editor edits the text; it deletes no row.
        QTest::keyClick(m_editor, Qt::Key_Home);
        QTest::keyClick(m_editor, Qt::Key_Delete);
        QCOMPARE(m_grid->TextMatrix(1, 6), QStringLiteral("ain Street 10"));
        // Scrolling hides it: it would float over another cell.
        m_grid->horizontalScrollBar()->setValue(m_grid->horizontalScrollBar()->maximum());
        QVERIFY(!m_editor->isVisible());
        clickCell(1, 6); // the current cell again: only the click can reopen it
        QVERIFY(m_editor->isVisible());
        clickCell(30, 4);
        QCOMPARE(m_editor->accessibleName(), QStringLiteral("Username, row 30"));
        const QRect inside = m_grid->viewport()->geometry().translated(m_grid->pos());
        QVERIFY(m_editor->isVisible() && inside.contains(m_editor->geometry()));
        user->answerMessage(QMessageBox::Yes);
        Click(m_window, "cmdDelete");
        QVERIFY(!m_editor->isVisible());
    }

    // Typed quotes and Chinese are written; the reload gives the new row its key and keeps the
    // current cell, so a second save changes nothing. Refresh throws typed changes and new rows
    // away without asking; a view that cannot be read leaves one entry and the new-entry row.
    void saveAndRefresh_data() { BackendDialectRows({0, 1}); }
    void saveAndRefresh()
    {
        QFETCH(int, dialect);
        DB_FIXTURE(db);
        db.addStaff({QStringLiteral("7"), QStringLiteral("101"), QStringLiteral("O'Neil")});
        db.addNames({QStringLiteral("Dan")});
        open(db, true, dialect);
        QCOMPARE(serials(), (QStringList{"1", "2", "3"}));
        checkGridEqualsDatabase(db);
        typeInto(1, 15, QStringLiteral("备注：‘引号’"));
        typeInto(3, 6, QStringLiteral("It's \"B\" wing; -- 'x'"));
        saveGrid();
        QCOMPARE(current(), QPoint(6, 3));
        checkGridEqualsDatabase(db);
        QCOMPARE(db.staff()[2][5], QStringLiteral("It's \"B\" wing; -- 'x'"));
        const QList<QStringList> records = db.staff();
        saveGrid();
        QCOMPARE(db.staff(), records);

        typeInto(1, 4, QStringLiteral("X"));
        typeInto(4, 4, QStringLiteral("New"));
        Click(m_window, "cmdRefresh");
        QVERIFY(!m_editor->isVisible() && m_grid->ColHidden(1));
        checkGridEqualsDatabase(db);
        db.exec(QStringLiteral("Drop View Vw_Clerk"));
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
        typeInto(2, 4, QStringLiteral("Zoe"));
        saveGrid();
        typeInto(2, 7, QStringLiteral("555"));
        typeInto(1, 7, QStringLiteral("1"));
        typeInto(1, 15, QStringLiteral("memo"));
        db.exec(QStringLiteral("Update Clerk Set Clerk_Phone='1001' Where Clerk_UserName='Anna'"));
        saveGrid();
        QCOMPARE(user->seen().size(), size_t(2)); // two "Saved!" boxes, no question
        QCOMPARE(db.staff()[1][6], QStringLiteral("555"));
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
        db.addNames({QStringLiteral("Anna")});
        open(db, true);
        typeInto(1, 4, QStringLiteral("2"));
        typeInto(2, 4, QStringLiteral("Zoe"));
        // Declared first, so that it runs once the writer's handle is gone.
        const auto forgetWriter =
            qScopeGuard([] { QSqlDatabase::removeDatabase(QStringLiteral("writer")); });
        QSqlDatabase writer = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "writer");
        if (!db.onPostgreSql()) {
            writer.setDatabaseName(db.sqliteFile());
            QVERIFY(writer.open() && QSqlQuery(writer).exec(QStringLiteral("Begin Immediate")));
        } else {
            db.exec(QStringLiteral(
                "Create Function EndSession() Returns trigger As $$ Begin If "
                "NEW.Clerk_UserName='Zoe' Then Perform pg_terminate_backend(pg_backend_pid()); "
                "End If; Return NEW; End $$ Language plpgsql"));
            db.exec(QStringLiteral("Create Trigger EndSession Before Insert On Clerk For Each Row "
                                   "Execute Function EndSession()"));
        }
        press("cmdSave", "Failed!", QMessageBox::Critical);
        // The database's reason, and where the log is.
        const QString detail = user->seen().back().detail;
        QVERIFY2(detail.contains(db.onPostgreSql() ? "terminating connection" : "locked") &&
                     detail.contains(QStringLiteral("Errlog.txt")),
                 qPrintable(detail));
        QCOMPARE(m_grid->TextMatrix(1, 4), QStringLiteral("Anna2"));
        QCOMPARE(m_grid->TextMatrix(2, 4), QStringLiteral("Zoe"));
        QCOMPARE(home->logEntryCount(), 1);
        if (!db.onPostgreSql()) {
            QVERIFY(QSqlQuery(writer).exec(QStringLiteral("Rollback")));
        } else {
            QCOMPARE(db.staff()[0][3], QStringLiteral("Anna")); // nothing half-written
            db.exec(QStringLiteral("Drop Trigger EndSession On Clerk"));
        }
        saveGrid();
        checkGridEqualsDatabase(db);
    }

    // A colleague changed the same cell since the load: one question, No by default and on
    // Escape. No shows his value; the row's other change is written all the same, and a second
    // save has nothing left to write.
    void colleaguesChangeIsAsked()
    {
        DbFixture db;
        db.addStaff({"E1", "", "Anna", "", "", "100"});
        open(db, true);
        typeInto(1, 7, QStringLiteral("1"));
        typeInto(1, 15, QStringLiteral("memo"));
        db.exec(QStringLiteral("Update Clerk Set Clerk_Phone='150'"));
        user->answerMessage(QMessageBox::No);
        saveGrid();
        const SeenDialog &question = user->seen().front();
        QCOMPARE(question.icon, QMessageBox::Question);
        QVERIFY2(question.text.endsWith(QStringLiteral(
                     "\nRow 1 (Anna):\n  Phone: read '100', theirs '150', yours '1001'")),
                 qPrintable(question.text));
        QCOMPARE(question.defaultButton, QMessageBox::No);
        QCOMPARE(question.escapeButton, QMessageBox::No);
        QCOMPARE(m_grid->TextMatrix(1, 7), QStringLiteral("150"));
        QCOMPARE(db.staff()[0].mid(6), (QStringList{"150", {}, {}, {}, {}, {}, {}, {}, "memo"}));
        saveGrid();
        QCOMPARE(user->seen().size(), size_t(3));
    }

    // A delete the database refuses: "Failed!", one entry, the row stays in grid and table.
    // Deleting all leaves only the new-entry row, and nothing to print.
    void deleteRowsThenPrint()
    {
        const QString question = QStringLiteral("Are You Want To Delete All Records?");
        DbFixture db;
        db.addNames({QStringLiteral("Anna"), QStringLiteral("Dan"), QStringLiteral("Ivan")});
        db.exec(QStringLiteral("CREATE TRIGGER Keep BEFORE DELETE ON Clerk BEGIN "
                               "SELECT RAISE(ABORT, 'kept'); END"));
        open(db, true);
        clickCell(1, 4);
        user->answerMessage(QMessageBox::Yes);
        press("cmdDelete", "Failed!", QMessageBox::Critical);
        checkGridEqualsDatabase(db);
        QCOMPARE(home->logEntryCount(), 1);
        db.exec(QStringLiteral("Drop Trigger Keep"));

        // An unsaved row goes without a question; the new-entry row never goes.
        typeInto(4, 4, QStringLiteral("a"));
        typeInto(5, 4, QStringLiteral("b"));
        clickCell(4, 0);
        QTest::keyClick(m_grid, Qt::Key_Delete);
        QCOMPARE(m_grid->TextMatrix(4, 4), QStringLiteral("b"));
        clickCell(5, 0);
        QTest::keyClick(m_grid, Qt::Key_Delete);
        Click(m_window, "cmdDelete");
        QCOMPARE(serials(), (QStringList{"1", "2", "3", "4", "5"}));

        // A saved row is asked for; Ctrl+Delete is plain Delete: just this row.
        clickCell(2, 0);
        user->answerMessage(QMessageBox::Yes);
        QTest::keyClick(m_grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(db.count(QStringLiteral("Clerk")), 2);
        QCOMPARE(m_grid->TextMatrix(2, 4), QStringLiteral("Ivan"));
        QCOMPARE(serials(), (QStringList{"1", "2", "3", "4"}));

        // Shift+Delete asks for all: No deletes nothing but renumbers, Yes empties the table.
        m_grid->setTextMatrix(1, 0, QStringLiteral("9"));
        user->answerMessage(QMessageBox::No);
        QTest::keyClick(m_grid, Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(serials(), (QStringList{"1", "2", "3", "4"}));
        user->answerMessage(QMessageBox::Yes);
        QTest::keyClick(m_grid, Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(db.count(QStringLiteral("Clerk")), 0);
        QCOMPARE(serials(), QStringList{QStringLiteral("1")});
        QCOMPARE(user->seenTexts(), (QStringList{question, "Failed!"} + QStringList(3, question)));

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
        db.addNames({QStringLiteral("Anna")});
        Click(m_window, "cmdRefresh");
        Click(m_window, "cmdPrint");
        QVERIFY(frmPrint::loadedInstance() && frmPrint::loadedInstance()->isVisible());
        // A second click while the preview is open does not read the view again.
        db.addNames({QStringLiteral("Dan")});
        Click(m_window, "cmdPrint");
        QCOMPARE(frmPrint::loadedInstance()->report()->RecordCount(), 1);
    }
};

QTEST_MAIN(tst_frmMain)
#include "tst_frmmain.moc"
