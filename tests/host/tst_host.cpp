// The host program as a user runs it: options, settings, errors, --init-db, --demo and
// --screenshot; its presence in OnLine and the notices it pops up, under a private D-Bus session
// with a stand-in notification service. And ardenta-listen against what anyone on the network
// may send: it keeps running, prints one line per notice, and no control character from a
// datagram reaches the terminal.

#include "common/NoticeMessage.h"
#include "DbFixture.h"
#include "Listener.h"
#include "TestHome.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTcpServer>
#include <QtTest>
#include <QUdpSocket>

namespace {

QByteArray notice(const QByteArray &publisher, const QByteArray &content)
{
    return "###Notice###~!" + publisher + "~!" + content;
}

// Datagram i of the flood and whether it is a notice. Most are small so that a batch fits the
// receiver's socket buffer; one in about a thousand is near the largest a datagram can be.
QPair<QByteArray, bool> hostileDatagram(int i, QRandomGenerator &random)
{
    QByteArray noise(int(random.bounded(300)), Qt::Uninitialized);
    for (char &byte : noise)
        byte = char(random.bounded(256));
    const bool big = i % 997 == 4;
    const QPair<QByteArray, bool> kinds[] = {
        {'x' + noise, false},
        // retitle, clear, C1 CSI, DEL, NUL
        {notice("\x1b]0;owned\x07", QByteArrayLiteral("\x1b[2J\xc2\x9b\x33\x31m\x7f\x00x") + noise),
         true},
        {"###Notice###~!" + QByteArray(noise).replace("~!", "~?"), false},
        // not valid UTF-8 after a valid head
        {notice("\xff\xfe", "\xc3\x28\xed\xa0\x80" + noise), true},
        {big ? notice("big", QByteArray(65000, 'a')) : QByteArray('#' + noise), big},
        {notice("", ""), true},
        {"###notice###~!a~!b", false},
        {QByteArray(), false}};
    return kinds[i % 8];
}

} // namespace

// The desktop's notification service as the host program sees it; it records what it is sent,
// and by which process.
class NotificationStandIn : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QList<QStringList> received; // summary, body
    QList<qint64> senders;

    QList<QStringList> from(const QProcess &host) const
    {
        QList<QStringList> shown;
        for (qsizetype i = 0; i < received.size(); ++i)
            if (senders.at(i) == host.processId())
                shown << received.at(i);
        return shown;
    }

public Q_SLOTS:
    uint Notify(const QString &, uint, const QString &, const QString &summary, const QString &body,
                const QStringList &, const QVariantMap &, int)
    {
        received << QStringList{summary, body};
        senders << connection().interface()->servicePid(message().service()).value();
        return uint(received.size());
    }
};

