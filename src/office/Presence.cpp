#include "office/Presence.h"

#include "common/ErrLog.h"
#include "db/ConnectionString.h"
#include "office/PresenceWorker.h"
#include "office/WorkerThread.h"

Presence::Presence(Options options, QObject *parent)
    : QObject(parent), m_options(std::move(options)),
      // leave() removes the row, then ends the thread.
      m_work(std::make_unique<WorkerThread<PresenceWorker>>(new PresenceWorker(m_options),
                                                            &PresenceWorker::leave))
{
    connect(m_work->worker(), &PresenceWorker::outage, this, &Presence::reportOutage);
}

Presence::~Presence() = default;

void Presence::Start()
{
    m_work->Start(&PresenceWorker::start);
}

void Presence::reportOutage(const QString &error)
{
    WriteErrLog(error, QStringLiteral("Refresh"), QStringLiteral("Presence"),
                MaskPasswords(m_options.connection));
}
