// The notice window driven as a user drives it: list, viewer, composing, saving, deleting and
// closing.

#include "common/Clock.h"
#include "db/ValueFormat.h"
#include "NoticeTestSupport.h"
#include "search/frmQueryNotice.h"
#include "search/NoticeList.h"
#include "widgets/MsgBox.h"

#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QtTest>

namespace {
// Moves the current row down with the arrow key, as the user would.
void MoveToRow(FlexGrid *grid, int row)
{
    for (int r = grid->Row(); r < row; ++r)
        QTest::keyClick(grid, Qt::Key_Down);
}
} // namespace

class tst_NoticeWindow : public WindowTestCase
{
    Q_OBJECT

private Q_SLOTS:
    // Ten notices of "ops", seen by him, by a name differing only in case, and without the
    // permission to edit.
    void listAndOwnership_data()
    {
        QTest::addColumn<QString>("operatorName");
        QTest::addColumn<bool>("permission");
        QTest::addColumn<bool>("mayChange");
        QTest::newRow("own_notice") << "ops" << true << true;
        QTest::newRow("case_differs") << "Ops" << true << false;
        QTest::newRow("no_permission") << "ops" << false << false;
    }
    void listAndOwnership()
    {
        QFETCH(QString, operatorName);
        QFETCH(bool, permission);
        QFETCH(bool, mayChange);
        DbFixture db;
        StartNoticeSession(db, operatorName, permission);
        for (int i = 1; i <= 10; ++i)
            db.addNotice(QString("2024-01-%1 10:00:00").arg(9 + i), "ops", QString("n%1").arg(i));
        frmNotice *window = OpenNoticeWindow();
        FlexGrid *grid = Grid(window);
        QCOMPARE(grid->Rows(), 11);
        QCOMPARE(grid->TextMatrix(10, 0) + u'|' + grid->TextMatrix(10, 1),
                 "10|" + db.noticeId("n1"));
        QVERIFY(grid->ColHidden(1));
        QCOMPARE(Text()->toPlainText(), "n10");
        QCOMPARE(Text()->palette().color(QPalette::Base), QColor(Qt::white));
        QCOMPARE(Find<QPushButton>(window, "cmdSave")->isEnabled(), mayChange);
        QCOMPARE(Find<QPushButton>(window, "cmdDelete")->isEnabled(), mayChange);
        QCOMPARE(Find<QPushButton>(window, "cmdAdd")->isEnabled(), permission);
        QCOMPARE(Text()->isEnabled(), permission);

        // Another row shows its notice; another column of the same row reads nothing anew.
        MoveToRow(grid, 4);
        QCOMPARE(Text()->toPlainText(), "n7");
        Text()->setPlainText("edited, not saved");
        QTest::keyClick(grid, Qt::Key_Right);
        QCOMPARE(Text()->toPlainText(), "edited, not saved");
        // Not composing: Escape closes without asking, the edit notwithstanding.
        QTest::keyClick(grid, Qt::Key_Escape);
        SettleWindows();
        QCOMPARE(frmNotice::loadedInstance(), nullptr);
        QCOMPARE(home->logEntryCount(), 0);
    }

    // Notices changed by others come into the open board in place, without a reload (a mark
    // left in an untouched row stays): a new one where its time puts it, a deleted one gone
    // unless current, the current one's new text shown while the user only views it. The current
    // notice stays current, and text being composed stays as typed.
    void boardTakesChangesInPlace()
    {
        DbFixture db;
        StartNoticeSession(db);
        for (const char *text : {"a", "b", "c"})
            db.addNotice(QStringLiteral("2024-01-0%1 10:00:00").arg(QChar(text[0] - 'a' + '1')),
                         "carl", QLatin1String(text));
        frmNotice *window = OpenNoticeWindow();
        FlexGrid *grid = Grid(window);
        MoveToRow(grid, 2); // b
        grid->setTextMatrix(3, NoticePublisherCol, "mark");
        const auto changed = [&](const QStringList &texts) {
            QList<qint64> ids;
            for (const QString &text : texts)
                ids << db.noticeId(text).toLongLong();
            return ids;
        };
        const QList<qint64> gone = changed({"c"});
        db.exec("Delete From Notice Where Notice_Content='c'");
        db.addNotice("2024-01-04 10:00:00", "eve", "d");
        db.exec("Update Notice Set Notice_Content='b2' Where Notice_Content='b'");
        window->NoticesChanged(gone + changed({"d", "b2"}));
        const auto listed = [grid] {
            QStringList rows;
            for (int row = 1; row < grid->Rows(); ++row)
                rows << grid->TextMatrix(row, NoticeSerialCol) + u' ' +
                            grid->TextMatrix(row, NoticePublisherCol);
            return rows;
        };
        QCOMPARE(listed(), (QStringList{"1 eve", "2 carl", "3 mark"}));
        QCOMPARE(grid->TextMatrix(grid->Row(), NoticeKeyCol), db.noticeId("b2"));
        QCOMPARE(Text()->toPlainText(), "b2");

        Click(window, "cmdAdd");
        TypeText(Text(), "mine");
        const QList<qint64> current = changed({"b2"});
        db.exec("Delete From Notice Where Notice_Content='b2'");
        db.addNotice("2023-12-31 10:00:00", "eve", "e");
        window->NoticesChanged(current + changed({"e"}));
        QCOMPARE(listed(), (QStringList{"1 eve", "2 carl", "3 mark", "4 eve"}));
        QCOMPARE(window->Mode(), "AddNew");
        QCOMPARE(Text()->toPlainText(), "mine");
        QCOMPARE(home->logEntryCount(), 0);
        user->answerMessage(QMessageBox::Yes); // leave the notice being composed
        frmNotice::Unload();
    }

