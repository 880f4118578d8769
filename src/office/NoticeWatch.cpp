#include "host/NoticeWatch.h"

#include "db/ConnectionString.h"
#include "host/ErrLog.h"
#include "office/NoticeWatchWorker.h"

#include <QThread>

namespace {
const QString Module = QStringLiteral("NoticeNotifier");
constexpr qint64 ForgeryLogMs = 3600 * 1000;
} // namespace

NoticeWatch::NoticeWatch(Options options, QObject *parent)
    : QObject(parent), m_options(std::move(options)), m_thread(new QThread),
      m_worker(new NoticeWatchWorker(m_options))
{
    qRegisterMetaType<StoredNotice>();
    qRegisterMetaType<QList<StoredNotice>>();
    m_worker->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &NoticeWatchWorker::found, this, &NoticeWatch::Found);
    connect(m_worker, &NoticeWatchWorker::caughtUp, this, &NoticeWatch::CaughtUp);
    connect(m_worker, &NoticeWatchWorker::notFound, this, &NoticeWatch::notFound);
    connect(m_worker, &NoticeWatchWorker::failed, this,
            [this](const QString &procedure, const QString &error) {
                WriteErrLog(error, procedure, Module, MaskPasswords(m_options.connection));
            });
}

NoticeWatch::~NoticeWatch()
{
    if (m_thread->isRunning()) {
        // A database that does not answer must not hold the exit for long: the thread is then
        // left to the end of the process.
        QMetaObject::invokeMethod(m_worker, &NoticeWatchWorker::stop);
        if (!m_thread->wait(5000))
            return;
    } else {
        delete m_worker;
    }
    delete m_thread;
}

void NoticeWatch::Start()
{
    m_thread->start();
    QMetaObject::invokeMethod(m_worker, &NoticeWatchWorker::start);
}

void NoticeWatch::Verify(const QString &publisher, const QString &content, const QString &sender)
{
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, publisher, content, sender] {
        worker->verify(publisher, content, sender);
    });
}

// One entry per sending address and hour: a flood of forgeries must not fill the log.
void NoticeWatch::notFound(const QString &sender)
{
    const QString address = sender.left(sender.lastIndexOf(u':'));
    QElapsedTimer &logged = m_logged[address];
    if (logged.isValid() && logged.elapsed() < ForgeryLogMs)
        return;
    logged.start();
    WriteErrLog(QStringLiteral("No notice on the board stands for the datagram; not shown"),
                QStringLiteral("Verify"), Module, sender);
}
