#include "office/NoticeWatchWorker.h"

#include "common/ArdentaError.h"
#include "common/Convert.h"
#include "common/Paths.h"
#include "db/ConnectionPool.h"
#include "db/Database.h"
#include "db/SqlDialect.h"
#include "office/NoticeWatchStatements.h"

#include <algorithm>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

namespace {

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
      m_timer(this)
{
    m_timer.setInterval(m_options.checkSeconds * 1000);
    connect(&m_timer, &QTimer::timeout, this, &NoticeWatchWorker::check);
}

bool NoticeWatchWorker::run(const std::function<void(QSqlDatabase &, SqlEngine)> &work)
{
    try {
        WithConnection(m_options.connection, [&](QSqlDatabase &db) { work(db, EngineOf(db)); });
    } catch (const std::exception &e) {
        if (!m_down)
            Q_EMIT failed(QStringLiteral("Verify"), ErrorText(e));
        m_down = true;
        return false;
    }
    m_down = false;
    return true;
}

void NoticeWatchWorker::start()
{
    m_lastCheck = QDateTime::currentDateTimeUtc();
    run([this](QSqlDatabase &db, SqlEngine) { catchUp(db); });
    m_timer.start();
}

// Back after an outage, or after the machine slept through several checks (the wall clock
// moves on while a machine sleeps, its timers do not): catch up.
void NoticeWatchWorker::check()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const bool slept = m_lastCheck.msecsTo(now) > 3LL * m_timer.interval();
    m_lastCheck = now;
    const bool wasDown = m_down;
    run([&](QSqlDatabase &db, SqlEngine) {
        if (wasDown || slept)
            catchUp(db);
        else
            HighestId(db); // only to notice an outage
    });
}

void NoticeWatchWorker::catchUp(QSqlDatabase &db)
{
    if (!m_seen.Known())
        m_seen.Begin(HighestId(db));
    const QList<StoredNotice> fresh =
        m_seen.TakeNew(ReadNotices(db, NoticeWatchStatements::From(m_seen.From())));
    save();
    if (!fresh.isEmpty())
        Q_EMIT caughtUp(fresh);
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
    if (!run([&](QSqlDatabase &db, SqlEngine engine) {
            newest = ReadNotices(db, NoticeWatchStatements::Newest(engine, NoticeWatch::Newest));
        }))
        return;
    bool shown = false;
    for (const Datagram &datagram : datagrams) {
        const QString publisher = TrimBlanks(datagram.Publisher);
        const auto match = std::find_if(newest.cbegin(), newest.cend(), [&](const StoredNotice &n) {
            return n.Publisher == publisher && n.Content.startsWith(datagram.Content);
        });
        if (match == newest.cend()) {
            Q_EMIT notFound(datagram.Sender);
            continue;
        }
        m_seen.Shown(match->Id);
        shown = true;
        Q_EMIT found(*match);
    }
    if (shown)
        save();
    if (wasDown)
        run([this](QSqlDatabase &db, SqlEngine) { catchUp(db); });
}

void NoticeWatchWorker::save()
{
    if (QString error; !m_seen.Save(&error))
        Q_EMIT failed(QStringLiteral("CatchUp"), error);
}

void NoticeWatchWorker::stop()
{
    m_timer.stop();
    QThread::currentThread()->quit();
}
