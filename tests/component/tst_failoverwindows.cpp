// A primary and its synchronous standby started by scripts/pg-test --pair: every form of a
// two-host connection string reaches the primary; the staff and notice windows save in a loop
// while the primary stops and the standby is promoted, with the host's presence beside them. A
// pair takes one failover: CTest runs each row on a pair of its own.

#include "db/ClerkFields.h"
#include "db/ConnectionString.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "db/Schema.h"
#include "notice/frmNotice.h"
#include "office/Presence.h"
#include "PairRig.h"
#include "search/frmQueryNotice.h"
#include "staff/frmMain.h"
#include "widgets/FlexGrid.h"
#include "WindowDriver.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <QLineEdit>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTextEdit>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Waits up to 20 s; throws failure when the time ran out or the other side gave up.
void await(const std::function<bool()> &done, const std::atomic<bool> &abandoned,
           const char *failure)
{
    for (int i = 0; i < 2000 && !abandoned; ++i) {
        if (done())
            return;
        std::this_thread::sleep_for(10ms);
    }
    throw std::runtime_error(failure);
}

constexpr int Steps = 7;
constexpr int FailoverStep = 3;
const int NameCol = ClerkColumns::GridCol(ClerkFieldIndex("Clerk_UserName"));
const int MemoCol = ClerkColumns::GridCol(ClerkFieldIndex("Clerk_Memo"));

} // namespace

class tst_FailoverWindows : public WindowTestCase
{
    Q_OBJECT
    const QString m_pair = qEnvironmentVariable("ARDENTA_TEST_PAIR");
    const QString m_standby = qEnvironmentVariable("ARDENTA_TEST_PAIR_STANDBY");
    // Where the rig's servers listen: primary, then standby.
    const QStringList m_ports = ParseConnectionString(m_pair).ports.split(u',');
    QTemporaryDir m_services;
    frmMain *m_staff = nullptr;
    FlexGrid *m_grid = nullptr;
    frmNotice *m_notices = nullptr;
    QStringList m_typedNotices;

