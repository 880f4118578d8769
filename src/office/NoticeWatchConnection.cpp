#include "office/NoticeWatchConnection.h"

#include "db/ConnectionPool.h"
#include "db/ConnectionString.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

namespace {
// Over TCP a dead peer must show within seconds, not after the system's retransmission time:
// keepalives for an idle connection, a user timeout for a statement left unanswered.
const QString LivenessOptions = QStringLiteral(
    "keepalives_idle=10;keepalives_interval=5;keepalives_count=3;tcp_user_timeout=15000");
} // namespace

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
    ConnectionSettings settings = ParseConnectionString(m_connection);
    if (settings.backend == DbBackend::PostgreSQL) // the string's own options come last and win
        settings.connectOptions = QStringList{LivenessOptions, settings.connectOptions}.join(u';');
    const QString name = UniqueConnectionName();
    QSqlDatabase db = OpenDatabase(settings, name);
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
    static const QString probe = QStringLiteral("Select Notice_ID From Notice Where 1=0");
    if (IsOpen() && QSqlQuery(database()).exec(probe))
        return true;
    Close();
    return false;
}