    // "new" composes a notice, "edit" changes the older of two own notices, "fail" loses the
    // table before saving. Only the server's clock depends on the backend. Still composing after
    // a refusal or failure, No to closing, by Escape or by the host unloading, keeps window and
    // text; Yes unloads it with the search window.
    void saving_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("dialect");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("dialogs");
        const QStringList asked{"Saved!", "Are you want to send Notice?"};
        for (const QString &engine : Backends())
            AddBackendRow("server_time", engine)
                << "new" << 0 << "Don't touch O'Brien's desk" << asked;
        const auto row = [](const char *name) -> QTestData & {
            return QTest::newRow(name) << "sqlite";
        };
        row("chinese_client_time") << "new" << 1 << "明天下午三点开会" << asked;
        row("spaces_only_refused")
            << "new" << 0 << "    " << QStringList{"Please Input The Notice Content!"};
        row("own_notice_edited_not_sent")
            << "edit" << 0 << "older, corrected" << QStringList{"Saved!"};
        row("failure_keeps_composing") << "fail" << 0 << "draft" << QStringList{"Failed!"};
    }
    void saving()
    {
        QFETCH(QString, action);
        QFETCH(int, dialect);
        QFETCH(QString, typed);
        QFETCH(QStringList, dialogs);
        DB_FIXTURE(db);
        StartNoticeSession(db);
        Session().gintDBType = ToDBType(qint16(dialect)).value();
        const QDateTime frozen(QDate(2001, 2, 3), QTime(4, 5, 6));
        SetClock([frozen] { return frozen; });
        const bool edit = action == QLatin1String("edit");
        if (edit) {
            db.addNotice("2024-01-01 10:00:00", "ops", "older");
            db.addNotice("2024-01-02 10:00:00", "ops", "newer");
        }
        frmNotice *window = OpenNoticeWindow();
        if (edit) {
            MoveToRow(Grid(window), 2);
            Text()->selectAll();
        } else {
            Click(window, "cmdAdd");
            QCOMPARE(Text()->palette().color(QPalette::Base), QColor(0xC0, 0xFF, 0xC0));
        }
        TypeText(Text(), typed);
        if (!edit)
            Click(window, "cmdAdd"); // a second Add keeps what was typed
        if (action == QLatin1String("fail"))
            db.exec("Drop Table Notice");
        user->answerMessage(QMessageBox::Ok);
        if (dialogs.size() > 1)
            user->answerMessage(QMessageBox::No);
        Click(window, "cmdSave");
        SetClock({});
        QCOMPARE(user->seenTexts(), dialogs);
        if (window->Mode() == QLatin1String("AddNew")) { // refused or failed: nothing stored
            Click(window, "cmdFind");
            for (const bool unload : {false, true}) {
                user->answerMessage(QMessageBox::No);
                if (unload)
                    frmNotice::Unload();
                else if (ShowWindow(window)) // keys reach the active window
                    QTest::keyClick(Text(), Qt::Key_Escape);
                SettleWindows();
                QCOMPARE(user->seenTexts(),
                         dialogs + QStringList(unload ? 2 : 1, "Do You Want Exit?"));
                QCOMPARE(frmNotice::loadedInstance(), window);
                QCOMPARE(Text()->toPlainText(), typed);
                QVERIFY(frmQueryNotice::loadedInstance());
            }
            user->answerMessage(QMessageBox::Yes);
            frmNotice::Unload();
            SettleWindows();
            QCOMPARE(frmNotice::loadedInstance(), nullptr);
            QCOMPARE(frmQueryNotice::loadedInstance(), nullptr); // unloaded with the notice window
            return;
        }
        FlexGrid *grid = Grid(window);
        QCOMPARE(grid->Row(), edit ? 2 : 1);
        const QList<QVariantList> row = db.rows("Select Notice_Content,Notice_Publisher,"
                                                "Notice_DateTime From Notice Where Notice_ID=" +
                                                grid->TextMatrix(grid->Row(), 1));
        QCOMPARE(row.size(), 1);
        QCOMPARE(row[0][0].toString() + u'|' + row[0][1].toString(), typed + "|ops");
        QCOMPARE(Text()->palette().color(QPalette::Base), QColor(Qt::white));
        QCOMPARE(Text()->toPlainText(), typed);
        const QDateTime time = QDateTime::fromString(Nulltostr(row[0][2]), u"yyyy-MM-dd HH:mm:ss");
        if (edit)
            QCOMPARE(time, QDateTime(QDate(2024, 1, 1), QTime(10, 0)));
        else if (dialect == 1) // the client's clock
            QCOMPARE(time, frozen);
        else // the server's
            QVERIFY2(qAbs(time.secsTo(QDateTime::currentDateTime())) < 120,
                     qPrintable(time.toString(Qt::ISODate)));
    }

    void deleteShowsNeighbour_data()
    {
        QTest::addColumn<QStringList>("notices"); // oldest first
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QString>("shownAfter");
        const QStringList three{"a", "b", "c"};
        QTest::newRow("newest_shows_older") << three << 1 << true << "b";
        QTest::newRow("last_shows_above") << three << 3 << true << "b";
        QTest::newRow("only_one_keeps_text") << QStringList{"alone"} << 1 << true << "alone";
        QTest::newRow("no_changes_nothing") << three << 2 << false << "b";
    }
    void deleteShowsNeighbour()
    {
        QFETCH(QStringList, notices);
        QFETCH(int, row);
        QFETCH(bool, confirm);
        QFETCH(QString, shownAfter);
        DbFixture db;
        StartNoticeSession(db);
        for (int i = 0; i < notices.size(); ++i)
            db.addNotice(QStringLiteral("2024-01-0%1 10:00:00").arg(i + 1), "ops", notices[i]);
        frmNotice *window = OpenNoticeWindow();
        FlexGrid *grid = Grid(window);
        MoveToRow(grid, row);
        const QString deleted = Text()->toPlainText();
        user->answerMessage(confirm ? QMessageBox::Yes : QMessageBox::No);
        Click(window, "cmdDelete");
        QCOMPARE(user->seenTexts(), QStringList{"Are You Want To Delete All Records?"});
        const int left = int(notices.size()) - (confirm ? 1 : 0);
        QCOMPARE(db.noticeId(deleted).isEmpty(), confirm);
        QCOMPARE(Text()->toPlainText(), shownAfter);
        QCOMPARE(grid->Rows(), left + 1);
        if (left > 0)
            QCOMPARE(grid->TextMatrix(grid->Row(), 1), db.noticeId(shownAfter));
    }

    // A changed text of a saved notice is asked about before another notice shows (moved to, or
    // chosen in the search), Refresh, Add and Exit (No, the default, keeps text and notice);
    // once saved, nothing asks. The list
    // copies its rows; the usual keys press the buttons, in the search window too; a host ending
    // the session closes the window while a notice is composed, without a question.
    void changedTextKeysAndCopies()
    {
        DbFixture db;
        StartNoticeSession(db);
        db.addNotice("2024-01-10 10:00:00", "ops", "older");
        db.addNotice("2024-01-11 10:00:00", "ops", "newer");
        frmNotice *window = OpenNoticeWindow();
        FlexGrid *grid = Grid(window);
        TypeText(Text(), "!");
        for (int i = 0; i < 5; ++i)
            user->answerMessage(QMessageBox::No);
        QTest::keyClick(grid, Qt::Key_Down);
        QTRY_COMPARE(grid->Row(), 1);
        Click(window, "cmdRefresh");
        Click(window, "cmdAdd");
        window->SearchNotice(db.noticeId("older")); // chosen in the search
        window->close();
        QCOMPARE(grid->Row(), 1);
        QCOMPARE(Text()->toPlainText(), "!newer");
        QCOMPARE(window->Mode(), QString());
        QCOMPARE(user->seenTexts(), QStringList(5, "Your changes are not saved. Throw them away?"));
        QCOMPARE(user->seen().back().defaultButton, QMessageBox::No);
        QVERIFY(ShowWindow(window));
        user->answerMessage(QMessageBox::Ok);
        QTest::keyClick(Text(), Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!db.noticeId("!newer").isEmpty());
        QVERIFY(ShowWindow(window));
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(Text()->toPlainText(), "older");

        QTest::keyClick(grid, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), "Time\tPublisher\n2024-01-11 10:00:00\tops\n"
                                                       "2024-01-10 10:00:00\tops\n");
        db.addNotice("2024-01-12 10:00:00", "ops", "newest");
        QTest::keyClick(grid, Qt::Key_F5);
        QCOMPARE(grid->Rows(), 4);
        QTest::keyClick(grid, Qt::Key_F, Qt::ControlModifier);
        frmQueryNotice *search = frmQueryNotice::loadedInstance();
        QVERIFY(search && ShowWindow(search));
        Find<QLineEdit>(search, "txtPublisher")->setText("ops");
        QTest::keyClick(search, Qt::Key_F5);
        QCOMPARE(Grid(search)->Rows(), 4);

        QVERIFY(ShowWindow(window));
        QTest::keyClick(grid, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(window->Mode(), "AddNew");
        TypeText(Text(), "draft");
        SetDiscardWithoutAsking(true);
        const auto asking = qScopeGuard([] { SetDiscardWithoutAsking(false); });
        window->close();
        SettleWindows();
        QCOMPARE(frmNotice::loadedInstance(), nullptr);
        QCOMPARE(user->seen().size(), size_t(6));
    }
};

QTEST_MAIN(tst_NoticeWindow)
#include "tst_noticewindow.moc"
