// The notice window driven as a user drives it: list, viewer, composing, saving, deleting and
// closing; and the broadcast of a new notice to the online users, read by real sockets on
// loopback addresses and by the ardenta-listen receiver program.

#include "common/Clock.h"
#include "db/ValueFormat.h"
#include "Listener.h"
#include "notice/NoticeBroadcast.h"
#include "NoticeTestSupport.h"
#include "search/frmQueryNotice.h"
#include "search/NoticeList.h"
#include "widgets/MsgBox.h"

#include <QClipboard>
#include <QLineEdit>
#include <QNetworkDatagram>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QtTest>
#include <QUdpSocket>

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

    // The notice ports and encoding in SystemConfig.ini, who is online, and a saved notice that
    // the user sends; the sender is 127.0.0.4.
    void publish(const DbFixture &db, quint16 localPort, quint16 remotePort,
                 const QByteArray &encoding, const QStringList &online, const QString &publisher,
                 const QString &text, DBType dialect = DBType::TransactSql)
    {
        home->writeConfig("[Notice]\r\nLocalPort=" + QByteArray::number(localPort) +
                          "\r\nRemotePort=" + QByteArray::number(remotePort) +
                          "\r\nEncoding=" + encoding + "\r\n");
        for (const QString &address : online)
            db.exec(QStringLiteral("Insert Into OnLine(UserIP) Values('%1')").arg(address));
        StartSession(db.connection(), publisher, true, int(dialect));
        NoticeBroadcast::SetLocalIPSource([] { return "127.0.0.4"; });
        Click(OpenNoticeWindow(), "cmdAdd");
        TypeText(Text(), text);
        user->answerMessage(QMessageBox::Ok);
        user->answerMessage(QMessageBox::Yes);
        Click(frmNotice::instance(), "cmdSave");
        NoticeBroadcast::SetLocalIPSource({});
    }

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
        StartSession(db.connection(), "ops", true, dialect);
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
    }

    // Users on 127.0.0.2 and .3 get marker, publisher and the first ten characters of the notice
    // just saved (found by its key, not by its time: under Jet a colleague's clock may be ahead),
    // which the window shows; the sender and an empty address get nothing. When another program
    // holds the local port, the broadcast ends with one log entry and no message.
    void sendsToOthersWithAnAddress_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("dialect");
        QTest::addColumn<QByteArray>("expected"); // empty: the local port is held
        QTest::newRow("first_ten") << "Hello everyone, meeting at three" << 0
                                   << QByteArray("###Notice###~!ops~!Hello ever");
        QTest::newRow("colleague_clock_ahead") << "Hello everyone, meeting at three" << 1
                                               << QByteArray("###Notice###~!ops~!Hello ever");
        QTest::newRow("local_port_held") << "short" << 0 << QByteArray();
    }
    void sendsToOthersWithAnAddress()
    {
        QFETCH(QString, text);
        QFETCH(int, dialect);
        QFETCH(QByteArray, expected);
        DbFixture db;
        if (dialect == 1)
            db.addNotice(Now().addSecs(600).toString(u"yyyy-MM-dd HH:mm:ss"), "carl",
                         "Ahead of the clock");
        QUdpSocket users[3]; // on 127.0.0.2 to .4, one port
        quint16 port = 0;
        for (int i = 0; i < 3; ++i) {
            QVERIFY(users[i].bind(QHostAddress(QStringLiteral("127.0.0.%1").arg(2 + i)), port));
            port = users[i].localPort();
        }
        QUdpSocket holder; // another program on the local port
        QVERIFY(holder.bind(QHostAddress::AnyIPv4, 0));
        publish(db, expected.isEmpty() ? holder.localPort() : FreeUdpPort(), port, "UTF-8",
                {"127.0.0.2", "", "127.0.0.3", "127.0.0.4"}, "ops", text,
                ToDBType(qint16(dialect)).value());
        QCOMPARE(Text()->toPlainText(), text);
        QTest::qWait(200);
        for (int i = 0; i < 3; ++i) {
            QList<QByteArray> got;
            while (users[i].hasPendingDatagrams())
                got << users[i].receiveDatagram().data();
            QCOMPARE(got, i < 2 && !expected.isEmpty() ? QList<QByteArray>{expected}
                                                       : QList<QByteArray>());
        }
        QCOMPARE(home->logEntryCount(), expected.isEmpty() ? 1 : 0);
        QCOMPARE(home->logText().contains(QLatin1String("SendAllUserMsg")), expected.isEmpty());
    }

    // In the configured encoding, which the receiver is told as well.
    void listenerPrintsSavedNotice()
    {
        const quint16 port = FreeUdpPort();
        QProcess listener;
        QVERIFY(StartListener(listener, port, {"--encoding", "GB18030"}));
        DbFixture db;
        publish(db, FreeUdpPort(), port, "GB18030", {"127.0.0.2"}, "张三",
                "明天上午九点全体开会，请准时");
        QByteArray output;
        QTRY_VERIFY((output += listener.readAllStandardOutput()).contains('\n'));
        listener.terminate();
        QVERIFY(listener.waitForFinished());
        // One line: time, publisher, the first ten characters.
        static const QRegularExpression line(
            "^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\t张三\t明天上午九点全体开会\n$");
        output += listener.readAllStandardOutput();
        QVERIFY2(line.match(QString::fromUtf8(output)).hasMatch(), output.constData());
    }
};

QTEST_MAIN(tst_NoticeWindow)
#include "tst_noticewindow.moc"
