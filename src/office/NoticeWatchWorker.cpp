#include "office/NoticeWatchWorker.h"

#include "common/ArdentaError.h"
#include "common/Convert.h"
#include "common/Paths.h"
#include "db/Database.h"
#include "db/SqlDialect.h"
#include "office/NoticeWatchStatements.h"

#include <algorithm>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>

namespace {

// A pulse this late means the machine slept.
constexpr qint64 SleepMs = 60 * 1000;
constexpr int SaveDelayMs = 1000;

QList<StoredNotice> ReadNotices(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    ExecStatement(query, sql);
    QList<StoredNotice> notices;
    while (query.next())
        notices.push_back(
            {query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toString()});
    return notices;
}

QList<qint64> ReadIds(QSqlDatabase &db, qint64 from)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    ExecStatement(query, NoticeWatchStatements::IdsFrom(from));
    QList<qint64> ids;
    while (query.next())
        ids << query.value(0).toLongLong();
    return ids;
}

qint64 HighestId(QSqlDatabase &db)
{
    QSqlQuery query(db);
    ExecStatement(query, NoticeWatchStatements::HighestId());
    return query.next() ? query.value(0).toLongLong() : 0;
}

} // namespace

NoticeWatchWorker::NoticeWatchWorker(NoticeWatch::Options options)
    : m_options(std::move(options)), m_seen(m_options.connection, m_options.operatorName,
                                            StateFilePath(QStringLiteral("seen.ini"))),
      m_link(m_options.connection, this), m_timer(this), m_pulse(this), m_saving(this)
{
    m_saving.setSingleShot(true);
    m_saving.setInterval(SaveDelayMs);
    connect(&m_saving, &QTimer::timeout, this, &NoticeWatchWorker::save);
    m_timer.setInterval(m_options.checkSeconds * 1000);
    connect(&m_timer, &QTimer::timeout, this, &NoticeWatchWorker::check);
    m_pulse.setInterval(PulseMs);
    connect(&m_pulse, &QTimer::timeout, this, &NoticeWatchWorker::pulse);
    connect(&m_link, &NoticeWatchConnection::announced, this, &NoticeWatchWorker::announced);
}

void NoticeWatchWorker::start()
{
    look(Arrival::Away);
    m_timer.start();
    m_pulse.start();
}

// A look that fails is tried once more on a fresh connection (the kept one may have died
// unseen: ODBC drivers cannot tell); what still fails is an outage, logged once. What the work
// took as seen counts only when it succeeded.
bool NoticeWatchWorker::run(const QString &procedure,
                            const std::function<void(QSqlDatabase &, SqlEngine)> &work)
{
    QString error;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const bool kept = m_link.IsOpen();
        const SeenNotices before = m_seen;
        try {
            QSqlDatabase db = m_link.Open();
            work(db, EngineOf(db));
            m_down = false;
            noteListening();
            return true;
        } catch (const ConnectionError &e) {
            error = ErrorText(e);
            m_seen = before;
            break;
        } catch (const std::exception &e) {
            error = ErrorText(e);
            m_seen = before;
            m_link.Close();
            if (!kept)
                break;
        }
    }
    if (!m_down)
        Q_EMIT failed(procedure, error);
    m_down = true;
    return false;
}

// Reads the board's ids from where the user may have missed some, then whatever of them is
// new; the ids of all new notices go to *ids (the user's own too: the board shows them).
QList<StoredNotice> NoticeWatchWorker::readNew(QSqlDatabase &db, QList<qint64> *ids)
{
    if (!m_seen.Known())
        m_seen.Begin(HighestId(db));
    const QList<qint64> fresh = m_seen.TakeNew(ReadIds(db, m_seen.From()));
    if (fresh.isEmpty())
        return {};
    *ids += fresh;
    QList<StoredNotice> notices = ReadNotices(db, NoticeWatchStatements::From(fresh.front()));
    notices.removeIf([&](const StoredNotice &notice) {
        return !fresh.contains(notice.Id) || m_seen.IsOwn(notice.Publisher);
    });
    return notices;
}

// What is on the board and not shown yet pops up: as it arrives, or as a catch-up after time
// away (an outage counts, whatever look ends it).
void NoticeWatchWorker::look(Arrival arrival)
{
    m_lookDue = false;
    noteTime();
    const bool away = arrival == Arrival::Away || m_down || std::exchange(m_slept, false);
    QList<qint64> ids = std::exchange(m_announced, {});
    QList<StoredNotice> fresh;
    if (!run(QStringLiteral("CatchUp"),
             [&](QSqlDatabase &db, SqlEngine) { fresh = readNew(db, &ids); })) {
        m_announced = ids; // for the next look that succeeds
        return;
    }
    saveSoon();
    if (away) {
        if (!fresh.isEmpty())
            Q_EMIT caughtUp(fresh);
    } else {
        for (const StoredNotice &notice : std::as_const(fresh))
            Q_EMIT found(notice);
    }
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    if (!ids.isEmpty())
        Q_EMIT changed(ids);
}

