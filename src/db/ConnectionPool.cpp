#include "db/ConnectionPool.h"

#include "common/ArdentaError.h"
#include "db/ConnectionString.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <optional>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSqlError>
#include <QThread>
#include <sys/stat.h>

namespace {

// What a SQLite connection was opened on: a file replaced under the same name is another file.
struct FileId
{
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileId &) const = default;
};

std::optional<FileId> fileIdOf(const QString &path)
{
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return FileId{info.st_dev, info.st_ino};
}

struct Kept
{
    QSqlDatabase db;
    QString name;
    QElapsedTimer idle;
    std::optional<FileId> file; // SQLite only
};

using Key = std::pair<QString, Qt::HANDLE>;

struct Pool
{
    QMutex mutex;
    std::map<Key, Kept> kept;
    std::map<QString, QString> operators; // by connection string
    std::atomic<int> opens{0};
    int idleSeconds = 60;
    bool closesAtQuit = false;
};

// Never destroyed: connections are closed by CloseAll, not by a static destructor that may run
// after the SQL drivers are gone.
Pool &pool()
{
    static Pool *instance = new Pool;
    return *instance;
}

void close(Kept &kept)
{
    const QString name = kept.name;
    kept.db = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
}

void configure(QSqlDatabase &db, const ConnectionSettings &settings)
{
    db.setDatabaseName(settings.databaseName);
    if (!settings.hostName.isEmpty())
        db.setHostName(settings.hostName);
    if (settings.port > 0)
        db.setPort(settings.port);
    if (!settings.userName.isEmpty())
        db.setUserName(settings.userName);
    if (!settings.password.isEmpty())
        db.setPassword(settings.password);
    QString options = settings.connectOptions;
    if (settings.backend == DbBackend::SQLite)
        options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"); // other users may be writing
    if (!options.isEmpty())
        db.setConnectOptions(options);
}

// A server starting or shutting down, and a standby being promoted while the old primary is
// gone, refuse a connection for a moment. libpq's words, perhaps in the user's language, are
// all there is to tell that from a wrong password, so every failure is tried again for a few
// seconds, at short intervals: a promotion takes a fraction of a second.
bool openPatiently(QSqlDatabase &db, const ConnectionSettings &settings)
{
    const QDeadlineTimer deadline(3000); // an attempt that times out uses it up
    if (db.open())
        return true;
    if (settings.backend != DbBackend::PostgreSQL)
        return false;
    int pause = 100;
    while (!deadline.hasExpired()) {
        QThread::msleep(ulong(std::min<qint64>(pause, deadline.remainingTime())));
        if (db.open())
            return true;
        pause = std::min(pause * 2, 250);
    }
    return false;
}

} // namespace

QString UniqueConnectionName()
{
    static std::atomic<quint64> counter{0};
    return QStringLiteral("QLX_Ardenta-%1").arg(++counter);
}

QString DatabaseErrorText(const QSqlError &error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    // PostgreSQL adds position hints below its first line.
    text = text.section(QLatin1Char('\n'), 0, 0).trimmed();
    if (text.startsWith(QLatin1String("ERROR:")))
        text = text.mid(6).trimmed();
    return text.isEmpty() ? QStringLiteral("Unknown database error") : text;
}

QSqlDatabase OpenDatabase(const ConnectionSettings &settings, const QString &name, bool createFile)
{
    if (!settings.isValid())
        throw ConnectionError(settings.error);
    if (settings.backend == DbBackend::SQLite && !createFile &&
        settings.databaseName != QLatin1String(":memory:") &&
        !QFileInfo::exists(settings.databaseName))
        throw ConnectionError(
            QStringLiteral("The database file \"%1\" does not exist.").arg(settings.databaseName));
    if (!QSqlDatabase::isDriverAvailable(settings.driver))
        throw ConnectionError(
            QStringLiteral("The Qt SQL driver %1 is not installed.").arg(settings.driver));
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(settings.driver, name);
        configure(db, settings);
        if (openPatiently(db, settings))
            return db;
        error = DatabaseErrorText(db.lastError());
    }
    QSqlDatabase::removeDatabase(name);
    throw ConnectionError(error);
}

namespace ConnectionPool {

QSqlDatabase Take(const QString &connection, bool *reused)
{
    Pool &p = pool();
    const Key key{connection, QThread::currentThreadId()};
    {
        QMutexLocker lock(&p.mutex);
        if (auto found = p.kept.find(key); found != p.kept.end()) {
            Kept &kept = found->second;
            const bool stale = kept.idle.elapsed() >= qint64(p.idleSeconds) * 1000 ||
                               (kept.file && kept.file != fileIdOf(kept.db.databaseName()));
            if (!stale && kept.db.isOpen()) {
                kept.idle.restart();
                *reused = true;
                return kept.db;
            }
            close(kept);
            p.kept.erase(found);
        }
    }
    const ConnectionSettings settings = ParseConnectionString(connection);
    Kept kept;
    kept.name = UniqueConnectionName();
    kept.db = OpenDatabase(settings, kept.name);
    if (settings.backend == DbBackend::SQLite)
        kept.file = fileIdOf(settings.databaseName);
    kept.idle.start();
    ++p.opens;
    QMutexLocker lock(&p.mutex);
    if (!p.closesAtQuit && QCoreApplication::instance()) {
        p.closesAtQuit = true;
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, &CloseAll);
    }
    *reused = false;
    return p.kept.insert_or_assign(key, std::move(kept)).first->second.db;
}

void Discard(const QString &connection)
{
    Pool &p = pool();
    QMutexLocker lock(&p.mutex);
    if (auto found = p.kept.find({connection, QThread::currentThreadId()}); found != p.kept.end()) {
        close(found->second);
        p.kept.erase(found);
    }
}

void CloseAll()
{
    // Without an application the library is being finalised, after the SQL drivers' own
    // clean-up: the operating system closes what is left.
    if (!QCoreApplication::instance())
        return;
    Pool &p = pool();
    QMutexLocker lock(&p.mutex);
    const Qt::HANDLE thread = QThread::currentThreadId();
    for (auto it = p.kept.begin(); it != p.kept.end();) {
        if (it->first.second == thread) {
            close(it->second);
            it = p.kept.erase(it);
        } else {
            ++it;
        }
    }
}

void DeclareOperator(const QString &connection, const QString &operatorName)
{
    Pool &p = pool();
    QMutexLocker lock(&p.mutex);
    p.operators[connection] = operatorName;
}

QString DeclaredOperator(const QString &connection)
{
    Pool &p = pool();
    QMutexLocker lock(&p.mutex);
    const auto found = p.operators.find(connection);
    return found == p.operators.end() ? QString() : found->second;
}

int OpenCount()
{
    return pool().opens;
}

void SetIdleSeconds(int seconds)
{
    pool().idleSeconds = seconds;
}

} // namespace ConnectionPool