class tst_host : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestHome> m_home;
    QProcessEnvironment m_env;
    QProcess m_bus;
    NotificationStandIn m_notifications;

    void startHost(QProcess &host, const QStringList &arguments)
    {
        host.setProcessEnvironment(m_env);
        host.start(qEnvironmentVariable("ARDENTA_BINARY_DIR") + "/src/host/ardenta", arguments);
    }
    static QString online(const DbFixture &db)
    {
        return db.scalar("Select group_concat(UserIP) From (Select UserIP From OnLine Order By 1)")
            .toString();
    }

    struct Run
    {
        int exitCode = -1;
        QString out, err;
    };
    Run ardenta(const QStringList &arguments)
    {
        QProcess process;
        startHost(process, arguments);
        if (!process.waitForFinished(120000))
            return {}; // killed with the process object
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2,
                QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

private Q_SLOTS:
    // A session bus of the test's own, with the stand-in on it; the host programs inherit it.
    void initTestCase()
    {
        m_bus.start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--print-address"});
        QVERIFY(m_bus.waitForReadyRead(10000));
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.readLine().trimmed());
        QDBusConnection bus = QDBusConnection::sessionBus();
        QVERIFY(bus.registerObject("/org/freedesktop/Notifications", &m_notifications,
                                   QDBusConnection::ExportAllSlots));
        QVERIFY(bus.registerService("org.freedesktop.Notifications"));
    }
    void cleanupTestCase()
    {
        m_bus.terminate();
        m_bus.waitForFinished();
    }

    void init()
    {
        m_home.reset(); // before the next one takes ARDENTA_HOME
        m_home = std::make_unique<TestHome>();
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert("ARDENTA_HOME", m_home->path());
        m_env.insert("XDG_DATA_HOME", m_home->file("data"));
        m_env.insert("QT_QPA_PLATFORM", "offscreen");
    }

    void badArgumentsFailClearly_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown_option") << QStringList{"--colour"} << "colour";
        QTest::newRow("no_connection") << QStringList{"--operator", "ops"} << "--connection";
        QTest::newRow("flag_not_a_number")
            << QStringList{"--connection", "sqlite:x.db", "--flag", "staff"} << "--flag";
        QTest::newRow("dbtype_too_big")
            << QStringList{"--connection", "sqlite:x.db", "--dbtype", "70000"} << "--dbtype";
        // The module would write nothing in another dialect.
        QTest::newRow("dbtype_unknown")
            << QStringList{"--connection", "sqlite:x.db", "--dbtype", "2"} << "--dbtype";
    }
    void badArgumentsFailClearly()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const Run run = ardenta(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
    }

    // A database that cannot be opened stops the program before any window: the reason, its
    // password masked, and the log's path on standard error, one log entry, exit status 1.
    void unopenableDatabaseSaysWhy_data()
    {
        QTest::addColumn<QString>("connection");
        QTest::addColumn<QString>("reason");
        QTcpServer closed; // a loopback port nobody listens on once it is closed
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const QString port = QString::number(closed.serverPort());
        closed.close();
        QTest::newRow("missing_sqlite_file")
            << "Data Source=" + m_home->file("missing.db") << "does not exist";
        QTest::newRow("refused_server") << "Provider=PostgreSQL;Host=127.0.0.1;Port=" + port +
                                               ";Database=staff;User ID=ann;Password=s3cret"
                                        << "port " + port;
    }
    void unopenableDatabaseSaysWhy()
    {
        QFETCH(QString, connection);
        QFETCH(QString, reason);
        const Run run = ardenta({"--connection", connection, "--operator", "ops"});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(reason), qPrintable(run.err));
        QVERIFY2(run.err.contains(m_home->file("Errlog.txt")), qPrintable(run.err));
        QCOMPARE(m_home->logEntryCount(), 1);
        QVERIFY(!QString(run.err + m_home->logText()).contains("s3cret"));
    }

    // --init-db makes the schema once and says so the second time; a window opens on it.
    void initDbAndScreenshots()
    {
        DbFixture db("sqlite", false);
        const QStringList init{"--init-db", "--connection", db.connection()};
        ardenta(init);
        const Run second = ardenta(init);
        QVERIFY2(second.out.contains("already"), qPrintable(second.out));
        QCOMPARE(ardenta({"--init-db"}).exitCode, 2);
        // Without --connection the configured one is used.
        DbFixture configured("sqlite", false);
        m_home->writeSettings(false, "[Database]\nConnection=" + configured.connection().toUtf8());
        QCOMPARE(ardenta({"--init-db"}).exitCode, 0);
        QCOMPARE(configured.count("Vw_Clerk"), 0);

        const QString png = m_home->file("shot.png");
        const Run run = ardenta({"--connection", db.connection(), "--operator", "ops", "--language",
                                 "CHS", "--flag", "1", "--screenshot", png});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY(QImage(png).width() > 300 && QImage(png).height() > 200);
        QCOMPARE(m_home->logEntryCount(), 0);
    }

    // Two hosts on 127.0.0.2 and .3 keep a row each, refreshed from the database's clock; one
    // killed is aged out by the other, one ending cleanly removes its own. An OnLine made for
    // the original (UserIP alone) gets rows added and removed, and nothing aged.
    void presence_data()
    {
        QTest::addColumn<bool>("lastSeen");
        QTest::newRow("with_last_seen") << true;
        QTest::newRow("userip_only") << false;
    }
    void presence()
    {
        QFETCH(bool, lastSeen);
        DbFixture db;
        if (!lastSeen) {
            db.exec("Drop Table OnLine");
            db.exec("Create Table OnLine(UserIP Text Not Null)");
        }
        m_home->writeSettings(false, "[Presence]\nRefreshSeconds=1\n");
        m_home->writeConfig("[Notice]\r\nRemotePort=" + QByteArray::number(FreeUdpPort()) + "\r\n");
        QProcess first, second;
        for (auto [host, address] : {std::pair{&first, "127.0.0.2"}, {&second, "127.0.0.3"}})
            startHost(*host, {"--connection", db.connection(), "--address", address});
        QTRY_COMPARE_WITH_TIMEOUT(online(db), "127.0.0.2,127.0.0.3", 20000);
        if (lastSeen) {
            const QString seen = "Select LastSeen From OnLine Where UserIP='127.0.0.3'";
            const QString before = db.scalar(seen).toString();
            QTRY_VERIFY_WITH_TIMEOUT(db.scalar(seen).toString() > before, 5000);
        }
        first.kill();
        first.waitForFinished();
        if (lastSeen)
            QTRY_COMPARE_WITH_TIMEOUT(online(db), "127.0.0.3", 20000);
        second.terminate();
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(online(db), lastSeen ? "" : "127.0.0.2");
        QCOMPARE(m_home->logEntryCount(), 0);
    }

    // Ann's host pops up only notices on the board, as stored: a forgery shows nothing and is
    // logged once per sender and hour, her own notice never shows. Notices by others saved while
    // the host was stopped pop up at its next start (several as one summary); the very first
    // start shows nothing. No clock is involved, whatever the time zone. Unverified
    // (Verify=false), what is sent shows as sent, escaped for the markup; what follows within the
    // burst comes as one summary.
    void trustedNoticesAndCatchUp_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("zone");
        for (const char *engine : {"sqlite", "postgresql"})
            for (const char *zone : {"Asia/Shanghai", "UTC"})
                AddBackendRow(QLatin1String(zone), QLatin1String(engine)) << zone;
    }
    void trustedNoticesAndCatchUp()
    {
        QFETCH(QString, zone);
        DB_FIXTURE(db);
        m_env.insert("TZ", zone);
        m_env.insert("XDG_STATE_HOME", m_home->file("state"));
        const quint16 port = FreeUdpPort();
        m_home->writeConfig("[Notice]\r\nRemotePort=" + QByteArray::number(port) + "\r\n");
        const QHostAddress address("127.0.0.7");
        QProcess host;
        const auto start = [&] {
            startHost(host, {"--connection", db.connection(), "--operator", "ann", "--language",
                             "ENG", "--address", address.toString(), "--no-presence"});
            QTRY_VERIFY_WITH_TIMEOUT(!QUdpSocket().bind(address, port), 20000); // it listens
            // and its watch has taken the board as it stands
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_home->file("state/ardenta/seen.ini")), 20000);
        };
        const auto stop = [&] {
            host.terminate();
            QVERIFY(host.waitForFinished(10000));
        };
        const auto notice = [&db](const char *who, const char *text) {
            db.addNotice("2024-05-01 10:00:00", QLatin1String(who), text);
        };
        m_notifications.received.clear();
        const QList<QStringList> &shown = m_notifications.received;
        notice("bob", "before the first start");
        start();
        QUdpSocket sender;
        const auto send = [&](const QByteArray &text) {
            sender.writeDatagram("###Notice###~!" + text, address, port);
        };
        send("director~!send your password");
        send("director~!send your password");
        notice("bob", "Lunch at noon in the canteen, all welcome");
        notice("ann", "my own notice");
        send("bob~!Lunch at n");
        send("ann~!my own not");
        QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 1, 10000);
        QCOMPARE(shown[0],
                 (QStringList{"New notice · bob", "Lunch at noon in the canteen, all welcome"}));
        QTRY_COMPARE_WITH_TIMEOUT(m_home->logEntryCount(), 1, 10000);
        stop();
        QVERIFY(m_home->logText().contains(u"Verify,模块:NoticeNotifier"));
        QVERIFY(m_home->logText().contains(QStringLiteral("127.0.0.1:%1").arg(sender.localPort())));

        for (const char *who : {"bob", "ann", "carl", "bob"})
            notice(who, "away");
        start();
        QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 2, 10000);
        QCOMPARE(shown[1][0], "3 new notices since you were last here");
        stop();
        notice("carl", "one more");
        start();
        QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 3, 10000);
        QCOMPARE(shown[2], (QStringList{"New notice · carl", "one more"}));
        stop();
        QCOMPARE(shown.size(), 3);

        m_home->writeSettings(false, "[Notice]\nVerify=false\n");
        start();
        for (int i = 0; i < 6; ++i)
            send("\xe5\xbc\xa0\xe4\xb8\x89~!<b>Lunch</b> & " + QByteArray::number(i));
        QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 5, 10000);
        QCOMPARE(shown[3], (QStringList{"New notice · 张三", "&lt;b&gt;Lunch&lt;/b&gt; &amp; 0"}));
        QCOMPARE(shown[4][0], "5 new notices");
        QVERIFY2(shown[4][1].startsWith(u"张三: &lt;b&gt;Lunch&lt;/b&gt; &amp; 5"),
                 qPrintable(shown[4][1]));
        stop();
        QCOMPARE(shown.size(), 5);
        QCOMPARE(m_home->logEntryCount(), 1);
    }

    // Two hosts whose datagrams cannot reach each other (OnLine holds neither; nobody sends):
    // notices written by plain SQL pop up in both through the database alone, each once, a
    // host's own notice only in the other. On PostgreSQL the board's announcements bring them
    // (no check runs in the test's time), also after the listener is cut off and after the
    // server went away and came back (one log entry per host for that outage); on SQLite the
    // check does, within its period.
    void deliveredOnceThroughTheDatabase_data()
    {
        QTest::addColumn<QString>("engine");
        for (const char *engine : {"sqlite", "postgresql"})
            QTest::newRow(engine) << engine;
    }
    void deliveredOnceThroughTheDatabase()
    {
        DB_FIXTURE(db);
        const bool postgres = db.onPostgreSql();
        m_home->writeConfig("[Notice]\r\nRemotePort=" + QByteArray::number(FreeUdpPort()) + "\r\n");
        m_home->writeSettings(false, postgres ? "[Notice]\nCheckSeconds=3600\n"
                                              : "[Notice]\nCheckSeconds=1\n");
        QProcess ann, bob;
        for (auto [host, who, address] :
             {std::tuple{&ann, "ann", "127.0.0.7"}, {&bob, "bob", "127.0.0.8"}}) {
            const QString state = m_home->file(QStringLiteral("state-") + who);
            m_env.insert("XDG_STATE_HOME", state);
            m_env.insert("ARDENTA_BENCH_MARKS", "1");
            // Bob's board is open: each notice comes into it at the top, without a reload.
            startHost(*host,
                      {"--connection", db.connection(), "--operator", who, "--language", "ENG",
                       "--address", address, "--no-presence", "--flag", host == &bob ? "1" : "0"});
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(state + "/ardenta/seen.ini"), 20000);
        }
        m_notifications.received.clear();
        m_notifications.senders.clear();
        QList<QStringList> toAnn, toBob;
        QByteArray bobSaid;
        const auto notice = [&](const char *who, const char *text) {
            db.addNotice("2024-05-01 10:00:00", QLatin1String(who), text);
            const QStringList shown{QStringLiteral("New notice · ") + who, text};
            if (qstrcmp(who, "ann") != 0)
                toAnn << shown;
            toBob << shown;
            QTRY_COMPARE_WITH_TIMEOUT(m_notifications.from(ann), toAnn, 20000);
            QTRY_COMPARE_WITH_TIMEOUT(m_notifications.from(bob), toBob, 20000);
            const QByteArray atTop = "MARK board-row " + db.noticeId(text).toUtf8() + " 1 ";
            QTRY_VERIFY_WITH_TIMEOUT((bobSaid += bob.readAllStandardOutput()).contains(atTop),
                                     5000);
        };
        notice("carl", "one");
        notice("ann", "from ann, by SQL");
        if (postgres) {
            db.exec("Select pg_terminate_backend(pid) From pg_stat_activity "
                    "Where datname=current_database() And pid<>pg_backend_pid()");
            notice("carl", "two, the listeners cut off just before");
            notice("carl", "three");
            const QString pgCtl = qEnvironmentVariable("ARDENTA_TEST_PG_CTL");
            QVERIFY2(!pgCtl.isEmpty(), "ARDENTA_TEST_PG_CTL is not set (scripts/pg-test)");
            {
                QCOMPARE(QProcess::execute(pgCtl, {"stop"}), 0);
                const auto back = qScopeGuard([&] { QProcess::execute(pgCtl, {"start"}); });
                // Longer than an open waits for a server to come back (3 s), so both hosts find
                // the database gone.
                QTest::qWait(6000);
            }
            notice("carl", "four, after the server came back");
        }
        QTest::qWait(2500); // time for a duplicate to show
        QCOMPARE(m_notifications.received.size(), toAnn.size() + toBob.size());
        for (QProcess *host : {&ann, &bob}) {
            host->terminate();
            QVERIFY(host->waitForFinished(10000));
        }
        QCOMPARE(m_home->logEntryCount(), postgres ? 2 : 0);
    }

    // Breaks and tabs become blanks, other control characters their escapes; the rest is kept.
    void printable()
    {
        QCOMPARE(NoticeMessage::Printable("a\r\nb\rc\nd\te\x1b]0;t\x07\x7f\u009b张"),
                 "a b c d e\\x1B]0;t\\x07\\x7F\\x9B张");
    }

    void survivesHostileDatagrams()
    {
        const quint16 port = FreeUdpPort();
        QProcess listener;
        QVERIFY(StartListener(listener, port));

        QUdpSocket sender;
        QRandomGenerator random(20261206);
        QByteArray output;
        int notices = 0;
        // Batches of 50 end with a marked notice; waiting for it keeps the socket buffer from
        // overflowing, so every notice sent must come out.
        for (int batch = 0; batch < 2000; ++batch) {
            for (int i = batch * 50; i < (batch + 1) * 50; ++i) {
                const auto [bytes, isNotice] = hostileDatagram(i, random);
                QCOMPARE(sender.writeDatagram(bytes, QHostAddress::LocalHost, port),
                         qint64(bytes.size()));
                notices += isNotice;
            }
            const QByteArray mark = "end of batch " + QByteArray::number(batch) + '\n';
            sender.writeDatagram(notice("sync", mark.chopped(1)), QHostAddress::LocalHost, port);
            ++notices;
            QDeadlineTimer deadline(10000);
            while (!output.endsWith(mark) && !deadline.hasExpired()) {
                listener.waitForReadyRead(100);
                output += listener.readAllStandardOutput();
            }
            QVERIFY2(output.endsWith(mark), mark.constData());
        }
        listener.terminate();
        QVERIFY(listener.waitForFinished());
        QCOMPARE(listener.exitCode(), 0);

        QCOMPARE(output.count('\n'), notices);
        QCOMPARE(output.count('\t'), 2 * notices); // time, publisher, content
        // Any control character but the tabs and line ends of the lines themselves.
        const QString text = QString::fromUtf8(output);
        const qsizetype at = text.indexOf(QRegularExpression(R"([\x00-\x08\x0b-\x1f\x7f-\x9f])"));
        QVERIFY2(at < 0, qPrintable(text.mid(at - 40, 80)));
    }
};

QTEST_MAIN(tst_host)
#include "tst_host.moc"
