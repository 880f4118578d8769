#include "host/Presence.h"

#include "db/ConnectionString.h"
#include "host/ErrLog.h"
#include "office/PresenceWorker.h"

#include <QHostAddress>
#include <QNetworkInterface>

Presence::Presence(Options options, QObject *parent)
    : QObject(parent), m_options(std::move(options)), m_thread(new QThread),
      m_worker(new PresenceWorker(m_options))
{
    m_worker->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &PresenceWorker::outage, this, &Presence::reportOutage);
}

Presence::~Presence()
{
    if (m_thread->isRunning()) {
        // leave() ends the thread once the row is gone. A database that does not answer must
        // not hold the exit for long: the thread is then left to the end of the process.
        QMetaObject::invokeMethod(m_worker, &PresenceWorker::leave);
        if (!m_thread->wait(5000))
            return;
    } else {
        delete m_worker;
    }
    delete m_thread;
}

void Presence::Start()
{
    m_thread->start();
    QMetaObject::invokeMethod(m_worker, &PresenceWorker::start);
}

void Presence::reportOutage(const QString &error)
{
    WriteErrLog(error, QStringLiteral("Refresh"), QStringLiteral("Presence"),
                MaskPasswords(m_options.connection));
}

// A machine without a network still has itself, as the original socket control said.
QString Presence::OwnAddress()
{
    for (const QHostAddress &address : QNetworkInterface::allAddresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
            return address.toString();
    }
    return QStringLiteral("127.0.0.1");
}
