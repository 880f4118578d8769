#include "office/NoticeWatch.h"

#include "common/ErrLog.h"
#include "db/ConnectionString.h"
#include "office/NoticeWatchWorker.h"
#include "office/WorkerThread.h"

namespace {
const QString Module = QStringLiteral("NoticeNotifier");
constexpr qint64 ForgeryLogMs = 3600 * 1000;
constexpr qsizetype PrunedAbove = 1024;
} // namespace

NoticeWatch::NoticeWatch(Options options, QObject *parent)
    : QObject(parent), m_options(std::move(options)),
      m_work(std::make_unique<WorkerThread<NoticeWatchWorker>>(new NoticeWatchWorker(m_options),
                                                               &NoticeWatchWorker::stop))
{
    qRegisterMetaType<StoredNotice>();
    qRegisterMetaType<QList<StoredNotice>>();
    qRegisterMetaType<QList<qint64>>();
    const NoticeWatchWorker *worker = m_work->worker();
    connect(worker, &NoticeWatchWorker::found, this, &NoticeWatch::Found);
    connect(worker, &NoticeWatchWorker::caughtUp, this, &NoticeWatch::CaughtUp);
    connect(worker, &NoticeWatchWorker::changed, this, &NoticeWatch::Changed);
    connect(worker, &NoticeWatchWorker::notFound, this, &NoticeWatch::notFound);
    connect(worker, &NoticeWatchWorker::failed, this,
            [this](const QString &procedure, const QString &error) {
                WriteErrLog(error, procedure, Module, MaskPasswords(m_options.connection));
            });
}

NoticeWatch::~NoticeWatch() = default;

void NoticeWatch::Start()
{
    m_work->Start(&NoticeWatchWorker::start);
}

void NoticeWatch::Verify(const QString &publisher, const QString &content, const QString &sender)
{
    queue(publisher, content, sender, false);
}

void NoticeWatch::ShownAsSent(const QString &publisher, const QString &content)
{
    queue(publisher, content, QString(), true);
}

void NoticeWatch::queue(const QString &publisher, const QString &content, const QString &sender,
                        bool shownAsSent)
{
    NoticeWatchWorker *worker = m_work->worker();
    if (worker->queue({publisher, content, sender, shownAsSent}))
        QMetaObject::invokeMethod(worker, &NoticeWatchWorker::verifyQueued);
}

// One entry per sending address and hour: a flood of forgeries must not fill the log.
void NoticeWatch::notFound(const QString &sender)
{
    const QString address = sender.left(sender.lastIndexOf(u':'));
    // Forgeries from many (spoofed) addresses must not grow the table for good.
    if (m_logged.size() >= PrunedAbove)
        m_logged.removeIf([](const auto &entry) { return entry.value().hasExpired(ForgeryLogMs); });
    QElapsedTimer &logged = m_logged[address];
    if (logged.isValid() && logged.elapsed() < ForgeryLogMs)
        return;
    logged.start();
    WriteErrLog(QStringLiteral("No notice on the board stands for the datagram; not shown"),
                QStringLiteral("Verify"), Module, sender);
}
