#include "FailoverScenario.h"

#include "BenchSupport.h"
#include "common/Session.h"
#include "DataSets.h"
#include "db/ClerkFields.h"
#include "db/ConnectionPool.h"
#include "Measurement.h"
#include "Scenarios.h"
#include "staff/frmMain.h"
#include "StandbyPair.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <optional>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <thread>

namespace {

constexpr qint64 CadenceNs = 50'000'000; // a save begins every 50 ms, or at once when late
constexpr auto SavingBeforeStop = std::chrono::seconds(1);
constexpr int SavesAfterPromote = 10;
constexpr qint64 RunLimitNs = 30'000'000'000;
const int MemoCol = ClerkColumns::GridCol(ClerkFieldIndex("Clerk_Memo"));

struct Save
{
    qint64 beganNs;
    qint64 endedNs; // the box shown
    bool saved;
};

struct Run
{
    double fromStop;       // the stop issued, to the first save on the new primary
    double fromPromote;    // the promote's end, to it
    double stopAndPromote; // how long the two commands took
    int failed;
};

void WaitUntil(const QElapsedTimer &clock, qint64 ns)
{
    const qint64 ms = (ns - clock.nsecsElapsed()) / 1'000'000;
    if (ms <= 0)
        return;
    QEventLoop loop;
    QTimer::singleShot(int(ms), &loop, &QEventLoop::quit);
    loop.exec();
}

// Saves one cell of the staff window at the cadence until ten saves after the promote said
// "Saved!"; the primary stops after a second.
std::vector<Save> SaveThroughFailover(frmMain *window, const StandbyPair &pair,
                                      MessageAnswerer &answerer, qint64 times[3], bool *controlled)
{
    const QElapsedTimer &clock = answerer.clock();
    std::atomic<qint64> stop{-1}, stopped{-1}, promoted{-1};
    std::atomic<bool> ok{false};
    std::thread controller([&] {
        std::this_thread::sleep_for(SavingBeforeStop);
        stop = clock.nsecsElapsed();
        const bool down = pair.control(QStringLiteral("stop fast"));
        stopped = clock.nsecsElapsed();
        ok = down && pair.control(QStringLiteral("promote"));
        promoted = clock.nsecsElapsed();
    });
    std::vector<Save> saves;
    const qint64 end = clock.nsecsElapsed() + RunLimitNs;
    for (int after = 0; after < SavesAfterPromote && clock.nsecsElapsed() < end;) {
        WaitUntil(clock, saves.empty() ? 0 : saves.back().beganNs + CadenceNs);
        window->EditCell(1, MemoCol, QStringLiteral("failover %1").arg(saves.size()));
        answerer.clear();
        Save save{clock.nsecsElapsed(), 0, false};
        window->SaveData();
        const auto &seen = answerer.seen();
        save.endedNs = seen.empty() ? clock.nsecsElapsed() : seen.front().shownAtNs;
        save.saved = !seen.empty() && seen.front().icon == QMessageBox::Information;
        saves.push_back(save);
        if (save.saved && promoted >= 0 && save.beganNs > promoted)
            ++after;
    }
    controller.join();
    times[0] = stop;
    times[1] = stopped;
    times[2] = promoted;
    *controlled = ok;
    return saves;
}

std::optional<Run> OneRun(const ScenarioSetup &setup, Measurement &m, const BenchHome &home)
{
    const StandbyPair pair;
    m.check(pair.ready(), pair.problem());
    if (!pair.ready())
        return std::nullopt;
    DataSets::Fill(pair.connection(), true, setup.n, 0, 0);
    Session().gstrConnection = pair.connection();
    frmMain *window = frmMain::instance();
    window->show();
    QCoreApplication::processEvents();
    // A question would come only after a commit that landed unconfirmed: the user's value.
    MessageAnswerer answerer(QMessageBox::Yes);
    qint64 times[3] = {};
    bool controlled = false;
    const std::vector<Save> saves = SaveThroughFailover(window, pair, answerer, times, &controlled);
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ConnectionPool::CloseAll();
    m.check(controlled, QStringLiteral("the primary did not stop or the standby was not promoted"));

    // The first save begun once the old primary was down went to the new one.
    const auto first = std::find_if(saves.cbegin(), saves.cend(), [&](const Save &save) {
        return save.saved && save.beganNs > times[1];
    });
    const int failed = int(
        std::count_if(saves.cbegin(), saves.cend(), [](const Save &save) { return !save.saved; }));
    m.check(first != saves.cend(), QStringLiteral("no save after the stop"));
    m.check(failed <= 1, QStringLiteral("more than one failed save in a failover"));
    m.check(QueryCount(pair.connection(),
                       QStringLiteral("Select Count(*) From Clerk Where Clerk_Memo='failover %1'")
                           .arg(saves.size() - 1)) == 1,
            QStringLiteral("the last save is not on the new primary"));
    // Each failed save logged once; nothing else may be there.
    QFile log(QDir(home.path()).filePath(QStringLiteral("Errlog.txt")));
    m.check(home.errorLog().count(QStringLiteral("函数/过程:")) <= failed,
            QStringLiteral("Errlog.txt: ") + home.errorLog().left(400));
    log.remove();
    if (first == saves.cend())
        return std::nullopt;
    return Run{double(first->endedNs - times[0]) / 1e9, double(first->endedNs - times[2]) / 1e9,
               double(times[2] - times[0]) / 1e9, failed};
}

} // namespace

void Failover(const ScenarioSetup &setup, Measurement &m, const BenchHome &home)
{
    std::vector<double> fromPromote;
    std::vector<double> commands;
    int failed = 0;
    for (int i = 0; i < setup.runs; ++i) {
        const std::optional<Run> run = OneRun(setup, m, home);
        if (!run)
            continue;
        m.record(run->fromStop, 0);
        fromPromote.push_back(run->fromPromote);
        commands.push_back(run->stopAndPromote);
        failed = std::max(failed, run->failed);
    }
    m.extra().insert(QStringLiteral("after_promote_s"), Median(fromPromote));
    m.extra().insert(QStringLiteral("stop_promote_s"), Median(commands));
    m.extra().insert(QStringLiteral("failed_saves"), failed);
}
