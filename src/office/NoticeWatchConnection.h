#pragma once
// The notice watch's own connection, kept open on the watch's thread from one look at the board
// to the next. On PostgreSQL it also listens on the channel Notice's trigger announces changes
// on; it runs single statements only and never holds a transaction, inside which nothing would
// arrive. Qt's driver says nothing when a listening connection dies (only IsOpen() turns false)
// and does not listen again after a reopen, so the watch asks IsOpen() often, asks Answers()
// now and then, and the next Open() starts afresh.

#include <QObject>
#include <QSqlDatabase>
#include <QString>

class NoticeWatchConnection : public QObject
{
    Q_OBJECT
public:
    // Lower case: Qt quotes the name it listens on, pg_notify names it as it is.
    static constexpr const char *Channel = "ardenta_notice";

    explicit NoticeWatchConnection(QString connection, QObject *parent = nullptr);
    ~NoticeWatchConnection() override;

    // The open connection, opened afresh (and listening, where the driver can) when it is not.
    // Throws ConnectionError when the database cannot be reached.
    QSqlDatabase Open();
    void Close();
    bool IsOpen() const;
    // A trivial query answered; false closes the connection.
    bool Answers();

    // The driver can listen (PostgreSQL reached directly), but LISTEN was refused, as a standby
    // refuses it; ListenError() has the database's words. Listen() tries again.
    bool MissesAnnouncements() const { return m_canListen && !m_listening; }
    QString ListenError() const { return m_listenError; }
    bool Listen();

Q_SIGNALS:
    // A notice changed; id 0 when the announcement named none.
    void announced(qint64 id);

private:
    QSqlDatabase database() const;

    QString m_connection;
    QString m_name;
    bool m_canListen = false;
    bool m_listening = false;
    QString m_listenError;
};
