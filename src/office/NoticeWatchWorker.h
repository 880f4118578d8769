#pragma once
// NoticeWatch's database work, in NoticeWatch's own thread.

#include "office/NoticeWatch.h"
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
    };
    // From the GUI thread: queues a datagram for verifyQueued; true when the queue was empty, so
    // that a call of verifyQueued is due.
    bool queue(Datagram datagram);

public Q_SLOTS:
    void start();
    // One look at the board for all datagrams queued, however many a flood brings.
    void verifyQueued();
    void check();
    void stop();

Q_SIGNALS:
    void found(const StoredNotice &notice);
    void notFound(const QString &sender);
    void caughtUp(const QList<StoredNotice> &notices);
    // The first failure of an outage (the next success ends it), or seen.ini not written.
    void failed(const QString &procedure, const QString &error);

private:
    void catchUp(QSqlDatabase &db);
    // Runs work on a connection of its own; false when the database could not be reached.
    bool run(const std::function<void(QSqlDatabase &, SqlEngine)> &work);
    void save();

    NoticeWatch::Options m_options;
    SeenNotices m_seen;
    QTimer m_timer;
    QDateTime m_lastCheck;
    bool m_down = false;
    QMutex m_queueLock;
    std::vector<Datagram> m_queue;
};
