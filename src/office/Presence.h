#pragma once
// The host program's row in OnLine, which the notice broadcast reads to find who is online: one
// row for this machine's address, added or taken over on start, its LastSeen refreshed from the
// database server's clock, removed on a clean exit. Each host also deletes rows not seen for
// five refresh periods. The work runs in a thread of its own, so a database that is down never
// freezes the windows; an outage is logged once, not once a minute. A table with UserIP alone
// still works: rows are added and removed, nothing is aged.

#include <ArdentaExport.h>

#include <memory>
#include <QObject>
#include <QString>

class PresenceWorker;
template <typename Worker> class WorkerThread;

class ARDENTA_EXPORT Presence : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        QString connection;
        QString address;
        QString userName;
        int refreshSeconds = 60;
    };

    explicit Presence(Options options, QObject *parent = nullptr);
    // Removes the row, waiting a few seconds at most for a database that does not answer.
    ~Presence() override;

    void Start();

private:
    void reportOutage(const QString &error);

    Options m_options;
    std::unique_ptr<WorkerThread<PresenceWorker>> m_work;
};
