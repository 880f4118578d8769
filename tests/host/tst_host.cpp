// The host program as a user runs it: options, settings, errors, --init-db, --demo and
// --screenshot; its presence in OnLine and the notices it pops up, under a private D-Bus session
// with a stand-in notification service.

#include "DbFixture.h"
#include "Listener.h"
#include "TestHome.h"

#include <QDBusConnection>
#include <QImage>
#include <QProcess>
#include <QtTest>
#include <QUdpSocket>

// The desktop's notification service as the host program sees it; it records what it is sent.
class NotificationStandIn : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QList<QStringList> received; // summary, body

public Q_SLOTS:
    uint Notify(const QString &, uint, const QString &, const QString &summary, const QString &body,
                const QStringList &, const QVariantMap &, int)
    {
        received << QStringList{summary, body};
        return uint(received.size());
    }
    QStringList GetCapabilities() { return {"body", "body-markup", "actions"}; }
};

class tst_host : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestHome> m_home;
    QProcessEnvironment m_env;
    QProcess m_bus;
    NotificationStandIn m_notifications;

    QString program() const
    {
        return qEnvironmentVariable("ARDENTA_BINARY_DIR") + "/src/host/ardenta";
    }
    void startHost(QProcess &host, const QStringList &arguments)
    {
        host.setProcessEnvironment(m_env);
        host.start(program(), arguments);
    }
    static QStringList online(const DbFixture &db)
    {
        QStringList addresses;
        for (const QVariantList &row :
             db.rows(QStringLiteral("Select UserIP From OnLine Order By UserIP")))
            addresses << row.value(0).toString();
        return addresses;
    }

    struct Run
    {
        int exitCode = -1;
        QString out;
        QString err;
    };
    Run ardenta(const QStringList &arguments)
    {
        QProcess process;
        startHost(process, arguments);
        if (!process.waitForFinished(120000))
            process.kill();
        process.waitForFinished();
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2,
                QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

private Q_SLOTS:
    // A session bus of the test's own, with the stand-in on it; the host programs inherit it.
    void initTestCase()
    {
        m_bus.start(QStringLiteral("dbus-daemon"),
                    {"--session", "--nofork", "--nopidfile", "--print-address"});
        QVERIFY(m_bus.waitForReadyRead(10000));
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.readLine().trimmed());
        QDBusConnection bus = QDBusConnection::sessionBus();
        QVERIFY(bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"),
                                   &m_notifications, QDBusConnection::ExportAllSlots));
        QVERIFY(bus.registerService(QStringLiteral("org.freedesktop.Notifications")));
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
        m_env.insert(QStringLiteral("ARDENTA_HOME"), m_home->path());
        m_env.insert(QStringLiteral("XDG_DATA_HOME"), m_home->file(QStringLiteral("data")));
        m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
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
    }
    void badArgumentsFailClearly()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const Run run = ardenta(arguments);
        QVERIFY(run.exitCode > 0);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
    }

    // --init-db makes the schema once and says so the second time; a window opens on it.
    void initDbAndScreenshots()
    {
        DbFixture db(QStringLiteral("sqlite"), false);
        const QStringList init{"--init-db", "--connection", db.connection()};
        const Run first = ardenta(init);
        QVERIFY2(first.exitCode == 0, qPrintable(first.err + first.out));
        QCOMPARE(db.count(QStringLiteral("Vw_Clerk")), 0);
        const Run second = ardenta(init);
        QCOMPARE(second.exitCode, 0);
        QVERIFY2(second.out.contains(QStringLiteral("already")), qPrintable(second.out));
        QCOMPARE(ardenta({QStringLiteral("--init-db")}).exitCode, 2);
        // Without --connection the configured one is used.
        DbFixture configured(QStringLiteral("sqlite"), false);
        m_home->writeSettings(false, "[Database]\nConnection=" + configured.connection().toUtf8());
        QCOMPARE(ardenta({QStringLiteral("--init-db")}).exitCode, 0);
        QCOMPARE(configured.count(QStringLiteral("Vw_Clerk")), 0);

        const QString png = m_home->file(QStringLiteral("shot.png"));
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
            db.exec(QStringLiteral("Drop Table OnLine"));
            db.exec(QStringLiteral("Create Table OnLine(UserIP Text Not Null)"));
        }
        db.exec(QStringLiteral("Delete From OnLine"));
        m_home->writeSettings(false, "[Presence]\nRefreshSeconds=1\n");
        m_home->writeConfig("[Notice]\r\nRemotePort=" + QByteArray::number(FreeUdpPort()) + "\r\n");
        QProcess first, second;
        for (auto [host, address] : {std::pair{&first, "127.0.0.2"}, {&second, "127.0.0.3"}})
            startHost(*host, {"--connection", db.connection(), "--address", address});
        QTRY_COMPARE_WITH_TIMEOUT(online(db), (QStringList{"127.0.0.2", "127.0.0.3"}), 20000);
        if (lastSeen) {
            const QString seen =
                QStringLiteral("Select LastSeen From OnLine Where UserIP='127.0.0.3'");
            const QString before = db.scalar(seen).toString();
            QTRY_VERIFY_WITH_TIMEOUT(db.scalar(seen).toString() > before, 5000);
        }
        first.kill();
        first.waitForFinished();
        if (lastSeen)
            QTRY_COMPARE_WITH_TIMEOUT(online(db), QStringList{"127.0.0.3"}, 20000);
        second.terminate();
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(online(db), lastSeen ? QStringList() : QStringList{"127.0.0.2"});
        QCOMPARE(m_home->logEntryCount(), 0);
    }

    // Unverified (Verify=false), notices sent to the host program reach the notification
    // service with publisher and text, escaped for its markup; what follows within the burst
    // comes as one summary.
    void noticesPopUp()
    {
        DbFixture db;
        const quint16 port = FreeUdpPort();
        m_home->writeConfig("[Notice]\r\nRemotePort=" + QByteArray::number(port) + "\r\n");
        m_home->writeSettings(false, "[Notice]\nVerify=false\n");
        QProcess host;
        startHost(host, {"--connection", db.connection(), "--language", "ENG", "--address",
                         "127.0.0.6", "--no-presence"});
        const QHostAddress address(QStringLiteral("127.0.0.6"));
        QTRY_VERIFY_WITH_TIMEOUT(!QUdpSocket().bind(address, port), 20000); // it listens
        QUdpSocket sender;
        for (int i = 0; i < 6; ++i)
            sender.writeDatagram("###Notice###~!\xe5\xbc\xa0\xe4\xb8\x89~!<b>Lunch</b> & " +
                                     QByteArray::number(i),
                                 address, port);
        QTRY_COMPARE_WITH_TIMEOUT(m_notifications.received.size(), 2, 10000);
        QCOMPARE(m_notifications.received[0],
                 (QStringList{"New notice · 张三", "&lt;b&gt;Lunch&lt;/b&gt; &amp; 0"}));
        QVERIFY2(m_notifications.received[1][0] == QLatin1String("5 new notices") &&
                     m_notifications.received[1][1].startsWith(
                         u"张三: &lt;b&gt;Lunch&lt;/b&gt; &amp; 5"),
                 qPrintable(m_notifications.received[1].join(u'|')));
        host.terminate();
        QVERIFY(host.waitForFinished(10000));
        QCOMPARE(m_notifications.received.size(), 2);
    }

    // Ann's host pops up only notices on the board, as stored: a forgery shows nothing and is
    // logged once per sender and hour, her own notice never shows. Notices by others saved while
    // the host was stopped pop up at its next start (several as one summary); the very first
    // start shows nothing. No clock is involved, whatever the time zone.
    void trustedNoticesAndCatchUp_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("zone");
        for (const char *engine : {"sqlite", "postgresql"}) {
            for (const char *zone : {"Asia/Shanghai", "UTC"})
                AddBackendRow(QLatin1String(zone), QLatin1String(engine)) << zone;
        }
    }
    void trustedNoticesAndCatchUp()
    {
        QFETCH(QString, engine);
        QFETCH(QString, zone);
        DbFixture db(engine);
        if (db.skipped())
            QSKIP(qPrintable(db.problem()));
        QVERIFY2(db.ready(), qPrintable(db.problem()));
        m_env.insert(QStringLiteral("TZ"), zone);
        m_env.insert(QStringLiteral("XDG_STATE_HOME"), m_home->file(QStringLiteral("state")));
        const quint16 port = FreeUdpPort();
        m_home->writeConfig("[Notice]\r\nRemotePort=" + QByteArray::number(port) + "\r\n");
        const QHostAddress address(QStringLiteral("127.0.0.7"));
        QProcess host;
        const auto start = [&] {
            startHost(host, {"--connection", db.connection(), "--operator", "ann", "--language",
                             "ENG", "--address", address.toString(), "--no-presence"});
            QTRY_VERIFY_WITH_TIMEOUT(!QUdpSocket().bind(address, port), 20000); // it listens
        };
        const auto stop = [&] {
            host.terminate();
            QVERIFY(host.waitForFinished(10000));
        };
        const auto notice = [&db](const char *who, const QString &text) {
            db.addNotice(QStringLiteral("2024-05-01 10:00:00"), QLatin1String(who), text);
        };
        m_notifications.received.clear();
        notice("bob", QStringLiteral("before the first start"));
        start();
        QUdpSocket sender;
        const auto send = [&](const QByteArray &text) {
            sender.writeDatagram("###Notice###~!" + text, address, port);
        };
        send("director~!send your password");
        send("director~!send your password");
        notice("bob", QStringLiteral("Lunch at noon in the canteen, all welcome"));
        notice("ann", QStringLiteral("my own notice"));
        send("bob~!Lunch at n");
        send("ann~!my own not");
        QTRY_COMPARE_WITH_TIMEOUT(m_notifications.received.size(), 1, 10000);
        QCOMPARE(m_notifications.received[0],
                 (QStringList{"New notice · bob", "Lunch at noon in the canteen, all welcome"}));
        QTRY_COMPARE_WITH_TIMEOUT(m_home->logEntryCount(), 1, 10000);
        stop();
        QVERIFY(m_home->logText().contains(u"Verify,模块:NoticeNotifier"));
        QVERIFY(m_home->logText().contains(QStringLiteral("127.0.0.1:%1").arg(sender.localPort())));

        notice("bob", QStringLiteral("away 1"));
        notice("ann", QStringLiteral("away, mine"));
        notice("carl", QStringLiteral("away 2"));
        notice("bob", QStringLiteral("away 3"));
        start();
        QTRY_COMPARE_WITH_TIMEOUT(m_notifications.received.size(), 2, 10000);
        QCOMPARE(m_notifications.received[1][0], "3 new notices since you were last here");
        stop();
        notice("carl", QStringLiteral("one more"));
        start();
        QTRY_COMPARE_WITH_TIMEOUT(m_notifications.received.size(), 3, 10000);
        QCOMPARE(m_notifications.received[2], (QStringList{"New notice · carl", "one more"}));
        stop();
        QCOMPARE(m_notifications.received.size(), 3);
        QCOMPARE(m_home->logEntryCount(), 1);
    }
};

QTEST_MAIN(tst_host)
#include "tst_host.moc"
