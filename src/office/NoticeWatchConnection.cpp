#include "office/NoticeWatchConnection.h"

#include "office/NoticeWatchStatements.h"

#include "db/ConnectionPool.h"
#include "db/ConnectionString.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

NoticeWatchConnection::NoticeWatchConnection(QString connection, QObject *parent)
    : QObject(parent), m_connection(std::move(connection))
{
}

NoticeWatchConnection::~NoticeWatchConnection()
{
    Close();
}

QSqlDatabase NoticeWatchConnection::database() const
{
    return m_name.isEmpty() ? QSqlDatabase() : QSqlDatabase::database(m_name, false);
}

bool NoticeWatchConnection::IsOpen() const
{
    return !m_name.isEmpty() && database().isOpen();
}

void NoticeWatchConnection::Close()
{
    if (m_name.isEmpty())
        return;
    database().close();
    QSqlDatabase::removeDatabase(std::exchange(m_name, QString()));
    m_canListen = m_listening = false;
}

QSqlDatabase NoticeWatchConnection::Open()
{
    if (IsOpen())
        return database();
    Close();
    // A dead server shows within seconds: the string's PostgreSQL defaults keep TCP alive.
    const QString name = UniqueConnectionName();
    QSqlDatabase db = OpenDatabase(ParseConnectionString(m_connection), name);
    m_name = name;
    // QSQLITE can "listen" too, but only to its own connection's writes.
    m_canListen = db.driverName() == QLatin1String("QPSQL");
    if (m_canListen) {
        connect(db.driver(), &QSqlDriver::notification, this,
                [this](const QString &, QSqlDriver::NotificationSource, const QVariant &payload) {
                    Q_EMIT announced(qMax(0LL, payload.toString().toLongLong()));
                });
        Listen();
    }
    return db;
}

bool NoticeWatchConnection::Listen()
{
    QSqlDatabase db = database();
    if (!m_canListen || !db.isOpen())
        return false;
    m_listening = db.driver()->subscribeToNotification(QLatin1String(Channel));
    m_listenError = m_listening ? QString() : DatabaseErrorText(db.driver()->lastError());
    return m_listening;
}

// Asking for no rows works the same on every engine, Access included.
bool NoticeWatchConnection::Answers()
{
    if (IsOpen() && QSqlQuery(database()).exec(NoticeWatchStatements::Probe()))
        return true;
    Close();
    return false;
}
