// The module's calls across a failover, on a primary and its synchronous standby started by
// scripts/pg-test --pair: writes in a loop while the primary stops and the standby is promoted,
// reads meanwhile, and the host's presence. A pair takes one failover: CTest runs each row of
// ridesFailover on a pair of its own.

#include "common/ArdentaError.h"
#include "db/ConnectionPool.h"
#include "db/ConnectionString.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "office/Presence.h"
#include "PairRig.h"
#include "TestHome.h"

#include <atomic>
#include <chrono>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <set>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

struct Call
{
    Clock::time_point began;
    bool ok = false;
    Clock::time_point ended;
};

} // namespace

class tst_Failover : public QObject
{
    Q_OBJECT
    const QString m_pair = qEnvironmentVariable("ARDENTA_TEST_PAIR");
    // Where the rig's servers listen: primary, then standby.
    const QStringList m_ports = ParseConnectionString(m_pair).ports.split(u',');

private Q_SLOTS:
    void initTestCase()
    {
        if (m_pair.isEmpty())
            QSKIP("needs a primary and a standby: run through scripts/pg-test --pair");
        QCOMPARE(m_ports.size(), 2);
    }

    // Whichever way the two hosts are named, and the standby first, the primary answers.
    void writableServerChosen_data()
    {
        QTest::addColumn<QString>("connection");
        const QString standbyFirst =
            QStringLiteral("127.0.0.1:%1,127.0.0.1:%2").arg(m_ports.value(1), m_ports.value(0));
        QTest::newRow("uri") << "postgresql://ardenta@" + standbyFirst + "/postgres";
        QTest::newRow("keys") << "Provider=PostgreSQL;Host=127.0.0.1,127.0.0.1;Port=" +
                                     m_ports.value(1) + ',' + m_ports.value(0) +
                                     ";Database=postgres;User ID=ardenta";
        QTest::newRow("service") << QStringLiteral("Provider=PostgreSQL;Service=pair");
    }
    void writableServerChosen()
    {
        QFETCH(QString, connection);
        QTemporaryDir dir;
        QFile services(dir.filePath(QStringLiteral("pg_service.conf")));
        QVERIFY(services.open(QIODevice::WriteOnly));
        services.write("[pair]\nhost=127.0.0.1,127.0.0.1\nuser=ardenta\ndbname=postgres\nport=" +
                       m_ports.value(1).toUtf8() + ',' + m_ports.value(0).toUtf8() + '\n');
        services.close();
        qputenv("PGSERVICEFILE", services.fileName().toUtf8());
        const QVariant port = PairScalar(connection, QStringLiteral("Select inet_server_port()"));
        qunsetenv("PGSERVICEFILE");
        QCOMPARE(port.toString(), m_ports.value(0));
    }

    // Writes of 30 ms each, one after another, while the primary stops and the standby is
    // promoted, so that one is mostly under way: at most one fails
    // (the one under way), every one that succeeded is on the new primary, reads begun in the
    // outage succeed, and presence refreshes its row there, logging at most once.
    void ridesFailover_data()
    {
        QTest::addColumn<QByteArray>("stop");
        QTest::newRow("fast") << QByteArray("stop fast");
        QTest::newRow("immediate") << QByteArray("stop immediate");
    }
    void ridesFailover()
    {
        QFETCH(QByteArray, stop);
        const QString standby = qEnvironmentVariable("ARDENTA_TEST_PAIR_STANDBY");
        if (!PairScalar(standby, QStringLiteral("Select pg_is_in_recovery()")).toBool())
            QSKIP("this pair has had its failover; CTest gives each row a pair of its own");
        TestHome home;
        QString message;
        QVERIFY2(InitDatabase(m_pair, &message), qPrintable(message));
        PairScalar(m_pair, QStringLiteral("Create Table Writes(N integer Primary Key)"));
        Presence presence({m_pair, QStringLiteral("127.0.0.9"), QStringLiteral("ann"), 1});
        presence.Start();

        Clock::time_point stopped;
        Clock::time_point promoted;
        std::atomic<bool> failedOver{false};
        std::thread controller([&] {
            std::this_thread::sleep_for(500ms);
            stopped = Clock::now();
            if (!PairControl(stop) || !PairControl("promote"))
                qWarning("the failover failed");
            promoted = Clock::now();
            failedOver = true;
        });
        std::atomic<bool> writing{true};
        std::vector<Call> reads;
        std::thread reader([&] {
            while (writing) {
                reads.push_back({Clock::now(), false, {}});
                reads.back().ok =
                    bool(GetRecordset(m_pair, QStringLiteral("Select Count(*) From Writes")));
                reads.back().ended = Clock::now();
                std::this_thread::sleep_for(20ms);
            }
            ConnectionPool::CloseAll();
        });

        std::vector<Call> writes;
        QStringList reasons;
        for (int afterwards = 0; afterwards < 10 && writes.size() < 2000;) {
            writes.push_back({Clock::now(), false, {}});
            try {
                writes.back().ok = ExcuteSQL(
                    m_pair, QStringLiteral("Insert Into Writes(N) Select %1 From pg_sleep(0.03)")
                                .arg(writes.size()));
            } catch (const ConnectionError &) {
            }
            writes.back().ended = Clock::now();
            if (!writes.back().ok)
                reasons << LastDatabaseFailure();
            else if (failedOver)
                ++afterwards;
            std::this_thread::sleep_for(5ms);
        }
        writing = false;
        controller.join();
        reader.join();

        QVERIFY2(reasons.size() <= 1, qPrintable(reasons.join(u'\n')));
        QVERIFY(!reasons.contains(QString())); // a failure says why
        std::set<int> stored;
        WithConnection(standby, [&](QSqlDatabase &db) {
            QSqlQuery query(QStringLiteral("Select N From Writes"), db);
            while (query.next())
                stored.insert(query.value(0).toInt());
        });
        for (size_t n = 1; n <= writes.size(); ++n)
            QVERIFY2(!writes[n - 1].ok || stored.count(int(n)), qPrintable(QString::number(n)));
        int outageReads = 0;
        for (const Call &read : reads) {
            if (read.began >= stopped && read.began <= promoted) {
                ++outageReads;
                QVERIFY(read.ok);
            }
        }
        QVERIFY(outageReads > 0);
        // The longest time without a save, for the record: a timing is no check.
        Clock::duration outage{};
        Clock::time_point saved = writes.front().began;
        for (const Call &write : writes) {
            if (write.ok) {
                outage = std::max(outage, write.ended - saved);
                saved = write.ended;
            }
        }
        qInfo("%zu writes, %lld failed; %d reads in the outage; %lld ms between two saves at most",
              writes.size(), qlonglong(reasons.size()), outageReads,
              qlonglong(std::chrono::duration_cast<std::chrono::milliseconds>(outage).count()));
        // Gone from the new primary (as after an asynchronous standby's failover): presence
        // enters it again within a refresh period.
        PairScalar(standby, QStringLiteral("Delete From OnLine Where UserIP='127.0.0.9'"));
        QTRY_COMPARE_WITH_TIMEOUT(
            PairScalar(standby,
                       QStringLiteral("Select Count(*) From OnLine Where UserIP='127.0.0.9'"))
                .toInt(),
            1, 2500);
        QVERIFY(home.logText().count(QStringLiteral("模块:Presence")) <= 1);
        QVERIFY(!home.logText().contains(QStringLiteral("GetRecordset")));
    }
};

QTEST_GUILESS_MAIN(tst_Failover)
#include "tst_failover.moc"
