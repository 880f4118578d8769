// The error log: byte-exact entries and a log that cannot be written.

#include "Clock.h"
#include "ErrLog.h"
#include "Session.h"
#include "TestHelpers.h"

#include <QDir>
#include <QtTest>

class tst_errlog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        SetClock([] { return QDateTime(QDate(2024, 1, 5), QTime(13, 45, 7)); });
    }
    void cleanup() { SetClock({}); }

    void entryLines_data();
    void entryLines();
    void twoEntriesFollowEachOther();
    void unwritableLogTellsUserAndCallerGoesOn();
};

void tst_errlog::entryLines_data()
{
    QTest::addColumn<QString>("detail");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray head = "函数/过程:LoadData,模块:frmMain\r\n"
                            "2024-01-05 13:45:07    :Syntax error\r\n";
    const QByteArray rule = QByteArray(79, '=') + "\r\n";
    QTest::newRow("no_detail") << QString() << head + rule;
    QTest::newRow("blank_detail_is_left_out") << QStringLiteral("    ") << head + rule;
    QTest::newRow("detail_kept_untrimmed") << QStringLiteral("  Select * From Vw_Clerk ")
                                           << head + "  Select * From Vw_Clerk \r\n" + rule;
    QTest::newRow("chinese_detail_in_utf8")
        << QStringLiteral("张三") << head + QStringLiteral("张三").toUtf8() + "\r\n" + rule;
}

void tst_errlog::entryLines()
{
    QFETCH(QString, detail);
    QFETCH(QByteArray, expected);
    TestHome home;
    WriteErrLog(QStringLiteral("Syntax error"), QStringLiteral("LoadData"),
                QStringLiteral("frmMain"), detail);
    QCOMPARE(home.logBytes(), expected);
}

void tst_errlog::twoEntriesFollowEachOther()
{
    TestHome home;
    WriteErrLog(QStringLiteral("first"), QStringLiteral("A"), QStringLiteral("m"), QString());
    WriteErrLog(QStringLiteral("second"), QStringLiteral("B"), QStringLiteral("m"),
                QStringLiteral("detail"));
    const QList<QByteArray> lines = home.logBytes().split('\n');
    // 3 + 4 lines, each closed by CR LF, and nothing after the last separator.
    QCOMPARE(lines.size(), 8);
    QCOMPARE(lines.last(), QByteArray());
    for (int i = 0; i < 7; ++i)
        QVERIFY2(lines.at(i).endsWith('\r'), lines.at(i).constData());
    QVERIFY(lines.at(1).endsWith(":first\r"));
    QCOMPARE(lines.at(2), QByteArray(79, '=') + '\r');
    QVERIFY(lines.at(3).startsWith("函数/过程:B,模块:m"));
    QCOMPARE(lines.at(5), QByteArray("detail\r"));
    QCOMPARE(home.logEntryCount(), 2);
}

void tst_errlog::unwritableLogTellsUserAndCallerGoesOn()
{
    TestHome home;
    gstrPopupTitle = QStringLiteral("Ardenta");
    // A folder where the log file should be cannot be opened for appending, even by root.
    QVERIFY(QDir(home.path()).mkdir(QStringLiteral("Errlog.txt")));
    DialogAnswerer user;
    user.answerMessage(QMessageBox::Ok);
    WriteErrLog(QStringLiteral("boom"), QStringLiteral("SaveData"), QStringLiteral("frmMain"));
    QCOMPARE(user.pending(), 0);
    QCOMPARE(user.seen().size(), size_t(1));
    QCOMPARE(user.seen().front().text,
             QStringLiteral("Record error log found error,please restart popup!"));
    QCOMPARE(user.seen().front().title, QStringLiteral("Ardenta"));
    QCOMPARE(user.seen().front().icon, QMessageBox::Critical);
    // The caller is still running here: a second failure shows the box again.
    user.answerMessage(QMessageBox::Ok);
    WriteErrLog(QStringLiteral("again"), QStringLiteral("SaveData"), QStringLiteral("frmMain"));
    QCOMPARE(user.seen().size(), size_t(2));
}

QTEST_MAIN(tst_errlog)
#include "tst_errlog.moc"