    void typeInto(int row, int col, const QString &text)
    {
        m_grid->ShowCell(row, col);
        const QRect cell = m_grid->visualRect(m_grid->model()->index(row - 1, col));
        QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, cell.center());
        TypeText(Find<QLineEdit>(m_staff, "txtInput"), text);
    }
    // Presses Save; true when it said "Saved!".
    bool save(QWidget *window, bool sendQuestion)
    {
        const size_t before = user->seen().size();
        user->answerMessage(QMessageBox::Ok);
        if (sendQuestion)
            user->answerMessage(QMessageBox::No);
        Click(window, "cmdSave");
        return user->seen().size() > before && user->seen()[before].text == "Saved!";
    }
    // Step i: the memo of the row the step before added (saved or not; rows come in the
    // order of their keys, so S<i-1> is on row i), and a new row.
    bool staffStep(int i)
    {
        typeInto(i, MemoCol, QStringLiteral("m%1").arg(i));
        typeInto(m_grid->Rows() - 1, NameCol, QStringLiteral("S%1").arg(i));
        return save(m_staff, false);
    }
    // Step i: a new notice, unless the last one failed and is still being composed; No to
    // sending it, when asked.
    bool noticeStep(int i, bool fails)
    {
        if (m_notices->Mode().isEmpty()) {
            Click(m_notices, "cmdAdd");
            m_typedNotices << QStringLiteral("N%1").arg(i);
            TypeText(Find<QTextEdit>(m_notices, "txtNotice"), m_typedNotices.back());
        }
        return save(m_notices, !fails);
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (m_pair.isEmpty())
            QSKIP("needs a primary and a standby: run through scripts/pg-test --pair");
        QCOMPARE(m_ports.size(), 2);
        QFile services(m_services.filePath("pg_service.conf"));
        QVERIFY(services.open(QIODevice::WriteOnly));
        services.write("[pair]\nhost=127.0.0.1,127.0.0.1\nuser=ardenta\ndbname=postgres\nport=" +
                       m_ports.value(1).toUtf8() + ',' + m_ports.value(0).toUtf8() + '\n');
        qputenv("PGSERVICEFILE", services.fileName().toUtf8());
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
        QTest::newRow("service") << "Provider=PostgreSQL;Service=pair";
    }
    void writableServerChosen()
    {
        QFETCH(QString, connection);
        QCOMPARE(PairScalar(connection, "Select inet_server_port()").toString(), m_ports.value(0));
    }

    // At the failover step one window's save is committing when the primary stops: its commit
    // is on the standby, unconfirmed, and the window says "Failed!". Meanwhile the other window
    // reads (a grid Refresh, a notice search) before the promote, and the read waits for it.
    // Afterwards every save that said "Saved!", and what the failed one kept, is on the new
    // primary exactly once; presence is back within its refresh period, having logged at
    // most once.
    void ridesFailover_data()
    {
        QTest::addColumn<QByteArray>("stop");
        QTest::addColumn<bool>("staffFails"); // else the notice save fails
        QTest::addColumn<int>("dialect");
        // The notice save fails, the grid is refreshed; staff saves a call per statement.
        QTest::newRow("fast") << QByteArray("stop fast") << false << 1;
        // The staff save fails, its update and insert in one commit; a notice search.
        QTest::newRow("immediate") << QByteArray("stop immediate") << true << 0;
    }
    void ridesFailover()
    {
        QFETCH(QByteArray, stop);
        QFETCH(bool, staffFails);
        QFETCH(int, dialect);
        if (!PairScalar(m_standby, "Select pg_is_in_recovery()").toBool())
            QSKIP("this pair has had its failover; CTest gives each row a pair of its own");
        m_typedNotices.clear();
        QString message;
        QVERIFY2(InitDatabase(m_pair, &message), qPrintable(message));
        // A commit waits until the standby has applied it: while its replay is paused, the
        // commit stays under way.
        PairScalar(m_pair, "Alter Database postgres Set synchronous_commit='remote_apply'");
        PairScalar(m_pair, "Insert Into Clerk(Clerk_UserName) Values('S0')");
        StartSession(m_pair, "ops", true, dialect);
        Presence presence({m_pair, "127.0.0.9", "ann", 1});
        presence.Start();
        m_staff = frmMain::instance();
        m_grid = Find<FlexGrid>(m_staff, "vfgMain");
        m_notices = frmNotice::instance();
        QVERIFY(ShowWindow(m_staff) && ShowWindow(m_notices));
        Click(m_notices, "cmdFind");
        frmQueryNotice *search = frmQueryNotice::loadedInstance();

        // The controller: pauses the standby's replay, stops the primary once the window's
        // commit waits for the standby and the standby holds it, promotes once the read began.
        enum Phase { Failed = -1, Saving, PauseAsked, Paused, Stopped, Reading, Promoted };
        std::atomic<int> phase{Saving};
        std::atomic<qint64> backend{0};
        std::atomic<bool> abandoned{false};
        QString controlFailure;
        std::thread controller([&] {
            try {
                const QString primary = qEnvironmentVariable("ARDENTA_TEST_PAIR_PRIMARY");
                await([&] { return phase == PauseAsked; }, abandoned, "no save came");
                PairScalar(m_standby, "Select pg_wal_replay_pause()");
                phase = Paused;
                QString flushed;
                WithConnection(primary, [&](QSqlDatabase &db) {
                    QSqlQuery query(db);
                    const QString committing =
                        "Select pg_current_wal_flush_lsn() From pg_stat_activity Where pid=%1 "
                        "And wait_event='SyncRep'";
                    await([&] { return query.exec(committing.arg(backend)) && query.next(); },
                          abandoned, "the window's commit did not wait for the standby");
                    flushed = query.value(0).toString();
                });
                const QString received =
                    QStringLiteral("Select pg_last_wal_receive_lsn()>='%1'::pg_lsn").arg(flushed);
                await([&] { return PairScalar(m_standby, received).toBool(); }, abandoned,
                      "the standby did not receive the commit");
                if (!PairControl(stop))
                    throw std::runtime_error("the primary did not stop");
                phase = Stopped;
                await([&] { return phase == Reading; }, abandoned, "no read came");
                std::this_thread::sleep_for(200ms); // the read waits for a server taking writes
                if (!PairControl("promote"))
                    throw std::runtime_error("the standby was not promoted");
                phase = Promoted;
            } catch (const std::exception &e) {
                controlFailure = QString::fromUtf8(e.what());
                phase = Failed;
            }
        });
        const auto why = [&] { return phase == Failed ? controlFailure : QString(); };
        const auto joined = qScopeGuard([&] {
            abandoned = true;
            controller.join();
        });

        int failed[2] = {}; // staff, notice
        for (int i = 1; i <= Steps; ++i) {
            const bool failover = i == FailoverStep;
            for (const bool staff : {true, false}) {
                const bool underWay = failover && staff == staffFails;
                if (underWay) {
                    const auto pid = GetRecordset(m_pair, "Select pg_backend_pid()");
                    QVERIFY(pid && pid->RecordCount() == 1);
                    backend = pid->text(0, 0).toLongLong();
                    phase = PauseAsked;
                    QTRY_VERIFY_WITH_TIMEOUT(phase == Paused || phase == Failed, 10000);
                    QVERIFY2(phase == Paused, qPrintable(why()));
                }
                const bool saved = staff ? staffStep(i) : noticeStep(i, underWay);
                failed[staff ? 0 : 1] += saved ? 0 : 1;
                if (!underWay)
                    continue;
                QTRY_VERIFY_WITH_TIMEOUT(phase == Stopped || phase == Failed, 20000);
                QVERIFY2(phase == Stopped, qPrintable(why()));
                const size_t boxes = user->seen().size();
                phase = Reading;
                if (staffFails) {
                    Click(search, "cmdQuery");
                    const int listed = Find<FlexGrid>(search, "vfgMain")->Rows() - 1;
                    QCOMPARE(listed, PairScalar(m_standby, "Select Count(*) From Notice").toInt());
                } else {
                    Click(m_staff, "cmdRefresh");
                    QCOMPARE(m_grid->Rows(),
                             PairScalar(m_standby, "Select Count(*) From Clerk").toInt() + 2);
                }
                QCOMPARE(user->seen().size(), boxes);
            }
        }
        QTRY_VERIFY_WITH_TIMEOUT(phase == Promoted || phase == Failed, 10000);
        QVERIFY2(phase == Promoted, qPrintable(why()));
        QCOMPARE((QList<int>{failed[0], failed[1]}), (QList<int>{staffFails, !staffFails}));

        QStringList staff;
        for (int i = 1; i <= Steps; ++i)
            staff << QStringLiteral("S%1|m%2").arg(i - 1).arg(i);
        staff << QStringLiteral("S%1|").arg(Steps);
        QCOMPARE(PairScalar(m_standby, "Select string_agg(Clerk_UserName||'|'||"
                                       "Coalesce(Clerk_Memo,''),',' Order By Clerk_ID) From Clerk")
                     .toString(),
                 staff.join(u','));
        QCOMPARE(PairScalar(m_standby, "Select string_agg(Notice_Content,',' Order By Notice_ID) "
                                       "From Notice")
                     .toString(),
                 m_typedNotices.join(u','));

        // Gone from the new primary (as after an asynchronous standby's failover): presence
        // enters it again within a refresh period.
        PairScalar(m_standby, "Delete From OnLine Where UserIP='127.0.0.9'");
        QTRY_COMPARE_WITH_TIMEOUT(
            PairScalar(m_standby, "Select Count(*) From OnLine Where UserIP='127.0.0.9'").toInt(),
            1, 2500);
        // The failed save's entry, and presence's at most once; nothing of the reads.
        const int presenceEntries = int(home->logText().count("模块:Presence"));
        QVERIFY(presenceEntries <= 1);
        QVERIFY2(home->logEntryCount() == 1 + presenceEntries, qPrintable(home->logText()));
    }
};

QTEST_MAIN(tst_FailoverWindows)
#include "tst_failoverwindows.moc"
