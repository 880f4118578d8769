#pragma once
// NoticeWatch's database work, in NoticeWatch's own thread, on a connection it keeps there.

#include "office/NoticeWatch.h"
#include "office/NoticeWatchConnection.h"
#include "office/SeenNotices.h"

#include <functional>
#include <QDateTime>
#include <QMutex>
#include <QTimer>
#include <vector>

class QSqlDatabase;
enum class SqlEngine;

class NoticeWatchWorker : public QObject
{
    Q_OBJECT
public:
    explicit NoticeWatchWorker(NoticeWatch::Options options);

    struct Datagram
    {
        QString Publisher;
        QString Content;
        QString Sender;
        // Shown as it came (unverified): the notice it stands for only counts as shown.
        bool ShownAsSent = false;
    };
    // From the GUI thread: queues a datagram for verifyQueued; true when the queue was empty, so
    // that a call of verifyQueued is due.
    bool queue(Datagram datagram);

    // How often the kept connection is looked at (IsOpen), and every how many of those it is
    // asked a query; while the database is away, how often it is tried again.
    static constexpr int PulseMs = 1000;
    static constexpr int ProbeEvery = 5;

public Q_SLOTS:
    void start();
    // One look at the board for all datagrams queued, however many a flood brings.
    void verifyQueued();
    // The periodic look at the board: notices not shown yet pop up, whatever way they missed.
    void check();
    void stop();

Q_SIGNALS:
    // A notice by someone else, found as it arrived.
    void found(const StoredNotice &notice);
    void notFound(const QString &sender);
    // Notices by others found after time away (a start, an outage, sleep), oldest first.
    void caughtUp(const QList<StoredNotice> &notices);
    // Notices inserted, changed or deleted, as far as the watch learnt of them.
    void changed(const QList<qint64> &ids);
    // The first failure of an outage (the next success ends it), or seen.ini not written.
    void failed(const QString &procedure, const QString &error);

private:
    enum class Arrival { Live, Away };
    void look(Arrival arrival);
    void announced(qint64 id);
    void pulse();
    void noteListening();
    void noteTime();
    QList<StoredNotice> readNew(QSqlDatabase &db, QList<qint64> *ids);
    // Runs work on the kept connection; false when the database could not be read.
    bool run(const QString &procedure, const std::function<void(QSqlDatabase &, SqlEngine)> &work);
    void saveSoon();
    void save();

    NoticeWatch::Options m_options;
    SeenNotices m_seen;
    NoticeWatchConnection m_link;
    QTimer m_timer;
    QTimer m_pulse;
    QTimer m_saving;
    int m_pulses = 0;
    QDateTime m_lastPulse;
    bool m_slept = false;
    bool m_down = false;
    bool m_listenLogged = false;
    bool m_saveFailed = false;
    bool m_lookDue = false;
    QList<qint64> m_announced;
    QMutex m_queueLock;
    std::vector<Datagram> m_queue;
};
