#pragma once
// The host program's watch over the notice board, so that notices everyone can trust reach
// everyone, once each, on any network: a datagram pops up only when a notice on the board
// stands for it (the sender's name and a start of text are easily forged; the board is not),
// shown as stored; on PostgreSQL the board's own announcements (Notice's trigger) prompt a look
// at once; on every engine a look every CheckSeconds finds what no datagram and no announcement
// brought; and notices by others saved while the host was off, asleep or cut off pop up as a
// catch-up when it is back. The database work runs in a thread of its own, on a connection it
// keeps; what a user has been shown is kept per database and operator in
// $XDG_STATE_HOME/ardenta/seen.ini.

#include <ArdentaExport.h>

#include <memory>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QString>

class NoticeWatchWorker;
template <typename Worker> class WorkerThread;

// A notice as the board holds it.
struct StoredNotice
{
    qint64 Id = 0;
    QString Publisher;
    QString Content;
};

class ARDENTA_EXPORT NoticeWatch : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        QString connection;
        QString operatorName;
        int checkSeconds = 30; // how often the board is looked at
    };

    explicit NoticeWatch(Options options, QObject *parent = nullptr);
    ~NoticeWatch() override;

    // Catches up at once, then keeps looking.
    void Start();
    // Looks for the notice a datagram stands for among the newest on the board.
    void Verify(const QString &publisher, const QString &content, const QString &sender);
    // A datagram shown as it came, unverified: the notice it stands for does not pop up again.
    void ShownAsSent(const QString &publisher, const QString &content);

    // How many notices of the newest a datagram is looked for among.
    static constexpr int Newest = 20;

Q_SIGNALS:
    // A notice by someone else as it arrived, by datagram, announcement or check.
    void Found(const StoredNotice &notice);
    // Notices by others the user has not been shown, found after time away, oldest first.
    void CaughtUp(const QList<StoredNotice> &notices);
    // Notices inserted, changed or deleted (the user's own too), for an open notice board to
    // read again.
    void Changed(const QList<qint64> &ids);

private:
    void queue(const QString &publisher, const QString &content, const QString &sender,
               bool shownAsSent);
    void notFound(const QString &sender);

    Options m_options;
    std::unique_ptr<WorkerThread<NoticeWatchWorker>> m_work;
    QHash<QString, QElapsedTimer> m_logged; // sender address -> when its forgery was logged
};

Q_DECLARE_METATYPE(StoredNotice)
