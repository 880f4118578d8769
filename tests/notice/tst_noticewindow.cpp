// The notice window driven as a user drives it: list, viewer, composing, saving, deleting and
// closing, on every database engine.

#include "Clock.h"
#include "frmNotice.h"
#include "frmQueryNotice.h"
#include "NoticeTestSupport.h"

#include <QtTest>

namespace {

const QColor White(0xFF, 0xFF, 0xFF);
const QColor LightGreen(0xC0, 0xFF, 0xC0);

QTextEdit *Text(QWidget *window)
{
    return Control<QTextEdit>(window, "txtNotice");
}

QColor Background(QWidget *window)
{
    return Text(window)->palette().color(QPalette::Base);
}

frmNotice *OpenNoticeWindow()
{
    frmNotice *window = frmNotice::instance();
    window->show();
    if (!QTest::qWaitForWindowExposed(window))
        qWarning("notice window not exposed");
    return window;
}

// Moves the current row with the arrow keys, as the user would.
void MoveToRow(FlexGrid *grid, int row)
{
    for (int guard = 0; grid->Row() < row && guard < 100; ++guard)
        QTest::keyClick(grid, Qt::Key_Down);
    for (int guard = 0; grid->Row() > row && guard < 100; ++guard)
        QTest::keyClick(grid, Qt::Key_Up);
}

QDateTime StoredTime(const QVariant &value)
{
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime();
    return QDateTime::fromString(value.toString(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

class NoticeWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        // Composing windows would ask before closing; tests end without asking anyone.
        delete frmQueryNotice::loadedInstance();
        delete frmNotice::loadedInstance();
        SetClock({});
        SettleWindows();
    }

    void listNewestFirstNumbered_data() { EngineRows(); }
    void listNewestFirstNumbered()
    {
        TestHome home;
        DB_FIXTURE(db);
        StartNoticeSession();
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
        QCOMPARE(grid->Row(), 1);
        QCOMPARE(Text(window)->toPlainText(), QStringLiteral("n10"));
        QCOMPARE(Background(window), White);

        // Another row shows its notice; another column of the same row reads nothing anew.
        MoveToRow(grid, 4);
        QCOMPARE(Text(window)->toPlainText(), QStringLiteral("n7"));
        Text(window)->setPlainText(QStringLiteral("edited, not saved"));
        QTest::keyClick(grid, Qt::Key_Right);
        QCOMPARE(Text(window)->toPlainText(), QStringLiteral("edited, not saved"));
        QCOMPARE(home.logEntryCount(), 0);
    }

    void saveAndDeleteFollowOwnership_data()
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
    void saveAndDeleteFollowOwnership()
    {
        QFETCH(QString, operatorName);
        QFETCH(bool, permission);
        QFETCH(bool, mayChange);
        TestHome home;
        DB_FIXTURE(db);
        StartNoticeSession(operatorName, permission);
        AddNotice(db, QStringLiteral("2024-01-01 10:00:00"), QStringLiteral("ops"),
                  QStringLiteral("mine"));

        frmNotice *window = OpenNoticeWindow();
        QCOMPARE(Control<QPushButton>(window, "cmdSave")->isEnabled(), mayChange);
        QCOMPARE(Control<QPushButton>(window, "cmdDelete")->isEnabled(), mayChange);
        QCOMPARE(Control<QPushButton>(window, "cmdAdd")->isEnabled(), permission);
        QCOMPARE(Text(window)->isEnabled(), permission);
        for (const char *always : {"cmdFind", "cmdRefresh", "cmdExit"})
            QVERIFY(Control<QPushButton>(window, always)->isEnabled());
        QCOMPARE(Text(window)->toPlainText(), QStringLiteral("mine"));
    }

    void composingKeepsTextAndRefusesBlanks_data() { EngineRows(); }
    void composingKeepsTextAndRefusesBlanks()
    {
        TestHome home;
        DB_FIXTURE(db);
        StartNoticeSession();
        AddNotice(db, QStringLiteral("2024-01-01 10:00:00"), QStringLiteral("other"),
                  QStringLiteral("theirs"));
        frmNotice *window = OpenNoticeWindow();
        QVERIFY(!Control<QPushButton>(window, "cmdSave")->isEnabled());

        Click(window, "cmdAdd");
        QCOMPARE(window->Mode(), QStringLiteral("AddNew"));
        QCOMPARE(Text(window)->toPlainText(), QString());
        QCOMPARE(Background(window), LightGreen);
        QVERIFY(Control<QPushButton>(window, "cmdSave")->isEnabled());
        QTest::keyClicks(Text(window), QStringLiteral("Hello"));
        Click(window, "cmdAdd");
        QCOMPARE(Text(window)->toPlainText(), QStringLiteral("Hello"));

        Text(window)->clear();
        QTest::keyClicks(Text(window), QStringLiteral("    "));
        DialogAnswerer user;
        user.answerMessage(QMessageBox::Ok);
        Click(window, "cmdSave");
        QCOMPARE(user.seen().size(), size_t(1));
        QCOMPARE(user.seen()[0].text, QStringLiteral("Please Input The Notice Content!"));
        QCOMPARE(user.seen()[0].icon, QMessageBox::Information);
        QCOMPARE(user.seen()[0].title, QStringLiteral("Popup"));
        QCOMPARE(window->Mode(), QStringLiteral("AddNew"));
        QCOMPARE(db.count(QStringLiteral("Notice")), 1);
    }

    void newNoticeStoredAsTyped_data()
    {
        AddEngineColumn();
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        for (const QString &engine : TestEngines()) {
            AddEngineRow(QStringLiteral("apostrophe"), engine) << "Don't touch O'Brien's desk"
                                                               << "Don't touch O'Brien's desk";
            AddEngineRow(QStringLiteral("chinese"), engine)
                << QStringLiteral("明天下午三点开会") << QStringLiteral("明天下午三点开会");
            AddEngineRow(QStringLiteral("spaces_trimmed"), engine) << "  lunch  "
                                                                   << "lunch";
            AddEngineRow(QStringLiteral("date_normalised"), engine) << "2024/1/2"
                                                                    << "2024-01-02 00:00:00";
        }
    }
    void newNoticeStoredAsTyped()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        TestHome home;
        DB_FIXTURE(db);
        StartNoticeSession();
        frmNotice *window = OpenNoticeWindow();

        Click(window, "cmdAdd");
        TypeText(Text(window), typed);
        DialogAnswerer user;
        user.answerMessage(QMessageBox::Ok);
        user.answerMessage(QMessageBox::No);
        Click(window, "cmdSave");

        QCOMPARE(db.scalar(QStringLiteral("Select Notice_Content From Notice")).toString(), stored);
        QCOMPARE(db.scalar(QStringLiteral("Select Notice_Publisher From Notice")).toString(),
                 QStringLiteral("ops"));
        QCOMPARE(user.seen().size(), size_t(2));
        QCOMPARE(user.seen()[0].text, QStringLiteral("Saved!"));
        QCOMPARE(user.seen()[0].icon, QMessageBox::Information);
        QCOMPARE(user.seen()[1].text, QStringLiteral("Are you want to send Notice?"));
        QCOMPARE(user.seen()[1].icon, QMessageBox::Question);
        QCOMPARE(window->Mode(), QString());
        QCOMPARE(Background(window), White);
        QCOMPARE(Text(window)->toPlainText(), stored);
        QCOMPARE(Grid(window)->Rows(), 2);
    }

    void timeComesFromServerOrClient_data()
    {
        AddEngineColumn();
        QTest::addColumn<int>("dialect");
        for (const QString &engine : TestEngines()) {
            AddEngineRow(QStringLiteral("server_time_dialect0"), engine) << 0;
            AddEngineRow(QStringLiteral("client_time_dialect1"), engine) << 1;
        }
    }
    void timeComesFromServerOrClient()
    {
        QFETCH(int, dialect);
        TestHome home;
        DB_FIXTURE(db);
        StartNoticeSession();
        gintDBType = qint16(dialect);
        const QDateTime frozen(QDate(2001, 2, 3), QTime(4, 5, 6));
        SetClock([frozen] { return frozen; });
        frmNotice *window = OpenNoticeWindow();

        Click(window, "cmdAdd");
        QTest::keyClicks(Text(window), QStringLiteral("timed"));
        DialogAnswerer user;
        user.answerMessage(QMessageBox::Ok);
        user.answerMessage(QMessageBox::No);
        Click(window, "cmdSave");

        const QDateTime stored =
            StoredTime(db.scalar(QStringLiteral("Select Notice_DateTime From Notice")));
        if (dialect == 1)
            QCOMPARE(stored, frozen);
        else
            QVERIFY2(qAbs(stored.secsTo(QDateTime::currentDateTime())) < 120,
                     qPrintable(stored.toString(Qt::ISODate)));
    }

    void savingOwnNoticeUpdatesIt_data() { EngineRows(); }
    void savingOwnNoticeUpdatesIt()
    {
        TestHome home;
        DB_FIXTURE(db);
        StartNoticeSession();
        AddNotice(db, QStringLiteral("2024-01-01 10:00:00"), QStringLiteral("ops"),
                  QStringLiteral("older"));
        AddNotice(db, QStringLiteral("2024-01-02 10:00:00"), QStringLiteral("ops"),
                  QStringLiteral("newer"));
        frmNotice *window = OpenNoticeWindow();
        MoveToRow(Grid(window), 2);
        Text(window)->selectAll();
        QTest::keyClicks(Text(window), QStringLiteral("older, corrected"));

        DialogAnswerer user;
        user.answerMessage(QMessageBox::Ok);
        Click(window, "cmdSave");
        QCOMPARE(user.seen().size(), size_t(1)); // no broadcast offered for an edit
        QCOMPARE(user.seen()[0].text, QStringLiteral("Saved!"));
        QCOMPARE(db.count(QStringLiteral("Notice")), 2);
        QCOMPARE(db.scalar(QStringLiteral("Select Notice_Content From Notice Where Notice_ID=") +
                           Grid(window)->TextMatrix(2, 1))
                     .toString(),
                 QStringLiteral("older, corrected"));
        QCOMPARE(Grid(window)->Row(), 2);
    }

    void failedInsertKeepsComposing_data() { EngineRows(); }
    void failedInsertKeepsComposing()
    {
        TestHome home;
        DB_FIXTURE(db);
        StartNoticeSession();
        frmNotice *window = OpenNoticeWindow();
        Click(window, "cmdAdd");
        QTest::keyClicks(Text(window), QStringLiteral("draft"));
        db.exec(QStringLiteral("Drop Table Notice"));

        DialogAnswerer user;
        user.answerMessage(QMessageBox::Ok);
        Click(window, "cmdSave");
        QCOMPARE(user.seen().size(), size_t(1)); // neither "Saved!" nor the send question
        QCOMPARE(user.seen()[0].text, QStringLiteral("Failed!"));
        QCOMPARE(user.seen()[0].icon, QMessageBox::Critical);
        QCOMPARE(window->Mode(), QStringLiteral("AddNew"));
        QCOMPARE(Text(window)->toPlainText(), QStringLiteral("draft"));
    }

    void deleteShowsNeighbour_data()
    {
        AddEngineColumn();
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("shownAfter");
        for (const QString &engine : TestEngines()) {
            AddEngineRow(QStringLiteral("newest_shows_next_older"), engine) << 1 << "b";
            AddEngineRow(QStringLiteral("middle_shows_older"), engine) << 2 << "a";
            AddEngineRow(QStringLiteral("last_shows_row_above"), engine) << 3 << "b";
        }
    }
    void deleteShowsNeighbour()
    {
        QFETCH(int, row);
        QFETCH(QString, shownAfter);
        TestHome home;
        DB_FIXTURE(db);
        StartNoticeSession();
        AddNotice(db, QStringLiteral("2024-01-01 10:00:00"), QStringLiteral("ops"), "a");
        AddNotice(db, QStringLiteral("2024-01-02 10:00:00"), QStringLiteral("ops"), "b");
        AddNotice(db, QStringLiteral("2024-01-03 10:00:00"), QStringLiteral("ops"), "c");
        frmNotice *window = OpenNoticeWindow();
        FlexGrid *grid = Grid(window);
        MoveToRow(grid, row);
        const QString deleted = Text(window)->toPlainText();

        DialogAnswerer user;
        user.answerMessage(QMessageBox::Yes);
        Click(window, "cmdDelete");
        QCOMPARE(user.seen().at(0).text, QStringLiteral("Are You Want To Delete All Records?"));
        QCOMPARE(db.count(QStringLiteral("Notice")), 2);
        QVERIFY(NoticeId(db, deleted).isEmpty());
        QCOMPARE(Text(window)->toPlainText(), shownAfter);
        QCOMPARE(grid->TextMatrix(grid->Row(), 1), NoticeId(db, shownAfter));
        QCOMPARE(grid->Rows(), 3);
        QCOMPARE(grid->TextMatrix(2, 0), QStringLiteral("2"));
    }

    void deleteRefusedOrOnlyNotice_data() { EngineRows(); }
    void deleteRefusedOrOnlyNotice()
    {
        TestHome home;
        DB_FIXTURE(db);
        StartNoticeSession();
        AddNotice(db, QStringLiteral("2024-01-01 10:00:00"), QStringLiteral("ops"), "alone");
        frmNotice *window = OpenNoticeWindow();

        DialogAnswerer user;
        user.answerMessage(QMessageBox::No);
        Click(window, "cmdDelete");
        QCOMPARE(user.seen().size(), size_t(1));
        QCOMPARE(db.count(QStringLiteral("Notice")), 1);
        QCOMPARE(Grid(window)->Rows(), 2);

        user.answerMessage(QMessageBox::Yes);
        Click(window, "cmdDelete");
        QCOMPARE(db.count(QStringLiteral("Notice")), 0);
        QCOMPARE(Grid(window)->Rows(), 1);
        QCOMPARE(Text(window)->toPlainText(), QStringLiteral("alone"));
    }

    void closingWhileComposingAsks_data()
    {
        AddEngineColumn();
        QTest::addColumn<QString>("how");
        for (const QString &engine : TestEngines()) {
            AddEngineRow(QStringLiteral("exit_button"), engine) << "button";
            AddEngineRow(QStringLiteral("escape_key"), engine) << "escape";
            AddEngineRow(QStringLiteral("host_unload"), engine) << "unload";
        }
    }
    void closingWhileComposingAsks()
    {
        QFETCH(QString, how);
        TestHome home;
        DB_FIXTURE(db);
        StartNoticeSession();
        frmNotice *window = OpenNoticeWindow();
        frmQueryNotice::instance()->show();
        Click(window, "cmdAdd");
        QTest::keyClicks(Text(window), QStringLiteral("draft"));
        const auto requestClose = [&] {
            if (how == QLatin1String("button"))
                Click(window, "cmdExit");
            else if (how == QLatin1String("escape")) {
                // Keys reach the active window only; the message box took that role a moment ago.
                window->activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(window));
                QTest::keyClick(Text(window), Qt::Key_Escape);
            } else
                frmNotice::Unload();
        };

        DialogAnswerer user;
        user.answerMessage(QMessageBox::No);
        requestClose();
        QCOMPARE(user.seen().size(), size_t(1));
        QCOMPARE(user.seen()[0].text, QStringLiteral("Do You Want Exit?"));
        QCOMPARE(user.seen()[0].icon, QMessageBox::Question);
        SettleWindows();
        QCOMPARE(frmNotice::loadedInstance(), window);
        QVERIFY(window->isVisible());
        QCOMPARE(Text(window)->toPlainText(), QStringLiteral("draft"));
        QVERIFY(frmQueryNotice::loadedInstance());

        user.answerMessage(QMessageBox::Yes);
        requestClose();
        SettleWindows();
        QCOMPARE(frmNotice::loadedInstance(), nullptr);
        QCOMPARE(frmQueryNotice::loadedInstance(), nullptr); // unloaded with the notice window
    }

