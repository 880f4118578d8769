// The notice window driven as a user drives it: list, viewer, composing, saving, deleting and
// closing, on every database engine.

#include "Clock.h"
#include "frmQueryNotice.h"
#include "NoticeTestSupport.h"
#include "ValueFormat.h"

#include <QtTest>

namespace {

QColor Background(QWidget *window)
{
    return Text(window)->palette().color(QPalette::Base);
}

// Moves the current row down with the arrow key, as the user would.
void MoveToRow(FlexGrid *grid, int row)
{
    for (int r = grid->Row(); r < row; ++r)
        QTest::keyClick(grid, Qt::Key_Down);
}

QStringList SeenTexts(const DialogAnswerer &user)
{
    QStringList texts;
    for (const SeenDialog &dialog : user.seen())
        texts << dialog.text;
    return texts;
}

} // namespace

class NoticeWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { CloseNoticeWindows(); }

    // Ten own notices, seen by their owner, by a name differing only in case, and without the
    // permission to edit.
    void listAndOwnership_data()
    {
        AddEngineColumn();
        QTest::addColumn<QString>("operatorName");
        QTest::addColumn<bool>("permission");
        QTest::addColumn<bool>("mayChange");
        for (const QString &engine : TestEngines()) {
            AddEngineRow(QStringLiteral("own_notice"), engine) << "ops" << true << true;
            AddEngineRow(QStringLiteral("case_differs"), engine) << "Ops" << true << false;
            AddEngineRow(QStringLiteral("no_permission"), engine) << "ops" << false << false;
        }
    }
    void listAndOwnership()
    {
        QFETCH(QString, operatorName);
        QFETCH(bool, permission);
        QFETCH(bool, mayChange);
        TestHome home;
        DB_FIXTURE(db);
        StartNoticeSession(operatorName, permission);
        for (int i = 1; i <= 10; ++i)
            AddNotice(db, QStringLiteral("2024-01-%1 10:00:00").arg(i, 2, 10, QLatin1Char('0')),
                      QStringLiteral("ops"), QStringLiteral("n%1").arg(i));

        frmNotice *window = OpenNoticeWindow();
        FlexGrid *grid = Grid(window);
        QCOMPARE(grid->Rows(), 11);
        for (int r = 1; r <= 10; ++r) {
            QCOMPARE(grid->TextMatrix(r, 0), QString::number(r));
            QCOMPARE(grid->TextMatrix(r, 1), NoticeId(db, QStringLiteral("n%1").arg(11 - r)));
        }
        QVERIFY(grid->ColHidden(1));
        QCOMPARE(Text(window)->toPlainText(), QStringLiteral("n10"));
        QCOMPARE(Background(window), QColor(Qt::white));
        QCOMPARE(Control<QPushButton>(window, "cmdSave")->isEnabled(), mayChange);
        QCOMPARE(Control<QPushButton>(window, "cmdDelete")->isEnabled(), mayChange);
        QCOMPARE(Control<QPushButton>(window, "cmdAdd")->isEnabled(), permission);
        QCOMPARE(Text(window)->isEnabled(), permission);

        // Another row shows its notice; another column of the same row reads nothing anew.
        MoveToRow(grid, 4);
        QCOMPARE(Text(window)->toPlainText(), QStringLiteral("n7"));
        Text(window)->setPlainText(QStringLiteral("edited, not saved"));
        QTest::keyClick(grid, Qt::Key_Right);
        QCOMPARE(Text(window)->toPlainText(), QStringLiteral("edited, not saved"));

        // Not composing: Escape closes without asking, the edit notwithstanding.
        DialogAnswerer user;
        QTest::keyClick(grid, Qt::Key_Escape);
        SettleWindows();
        QCOMPARE(frmNotice::loadedInstance(), nullptr);
        QVERIFY(user.seen().empty());
        QCOMPARE(home.logEntryCount(), 0);
    }

    // "new" composes a notice, "edit" changes the older of two own notices, "fail" composes and
    // loses the table before saving.
    void saving_data()
    {
        AddEngineColumn();
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("dialect");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("dialogs");
        const QStringList asked{"Saved!", "Are you want to send Notice?"};
        for (const QString &engine : TestEngines()) {
            const auto row = [&](const char *name) -> QTestData & {
                return AddEngineRow(QLatin1String(name), engine);
            };
            row("apostrophe_server_time") << "new" << 0 << "Don't touch O'Brien's desk"
                                          << "Don't touch O'Brien's desk" << asked;
            row("chinese_client_time") << "new" << 1 << QStringLiteral("明天下午三点开会")
                                       << QStringLiteral("明天下午三点开会") << asked;
            row("spaces_trimmed") << "new" << 0 << "  lunch  "
                                  << "lunch" << asked;
            row("date_normalised") << "new" << 1 << "2024/1/2"
                                   << "2024-01-02 00:00:00" << asked;
            row("spaces_only_refused") << "new" << 0 << "    "
                                       << "    " << QStringList{"Please Input The Notice Content!"};
            row("own_notice_edited_not_sent") << "edit" << 0 << "older, corrected"
                                              << "older, corrected" << QStringList{"Saved!"};
            row("failure_keeps_composing") << "fail" << 0 << "draft"
                                           << "draft" << QStringList{"Failed!"};
        }
    }
    void saving()
    {
        QFETCH(QString, action);
        QFETCH(int, dialect);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QStringList, dialogs);
        TestHome home;
        DB_FIXTURE(db);
        StartNoticeSession();
        gintDBType = qint16(dialect);
        const QDateTime frozen(QDate(2001, 2, 3), QTime(4, 5, 6));
        SetClock([frozen] { return frozen; });
        const bool edit = action == QLatin1String("edit");
        if (edit) {
            AddNotice(db, QStringLiteral("2024-01-01 10:00:00"), QStringLiteral("ops"), "older");
            AddNotice(db, QStringLiteral("2024-01-02 10:00:00"), QStringLiteral("ops"), "newer");
        }
        frmNotice *window = OpenNoticeWindow();
        if (edit) {
            MoveToRow(Grid(window), 2);
            Text(window)->selectAll();
            TypeText(Text(window), typed);
        } else {
            Click(window, "cmdAdd");
            QCOMPARE(Background(window), QColor(0xC0, 0xFF, 0xC0));
            TypeText(Text(window), typed);
            Click(window, "cmdAdd"); // a second Add keeps what was typed
        }
        if (action == QLatin1String("fail"))
            db.exec(QStringLiteral("Drop Table Notice"));

        DialogAnswerer user;
        user.answerMessage(QMessageBox::Ok);
        if (dialogs.size() > 1)
            user.answerMessage(QMessageBox::No);
        Click(window, "cmdSave");
        QCOMPARE(SeenTexts(user), dialogs);
        if (window->Mode() == QLatin1String("AddNew")) { // refused or failed: nothing stored
            QCOMPARE(Text(window)->toPlainText(), typed);
            if (action == QLatin1String("new"))
                QCOMPARE(db.count(QStringLiteral("Notice")), 0);
            return;
        }

        FlexGrid *grid = Grid(window);
        QCOMPARE(grid->Row(), edit ? 2 : 1);
        const QList<QVariantList> row = db.rows(
            QStringLiteral("Select Notice_Content,Notice_Publisher,Notice_DateTime From Notice "
                           "Where Notice_ID=") +
            grid->TextMatrix(grid->Row(), 1));
        QCOMPARE(row.size(), 1);
        QCOMPARE(row[0][0].toString(), stored);
        QCOMPARE(row[0][1].toString(), QStringLiteral("ops"));
        QCOMPARE(db.count(QStringLiteral("Notice")), edit ? 2 : 1);
        QCOMPARE(Background(window), QColor(Qt::white));
        QCOMPARE(Text(window)->toPlainText(), stored);
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
        AddEngineColumn();
        QTest::addColumn<QStringList>("notices"); // oldest first
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QString>("shownAfter");
        const QStringList three{"a", "b", "c"};
        for (const QString &engine : TestEngines()) {
            AddEngineRow(QStringLiteral("newest_shows_older"), engine) << three << 1 << true << "b";
            AddEngineRow(QStringLiteral("middle_shows_older"), engine) << three << 2 << true << "a";
            AddEngineRow(QStringLiteral("last_shows_above"), engine) << three << 3 << true << "b";
            AddEngineRow(QStringLiteral("only_one_keeps_text"), engine)
                << QStringList{"alone"} << 1 << true << "alone";
            AddEngineRow(QStringLiteral("no_changes_nothing"), engine)
                << three << 2 << false << "b";
        }
    }
    void deleteShowsNeighbour()
    {
        QFETCH(QStringList, notices);
        QFETCH(int, row);
        QFETCH(bool, confirm);
        QFETCH(QString, shownAfter);
        TestHome home;
        DB_FIXTURE(db);
        StartNoticeSession();
        for (int i = 0; i < notices.size(); ++i)
            AddNotice(db, QStringLiteral("2024-01-0%1 10:00:00").arg(i + 1), "ops", notices[i]);
        frmNotice *window = OpenNoticeWindow();
        FlexGrid *grid = Grid(window);
        MoveToRow(grid, row);
        const QString deleted = Text(window)->toPlainText();

        DialogAnswerer user;
        user.answerMessage(confirm ? QMessageBox::Yes : QMessageBox::No);
        Click(window, "cmdDelete");
        QCOMPARE(SeenTexts(user), QStringList{"Are You Want To Delete All Records?"});
        const int left = int(notices.size()) - (confirm ? 1 : 0);
        QCOMPARE(db.count(QStringLiteral("Notice")), left);
        QCOMPARE(NoticeId(db, deleted).isEmpty(), confirm);
        QCOMPARE(Text(window)->toPlainText(), shownAfter);
        QCOMPARE(grid->Rows(), left + 1);
        for (int r = 1; r <= left; ++r)
            QCOMPARE(grid->TextMatrix(r, 0), QString::number(r));
        if (left > 0)
            QCOMPARE(grid->TextMatrix(grid->Row(), 1), NoticeId(db, shownAfter));
    }

    void closingWhileComposingAsks_data() { EngineRows(); }
    void closingWhileComposingAsks()
    {
        TestHome home;
        DB_FIXTURE(db);
        StartNoticeSession();
        frmNotice *window = OpenNoticeWindow();
        frmQueryNotice::instance()->show();
        Click(window, "cmdAdd");
        QTest::keyClicks(Text(window), QStringLiteral("draft"));

        // No, whether asked by Exit, by Escape or by the host unloading, keeps window and text.
        DialogAnswerer user;
        for (int way = 0; way < 3; ++way) {
            user.answerMessage(QMessageBox::No);
            if (way == 0)
                Click(window, "cmdExit");
            else if (way == 1) {
                // Keys reach the active window only; the message box took that role a moment ago.
                window->activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(window));
                QTest::keyClick(Text(window), Qt::Key_Escape);
            } else
                frmNotice::Unload();
            SettleWindows();
            QCOMPARE(SeenTexts(user), QStringList(way + 1, QStringLiteral("Do You Want Exit?")));
            QCOMPARE(frmNotice::loadedInstance(), window);
            QVERIFY(window->isVisible());
            QCOMPARE(Text(window)->toPlainText(), QStringLiteral("draft"));
            QVERIFY(frmQueryNotice::loadedInstance());
        }
        user.answerMessage(QMessageBox::Yes);
        frmNotice::Unload();
        SettleWindows();
        QCOMPARE(frmNotice::loadedInstance(), nullptr);
        QCOMPARE(frmQueryNotice::loadedInstance(), nullptr); // unloaded with the notice window
    }
};

QTEST_MAIN(NoticeWindowTest)
#include "tst_noticewindow.moc"
