// A server that stops answering without closing the connection (a cable pulled, a machine
// frozen) fails a call under way within seconds instead of freezing the window until the
// kernel gives up. Server and test share a network namespace of their own (scripts/pg-test
// --netns, as root), whose loopback the test takes down while the call runs.

#include "common/ArdentaError.h"
#include "db/ConnectionPool.h"
#include "db/Database.h"
#include "TestHome.h"

#include <atomic>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <QThread>

class tst_DeadServer : public QObject
{
    Q_OBJECT

    static bool setLoopback(const char *state)
    {
        return QProcess::execute("ip", {"link", "set", "lo", state}) == 0;
    }

private Q_SLOTS:
    void initTestCase()
    {
        // Never the machine's own loopback: only inside the namespace the rig made.
        const QString own = QFileInfo("/proc/self/ns/net").symLinkTarget();
        if (qEnvironmentVariableIsEmpty("ARDENTA_TEST_NETNS") ||
            !own.endsWith(qEnvironmentVariable("ARDENTA_TEST_NETNS")))
            QSKIP("needs root and a network namespace: runs through scripts/pg-test --netns");
    }
    void cleanup() { QVERIFY(setLoopback("up")); }

    void callFailsWhenServerVanishes_data()
    {
        QTest::addColumn<bool>("read");
        QTest::newRow("read") << true;
        QTest::newRow("write") << false;
    }
    void callFailsWhenServerVanishes()
    {
        QFETCH(bool, read);
        TestHome home;
        const QString connection = qEnvironmentVariable("ARDENTA_TEST_PG");
        std::atomic<bool> running{false};
        bool failed = false;
        QString reason;
        QScopedPointer<QThread> call(QThread::create([&] {
            // The connection is open beforehand.
            if (!GetRecordset(connection, "Select 1"))
                return;
            running = true;
            const QString statement = "Select pg_sleep(60)";
            try {
                failed =
                    read ? !GetRecordset(connection, statement) : !ExcuteSQL(connection, statement);
            } catch (const ConnectionError &) {
                failed = true;
            }
            reason = LastDatabaseFailure();
            ConnectionPool::CloseAll();
        }));
        call->start();
        QTRY_VERIFY(running);
        QTest::qWait(500); // the statement is on the server
        QVERIFY(setLoopback("down"));
        QElapsedTimer lost;
        lost.start();
        // A bound on a hang, not a measure of speed: the defaults aim at well under 10 s.
        if (!call->wait(QDeadlineTimer(20000))) {
            setLoopback("up");
            call->wait();
            QFAIL("the call still hung 20 s after the server vanished");
        }
        qInfo("the call failed %.1f s after the server vanished", double(lost.elapsed()) / 1000);
        QVERIFY(failed);
        QVERIFY2(!reason.isEmpty(), "the failure gives no reason");
        QCOMPARE(home.logEntryCount(), 1);
    }
};

QTEST_GUILESS_MAIN(tst_DeadServer)
#include "tst_deadserver.moc"
