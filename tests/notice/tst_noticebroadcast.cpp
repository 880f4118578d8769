// The broadcast of a new notice to the online users, read by real sockets on loopback
// addresses, and by the ardenta-listen receiver program.

#include "frmNotice.h"
#include "NoticeBroadcast.h"
#include "NoticeMessage.h"
#include "NoticeTestSupport.h"

#include <memory>
#include <QNetworkDatagram>
#include <QProcess>
#include <QtTest>
#include <QUdpSocket>

namespace {

// Online users listening on 127.0.0.2, .3 and .4, all on one free port.
struct Listeners
{
    std::vector<std::unique_ptr<QUdpSocket>> sockets;
    quint16 port = 0;

    bool open(int count)
    {
        for (int attempt = 0; attempt < 20; ++attempt) {
            sockets.clear();
            port = 0;
            bool ok = true;
            for (int i = 0; i < count && ok; ++i) {
                auto socket = std::make_unique<QUdpSocket>();
                ok = socket->bind(QHostAddress(QStringLiteral("127.0.0.%1").arg(2 + i)), port);
                port = socket->localPort();
                sockets.push_back(std::move(socket));
            }
            if (ok)
                return true;
        }
        return false;
    }

    // Everything that user has received so far.
    QList<QByteArray> received(int index)
    {
        QList<QByteArray> &datagrams = arrived[index];
        while (sockets[size_t(index)]->hasPendingDatagrams())
            datagrams << sockets[size_t(index)]->receiveDatagram().data();
        return datagrams;
    }
    QHash<int, QList<QByteArray>> arrived;
};

quint16 FreeLocalPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::AnyIPv4, 0);
    return probe.localPort();
}

void ConfigureNotice(const TestHome &home, quint16 localPort, quint16 remotePort,
                     const QByteArray &encoding = QByteArray())
{
    QByteArray ini = "[Notice]\r\nLocalPort=" + QByteArray::number(localPort) +
                     "\r\nRemotePort=" + QByteArray::number(remotePort) + "\r\n";
    if (!encoding.isEmpty())
        ini += "Encoding=" + encoding + "\r\n";
    home.writeConfig(ini);
}

void AddOnline(const DbFixture &db, const QString &address)
{
    db.exec(QStringLiteral("Insert Into OnLine(UserIP) Values('%1')").arg(address));
}

// Saves a new notice through the window and answers Yes to sending it.
std::vector<SeenDialog> PublishNotice(const QString &text)
{
    frmNotice *window = frmNotice::instance();
    window->show();
    Click(window, "cmdAdd");
    TypeText(Control<QTextEdit>(window, "txtNotice"), text);
    DialogAnswerer user;
    user.answerMessage(QMessageBox::Ok);
    user.answerMessage(QMessageBox::Yes);
    Click(window, "cmdSave");
    return user.seen();
}

} // namespace

class NoticeBroadcastTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        delete frmNotice::loadedInstance();
        NoticeBroadcast::SetLocalIPSource({});
        SettleWindows();
    }

    void sendsToOthersWithAnAddress_data() { EngineRows(); }
    void sendsToOthersWithAnAddress()
    {
        TestHome home;
        DB_FIXTURE(db);
        StartNoticeSession();
        Listeners users;
        QVERIFY(users.open(3));
        ConfigureNotice(home, FreeLocalPort(), users.port);
        NoticeBroadcast::SetLocalIPSource([] { return QStringLiteral("127.0.0.4"); });
        AddOnline(db, QStringLiteral("127.0.0.2"));
        AddOnline(db, QString());
        AddOnline(db, QStringLiteral("127.0.0.3"));
        AddOnline(db, QStringLiteral("127.0.0.4")); // the sender itself

        PublishNotice(QStringLiteral("Hello everyone, meeting at three"));

        const QByteArray expected = "###Notice###~!ops~!Hello ever";
        QTRY_COMPARE(users.received(0), QList<QByteArray>{expected});
        QTRY_COMPARE(users.received(1), QList<QByteArray>{expected});
        QTest::qWait(200);
        QCOMPARE(users.received(2), QList<QByteArray>());
        QCOMPARE(home.logEntryCount(), 0);
    }

    void heldLocalPortEndsQuietly_data() { EngineRows(); }
    void heldLocalPortEndsQuietly()
    {
        TestHome home;
        DB_FIXTURE(db);
        StartNoticeSession();
        Listeners users;
        QVERIFY(users.open(2));
        QUdpSocket holder; // another program on the local port
        QVERIFY(holder.bind(QHostAddress::AnyIPv4, 0));
        ConfigureNotice(home, holder.localPort(), users.port);
        AddOnline(db, QStringLiteral("127.0.0.2"));
        AddOnline(db, QStringLiteral("127.0.0.3"));

        const std::vector<SeenDialog> seen = PublishNotice(QStringLiteral("short"));

        QCOMPARE(seen.size(), size_t(2)); // "Saved!" and the question, nothing about the failure
        QCOMPARE(home.logEntryCount(), 1);
        QVERIFY(home.logText().contains(QLatin1String("SendAllUserMsg")));
        QVERIFY(home.logText().contains(QLatin1String("frmNotice")));
        QTest::qWait(200);
        QCOMPARE(users.received(0), QList<QByteArray>());
        QCOMPARE(users.received(1), QList<QByteArray>());
        QCOMPARE(db.count(QStringLiteral("Notice")), 1);
    }

    void chineseInGb18030_data() { EngineRows(); }
    void chineseInGb18030()
    {
        TestHome home;
        DB_FIXTURE(db);
        StartNoticeSession(QStringLiteral("张三"));
        Listeners users;
        QVERIFY(users.open(1));
        ConfigureNotice(home, FreeLocalPort(), users.port, "GB18030");
        AddOnline(db, QStringLiteral("127.0.0.2"));

        PublishNotice(QStringLiteral("通知"));

        // 张三 is D5C5 C8FD and 通知 CDA8 D6AA in GB18030.
        const QByteArray expected = "###Notice###~!" + QByteArray::fromHex("D5C5C8FD") + "~!" +
                                    QByteArray::fromHex("CDA8D6AA");
        QTRY_COMPARE(users.received(0), QList<QByteArray>{expected});
    }

    void receiverSplitsAtFirstTwoSeparators_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isNotice");
        QTest::addColumn<QString>("publisher");
        QTest::addColumn<QString>("content");
        QTest::newRow("plain") << "###Notice###~!ops~!Hello" << true << "ops"
                               << "Hello";
        QTest::newRow("separator_in_content") << "###Notice###~!ops~!a~!b" << true << "ops"
                                              << "a~!b";
        QTest::newRow("empty_fields") << "###Notice###~!~!" << true << ""
                                      << "";
        QTest::newRow("no_marker") << "hello~!ops~!Hello" << false << ""
                                   << "";
        QTest::newRow("marker_not_first") << "x###Notice###~!ops~!Hello" << false << ""
                                          << "";
        QTest::newRow("one_separator") << "###Notice###~!ops" << false << ""
                                       << "";
    }
    void receiverSplitsAtFirstTwoSeparators()
    {
        QFETCH(QString, text);
        QFETCH(bool, isNotice);
        const auto fields = NoticeMessage::Parse(text);
        QCOMPARE(fields.has_value(), isNotice);
        if (fields) {
            QTEST(fields->publisher, "publisher");
            QTEST(fields->content, "content");
        }
    }

    void listenerPrintsSavedNotice_data() { EngineRows(); }
    void listenerPrintsSavedNotice()
    {
        TestHome home;
        DB_FIXTURE(db);
        StartNoticeSession(QStringLiteral("张三"));
        const QString program =
            qEnvironmentVariable("ARDENTA_BINARY_DIR") + QStringLiteral("/src/host/ardenta-listen");
        QVERIFY2(QFileInfo(program).isExecutable(), qPrintable(program));
        const quint16 port = FreeLocalPort();
        ConfigureNotice(home, FreeLocalPort(), port, "GB18030");
        NoticeBroadcast::SetLocalIPSource([] { return QStringLiteral("127.0.0.9"); });
        AddOnline(db, QStringLiteral("127.0.0.2"));

        QProcess listener;
        listener.start(program, {QStringLiteral("--port"), QString::number(port),
                                 QStringLiteral("--encoding"), QStringLiteral("GB18030")});
        QVERIFY(listener.waitForStarted());
        QByteArray errors;
        QTRY_VERIFY((errors += listener.readAllStandardError()).contains("listening"));

        QUdpSocket stranger; // not a notice: the receiver ignores it
        stranger.writeDatagram("hello", QHostAddress(QStringLiteral("127.0.0.2")), port);
        PublishNotice(QStringLiteral("明天上午九点全体开会，请准时"));

        QByteArray output;
        QTRY_VERIFY((output += listener.readAllStandardOutput()).contains('\n'));
        listener.terminate();
        QVERIFY(listener.waitForFinished());
        QCOMPARE(listener.exitStatus(), QProcess::NormalExit);
        QCOMPARE(listener.exitCode(), 0);
        output += listener.readAllStandardOutput();

        const QStringList lines = QString::fromUtf8(output).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1);
        const QStringList fields = lines.first().split(u'\t');
        QCOMPARE(fields.size(), 3);
        QVERIFY(QDateTime::fromString(fields[0], QStringLiteral("yyyy-MM-dd HH:mm:ss")).isValid());
        QCOMPARE(fields[1], QStringLiteral("张三"));
        QCOMPARE(fields[2], QStringLiteral("明天上午九点全体开会")); // the first ten characters
    }
};

QTEST_MAIN(NoticeBroadcastTest)
#include "tst_noticebroadcast.moc"
