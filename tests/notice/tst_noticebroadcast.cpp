// The broadcast of a new notice to the online users, read by real sockets on loopback
// addresses, and by the ardenta-listen receiver program.

#include "DbFixture.h"
#include "NoticeBroadcast.h"
#include "NoticeMessage.h"
#include "NoticeTestSupport.h"

#include <memory>
#include <QNetworkDatagram>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>
#include <QUdpSocket>

namespace {

// Online users listening on 127.0.0.2, .3, ..., all on one free port.
struct Listeners
{
    std::vector<std::unique_ptr<QUdpSocket>> sockets;
    QHash<int, QList<QByteArray>> arrived;
    quint16 port = 0;

    bool open(int count)
    {
        for (int attempt = 0; attempt < 20; ++attempt) {
            sockets.clear();
            port = 0;
            bool ok = true;
            for (int i = 0; i < count && ok; ++i) {
                sockets.push_back(std::make_unique<QUdpSocket>());
                ok = sockets.back()->bind(QHostAddress(QStringLiteral("127.0.0.%1").arg(2 + i)),
                                          port);
                port = sockets.back()->localPort();
            }
            if (ok)
                return true;
        }
        return false;
    }

    // Everything that user has received so far.
    QList<QByteArray> received(int index)
    {
        while (sockets[size_t(index)]->hasPendingDatagrams())
            arrived[index] << sockets[size_t(index)]->receiveDatagram().data();
        return arrived[index];
    }
};

quint16 FreeLocalPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::AnyIPv4, 0);
    return probe.localPort();
}

// The notice ports and encoding in SystemConfig.ini, and who is online.
void Configure(const TestHome &home, const DbFixture &db, quint16 localPort, quint16 remotePort,
               const QByteArray &encoding, const QStringList &online)
{
    QByteArray ini = "[Notice]\r\nLocalPort=" + QByteArray::number(localPort) +
                     "\r\nRemotePort=" + QByteArray::number(remotePort) + "\r\n";
    if (!encoding.isEmpty())
        ini += "Encoding=" + encoding + "\r\n";
    home.writeConfig(ini);
    for (const QString &address : online)
        db.exec(QStringLiteral("Insert Into OnLine(UserIP) Values('%1')").arg(address));
}

// Saves a new notice through the window and answers Yes to sending it.
void PublishNotice(DialogAnswerer &user, const QString &text)
{
    Click(OpenNoticeWindow(), "cmdAdd");
    TypeText(Text(), text);
    user.answerMessage(QMessageBox::Ok);
    user.answerMessage(QMessageBox::Yes);
    Click(frmNotice::instance(), "cmdSave");
}

} // namespace

class tst_NoticeBroadcast : public WindowTestCase
{
    Q_OBJECT

private Q_SLOTS:

    // Three online users, the third being the sender, and an empty address; the datagram is
    // marker, publisher and the first ten characters, in the configured encoding. When another
    // program holds the local port, the broadcast ends with one log entry and no message.
    void sendsToOthersWithAnAddress_data()
    {
        QTest::addColumn<QString>("publisher");
        QTest::addColumn<QByteArray>("encoding");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("expected"); // empty: nobody receives anything
        QTest::newRow("utf8_first_ten")
            << "ops" << QByteArray() << "Hello everyone, meeting at three"
            << QByteArray("###Notice###~!ops~!Hello ever");
        // 张三 is D5C5 C8FD and 通知 CDA8 D6AA in GB18030.
        QTest::newRow("gb18030") << QStringLiteral("张三") << QByteArray("GB18030")
                                 << QStringLiteral("通知")
                                 << "###Notice###~!" + QByteArray::fromHex("D5C5C8FD") + "~!" +
                                        QByteArray::fromHex("CDA8D6AA");
        QTest::newRow("local_port_held") << "ops" << QByteArray() << "short" << QByteArray();
    }
    void sendsToOthersWithAnAddress()
    {
        QFETCH(QString, publisher);
        QFETCH(QByteArray, encoding);
        QFETCH(QString, text);
        QFETCH(QByteArray, expected);
        DbFixture db;
        Session().gstrConnection = db.connection();
        StartNoticeSession(publisher);
        Listeners users;
        QVERIFY(users.open(3));
        QUdpSocket holder; // another program on the local port
        QVERIFY(holder.bind(QHostAddress::AnyIPv4, 0));
        Configure(*home, db, expected.isEmpty() ? holder.localPort() : FreeLocalPort(), users.port,
                  encoding, {"127.0.0.2", "", "127.0.0.3", "127.0.0.4"});
        NoticeBroadcast::SetLocalIPSource([] { return QStringLiteral("127.0.0.4"); });

        PublishNotice(*user, text); // "Saved!" and the question, nothing about the broadcast
        NoticeBroadcast::SetLocalIPSource({});

        const QList<QByteArray> got =
            expected.isEmpty() ? QList<QByteArray>() : QList<QByteArray>{expected};
        QTRY_COMPARE(users.received(0), got);
        QTRY_COMPARE(users.received(1), got);
        QTest::qWait(200);
        QCOMPARE(users.received(0), got);
        QCOMPARE(users.received(2), QList<QByteArray>());
        QCOMPARE(home->logEntryCount(), expected.isEmpty() ? 1 : 0);
        if (expected.isEmpty())
            QVERIFY(home->logText().contains(QLatin1String("SendAllUserMsg")));
    }

    void receiverSplitsAtFirstTwoSeparators_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("fields"); // publisher|content; "-" when not a notice
        static const char *const rows[][3] = {
            {"plain", "###Notice###~!ops~!Hello", "ops|Hello"},
            {"separator_in_content", "###Notice###~!ops~!a~!b", "ops|a~!b"},
            {"empty_fields", "###Notice###~!~!", "|"},
            {"no_marker", "hello~!ops~!Hello", "-"},
            {"marker_not_first", "x###Notice###~!ops~!Hello", "-"},
            {"one_separator", "###Notice###~!ops", "-"},
        };
        for (const auto &row : rows)
            QTest::newRow(row[0]) << QString(row[1]) << QString(row[2]);
    }
    void receiverSplitsAtFirstTwoSeparators()
    {
        QFETCH(QString, text);
        const auto parsed = NoticeMessage::Parse(text);
        QTEST(parsed ? parsed->publisher + u'|' + parsed->content : QStringLiteral("-"), "fields");
    }

    void listenerPrintsSavedNotice()
    {
        DbFixture db;
        Session().gstrConnection = db.connection();
        StartNoticeSession(QStringLiteral("张三"));
        const quint16 port = FreeLocalPort();
        Configure(*home, db, FreeLocalPort(), port, "GB18030", {"127.0.0.2"});
        NoticeBroadcast::SetLocalIPSource([] { return QStringLiteral("127.0.0.9"); });

        QProcess listener;
        listener.start(qEnvironmentVariable("ARDENTA_BINARY_DIR") + "/src/host/ardenta-listen",
                       {"--port", QString::number(port), "--encoding", "GB18030"});
        QVERIFY(listener.waitForStarted());
        QByteArray errors;
        QTRY_VERIFY((errors += listener.readAllStandardError()).contains("listening"));

        PublishNotice(*user, QStringLiteral("明天上午九点全体开会，请准时"));
        NoticeBroadcast::SetLocalIPSource({});

        QByteArray output;
        QTRY_VERIFY((output += listener.readAllStandardOutput()).contains('\n'));
        listener.terminate();
        QVERIFY(listener.waitForFinished());
        QCOMPARE(listener.exitCode(), 0);
        output += listener.readAllStandardOutput();
        // One line: time, publisher, the first ten characters.
        static const QRegularExpression line(QStringLiteral(
            "^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\t张三\t明天上午九点全体开会\n$"));
        QVERIFY2(line.match(QString::fromUtf8(output)).hasMatch(), output.constData());
    }
};

QTEST_MAIN(tst_NoticeBroadcast)
#include "tst_noticebroadcast.moc"
