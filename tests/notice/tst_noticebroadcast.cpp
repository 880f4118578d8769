// The broadcast of a new notice to the online users, read by real sockets on loopback
// addresses, and by the ardenta-listen receiver program.

#include "common/Clock.h"
#include "Listener.h"
#include "notice/NoticeBroadcast.h"
#include "NoticeTestSupport.h"

#include <QNetworkDatagram>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>
#include <QUdpSocket>

class tst_NoticeBroadcast : public WindowTestCase
{
    Q_OBJECT
    DbFixture m_db;

    // The notice ports and encoding in SystemConfig.ini, who is online, and a saved notice that
    // the user sends; the sender is 127.0.0.4.
    void publish(quint16 localPort, quint16 remotePort, const QByteArray &encoding,
                 const QStringList &online, const QString &publisher, const QString &text,
                 DBType dialect = DBType::TransactSql)
    {
        home->writeConfig("[Notice]\r\nLocalPort=" + QByteArray::number(localPort) +
                          "\r\nRemotePort=" + QByteArray::number(remotePort) +
                          "\r\nEncoding=" + encoding + "\r\n");
        for (const QString &address : online)
            m_db.exec(QStringLiteral("Insert Into OnLine(UserIP) Values('%1')").arg(address));
        StartNoticeSession(m_db, publisher);
        Session().gintDBType = dialect;
        NoticeBroadcast::SetLocalIPSource([] { return "127.0.0.4"; });
        Click(OpenNoticeWindow(), "cmdAdd");
        TypeText(Text(), text);
        user->answerMessage(QMessageBox::Ok);
        user->answerMessage(QMessageBox::Yes);
        Click(frmNotice::instance(), "cmdSave");
        NoticeBroadcast::SetLocalIPSource({});
    }

private Q_SLOTS:
    void cleanup()
    {
        tearDown();
        m_db.exec("Delete From OnLine");
        m_db.exec("Delete From Notice");
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
        if (dialect == 1)
            m_db.addNotice(Now().addSecs(600).toString(u"yyyy-MM-dd HH:mm:ss"), "carl",
                           "Ahead of the clock");
        QUdpSocket users[3]; // on 127.0.0.2 to .4, one port
        quint16 port = 0;
        for (int i = 0; i < 3; ++i) {
            QVERIFY(users[i].bind(QHostAddress(QStringLiteral("127.0.0.%1").arg(2 + i)), port));
            port = users[i].localPort();
        }
        QUdpSocket holder; // another program on the local port
        QVERIFY(holder.bind(QHostAddress::AnyIPv4, 0));
        publish(expected.isEmpty() ? holder.localPort() : FreeUdpPort(), port, "UTF-8",
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
        publish(FreeUdpPort(), port, "GB18030", {"127.0.0.2"}, "张三",
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

QTEST_MAIN(tst_NoticeBroadcast)
#include "tst_noticebroadcast.moc"