    void closingWhileViewingDoesNotAsk_data() { EngineRows(); }
    void closingWhileViewingDoesNotAsk()
    {
        TestHome home;
        DB_FIXTURE(db);
        StartNoticeSession();
        AddNotice(db, QStringLiteral("2024-01-01 10:00:00"), QStringLiteral("ops"), "text");
        frmNotice *window = OpenNoticeWindow();
        Text(window)->setPlainText(QStringLiteral("changed but not saved"));
        DialogAnswerer user;
        QTest::keyClick(Grid(window), Qt::Key_Escape);
        SettleWindows();
        QCOMPARE(user.seen().size(), size_t(0));
        QCOMPARE(frmNotice::loadedInstance(), nullptr);
    }

    void widerWindowWidensOnlyTheText_data() { EngineRows(); }
    void widerWindowWidensOnlyTheText()
    {
        TestHome home;
        DB_FIXTURE(db);
        StartNoticeSession();
        frmNotice *window = OpenNoticeWindow();
        QWidget *strip = Control<QWidget>(window, "picControl");
        const int gridWidth = Grid(window)->width();
        const int textWidth = Text(window)->width();
        window->resize(window->width() + 200, window->height() + 100);
        QTRY_COMPARE(Text(window)->width(), textWidth + 200);
        QCOMPARE(Grid(window)->width(), gridWidth);
        QCOMPARE(Text(window)->height(), Grid(window)->height());
        QVERIFY(qAbs((strip->x() + strip->width() / 2) - window->width() / 2) <= 5);
        QVERIFY(strip->geometry().bottom() < window->height());
    }
};

QTEST_MAIN(NoticeWindowTest)
#include "tst_noticewindow.moc"