// Announcements come in bursts; the board is read once for those already here.
void NoticeWatchWorker::announced(qint64 id)
{
    if (id > 0)
        m_announced << id;
    if (!std::exchange(m_lookDue, true))
        QMetaObject::invokeMethod(
            this, [this] { look(Arrival::Live); }, Qt::QueuedConnection);
}

// A connection that died, or stopped answering, is opened again (listening again) at once and
// the board read for what came meanwhile; while the database stays away, a try every few
// seconds.
void NoticeWatchWorker::pulse()
{
    noteTime();
    const bool probe = ++m_pulses % ProbeEvery == 0;
    if (m_link.IsOpen() && (!probe || m_link.Answers()))
        return;
    if (m_down && !probe)
        return;
    look(Arrival::Live);
}

// Without announcements (SQLite, ODBC, a standby) this is how notices arrive; with them it
// finds what none announced. A standby that refused to listen is asked again.
void NoticeWatchWorker::check()
{
    if (m_link.MissesAnnouncements())
        m_link.Listen();
    look(Arrival::Live);
}

// The wall clock moves on while a machine sleeps, its timers do not: a pulse that comes a
// minute late follows sleep, and the next look is a catch-up.
void NoticeWatchWorker::noteTime()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (m_lastPulse.isValid() && m_lastPulse.msecsTo(now) > SleepMs)
        m_slept = true;
    m_lastPulse = now;
}

// A connection that cannot listen (a standby refuses LISTEN) is logged once; the checks still
// find every notice, and each tries to listen again.
void NoticeWatchWorker::noteListening()
{
    if (!m_link.MissesAnnouncements())
        m_listenLogged = false;
    else if (!std::exchange(m_listenLogged, true))
        Q_EMIT failed(QStringLiteral("Listen"), m_link.ListenError());
}

bool NoticeWatchWorker::queue(Datagram datagram)
{
    const QMutexLocker lock(&m_queueLock);
    m_queue.push_back(std::move(datagram));
    return m_queue.size() == 1;
}

void NoticeWatchWorker::verifyQueued()
{
    std::vector<Datagram> datagrams;
    {
        const QMutexLocker lock(&m_queueLock);
        datagrams.swap(m_queue);
    }
    std::erase_if(datagrams, [this](const Datagram &d) { return m_seen.IsOwn(d.Publisher); });
    if (datagrams.empty())
        return;
    const bool wasDown = m_down;
    QList<StoredNotice> newest;
    if (!run(QStringLiteral("Verify"), [&](QSqlDatabase &db, SqlEngine engine) {
            newest = ReadNotices(db, NoticeWatchStatements::Newest(engine, NoticeWatch::Newest));
        }))
        return;
    QList<qint64> shown;
    for (const Datagram &datagram : datagrams) {
        const QString publisher = TrimBlanks(datagram.Publisher);
        const auto match = std::find_if(newest.cbegin(), newest.cend(), [&](const StoredNotice &n) {
            return n.Publisher == publisher && n.Content.startsWith(datagram.Content);
        });
        if (match == newest.cend()) {
            if (!datagram.ShownAsSent)
                Q_EMIT notFound(datagram.Sender);
            continue;
        }
        // Popped up already, by whichever way reached this host first.
        if (!m_seen.Shown(match->Id))
            continue;
        shown << match->Id;
        if (!datagram.ShownAsSent)
            Q_EMIT found(*match);
    }
    if (!shown.isEmpty()) {
        saveSoon();
        Q_EMIT changed(shown);
    }
    if (wasDown)
        look(Arrival::Away);
}

// A second later, so that a burst is written once and no pop-up waits for the disk (a sync of
// seen.ini takes milliseconds, and tens of them on a busy disk).
void NoticeWatchWorker::saveSoon()
{
    if (!m_saving.isActive())
        m_saving.start();
}

// A state file that cannot be written is logged once, not at every look.
void NoticeWatchWorker::save()
{
    QString error;
    const bool saved = m_seen.Save(&error);
    if (!saved && !m_saveFailed)
        Q_EMIT failed(QStringLiteral("CatchUp"), error);
    m_saveFailed = !saved;
}

void NoticeWatchWorker::stop()
{
    m_timer.stop();
    m_pulse.stop();
    m_saving.stop();
    save();
    m_link.Close();
    QThread::currentThread()->quit();
}
