#include "DeliveryScenario.h"

#include "BenchSupport.h"
#include "common/ArdentaError.h"
#include "db/ConnectionPool.h"
#include "db/ConnectionString.h"
#include "db/Database.h"
#include "Measurement.h"
#include "Scenarios.h"

#include <chrono>
#include <map>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QNetworkDatagram>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUdpSocket>

namespace {

constexpr int Notices = 200;
constexpr int ApartMs = 100;
const QString HostAddress = QStringLiteral("127.0.0.5");
const QString Writer = QStringLiteral("bench-writer");

qint64 MonotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void ProcessEventsFor(int ms)
{
    for (QDeadlineTimer deadline(ms); !deadline.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// The host program with its own settings and state: the check far off, so that what it finds
// came by announcement or datagram; no session bus, so that nothing pops up on a desktop.
class Host
{
public:
    Host(const ScenarioSetup &setup, const BenchHome &home)
    {
        QDir().mkpath(m_xdg.filePath(QStringLiteral("config/ardenta")));
        QFile conf(m_xdg.filePath(QStringLiteral("config/ardenta/ardenta.conf")));
        if (!conf.open(QIODevice::WriteOnly) || conf.write("[Notice]\nCheckSeconds=3600\n") < 0)
            throw ArdentaError(QStringLiteral("Cannot write ") + conf.fileName());
        conf.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("ARDENTA_BENCH_MARKS"), QStringLiteral("1"));
        env.insert(QStringLiteral("ARDENTA_HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_xdg.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_STATE_HOME"), m_xdg.filePath(QStringLiteral("state")));
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        m_process.setProcessEnvironment(env);
        m_process.setStandardErrorFile(QProcess::nullDevice()); // its warnings are no result
        m_process.start(QCoreApplication::applicationDirPath() +
                            QStringLiteral("/../src/host/ardenta"),
                        {"--connection", setup.connection, "--operator", "bench-reader",
                         "--language", "ENG", "--no-presence", "--address", HostAddress});
    }
    ~Host()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
    }
    // Its watch has taken the board as it stands: what is inserted now is news to it.
    bool Ready()
    {
        const QString seen = m_xdg.filePath(QStringLiteral("state/ardenta/seen.ini"));
        for (QDeadlineTimer deadline(60000); !deadline.hasExpired(); ProcessEventsFor(50)) {
            if (QFile::exists(seen))
                return true;
            if (m_process.state() == QProcess::NotRunning)
                return false;
        }
        return false;
    }
    // Notice id -> when the host's watch found it, from its marks so far; *twice counts ids
    // found more than once.
    std::map<qint64, qint64> Found(int *twice)
    {
        m_out += m_process.readAllStandardOutput();
        std::map<qint64, qint64> found;
        *twice = 0;
        for (const QByteArray &line : m_out.split('\n')) {
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() == 4 && parts[0] == "MARK" && parts[1] == "found")
                *twice += !found.emplace(parts[2].toLongLong(), parts[3].toLongLong()).second;
        }
        return found;
    }

private:
    QTemporaryDir m_xdg;
    QProcess m_process;
    QByteArray m_out;
};

// When the bare transport brought each notice to this process.
class BareReceiver : public QObject
{
public:
    std::map<qint64, qint64> arrived;
    QUdpSocket socket;

    // PostgreSQL: subscribed to the board's announcements, as the watch is.
    void Listen(const QString &connection)
    {
        QSqlDatabase db = OpenDatabase(ParseConnectionString(connection), m_name);
        if (!db.driver()->subscribeToNotification(QStringLiteral("ardenta_notice")))
            throw ArdentaError(QStringLiteral("The bare listener could not subscribe"));
        connect(db.driver(), &QSqlDriver::notification, this,
                [this](const QString &, QSqlDriver::NotificationSource, const QVariant &payload) {
                    arrived.emplace(payload.toLongLong(), MonotonicNs());
                });
    }
    // Loopback: the datagram names the notice.
    void Bind()
    {
        if (!socket.bind(QHostAddress::LocalHost, 0))
            throw ArdentaError(QStringLiteral("Cannot bind: ") + socket.errorString());
        connect(&socket, &QUdpSocket::readyRead, this, [this] {
            while (socket.hasPendingDatagrams()) {
                const QByteArray text = socket.receiveDatagram().data();
                arrived.emplace(text.mid(text.lastIndexOf('#') + 1).toLongLong(), MonotonicNs());
            }
        });
    }
    ~BareReceiver() override
    {
        if (QSqlDatabase::contains(m_name))
            QSqlDatabase::removeDatabase(m_name);
    }

private:
    const QString m_name = UniqueConnectionName();
};

// Seconds from each commit to its arrival; *missing counts notices that never arrived.
std::vector<double> Latencies(const std::map<qint64, qint64> &inserted,
                              const std::map<qint64, qint64> &arrived, int *missing)
{
    std::vector<double> seconds;
    *missing = 0;
    for (const auto &[id, at] : inserted) {
        const auto found = arrived.find(id);
        if (found == arrived.end())
            ++*missing;
        else
            seconds.push_back(double(found->second - at) / 1e9);
    }
    return seconds;
}

// The notices, 100 ms apart: id -> when its insert was committed. *inserts gets each insert's
// own seconds. With a port, each goes as a datagram too, as the notice window sends it.
std::map<qint64, qint64> InsertNotices(const QString &connection, BareReceiver &bare, quint16 port,
                                       std::vector<double> *inserts)
{
    std::map<qint64, qint64> inserted;
    QUdpSocket sender;
    WithConnection(connection, [&](QSqlDatabase &db) {
        QSqlQuery insert(db);
        for (int i = 0; i < Notices; ++i) {
            const QString content = QStringLiteral("delivery %1").arg(i);
            const qint64 start = MonotonicNs();
            ExecStatement(insert, QStringLiteral("Insert Into Notice(Notice_Publisher,"
                                                 "Notice_Content) Values('%1','%2') Returning "
                                                 "Notice_ID")
                                      .arg(Writer, content));
            const qint64 id = insert.next() ? insert.value(0).toLongLong() : 0;
            insert.finish(); // SQLite commits a statement with rows only now
            const qint64 committed = MonotonicNs();
            inserted.emplace(id, committed);
            inserts->push_back(double(committed - start) / 1e9);
            if (port != 0) {
                // The bare socket's copy names the id, and goes first: waking the host may hand
                // it the processor.
                const QByteArray text = ("###Notice###~!" + Writer + "~!" + content).toUtf8();
                sender.writeDatagram(text + '#' + QByteArray::number(id), QHostAddress::LocalHost,
                                     bare.socket.localPort());
                sender.writeDatagram(text, QHostAddress(HostAddress), port);
            }
            ProcessEventsFor(ApartMs);
        }
    });
    return inserted;
}

} // namespace

void NoticeDelivery(const ScenarioSetup &setup, Measurement &m, const BenchHome &home)
{
    const bool datagram = !setup.postgres;
    const quint16 port = FreeUdpPort();
    home.writeConfig(FreeUdpPort(), port);
    BareReceiver bare;
    if (datagram)
        bare.Bind();
    else
        bare.Listen(setup.connection);
    Host host(setup, home);
    m.check(host.Ready(), QStringLiteral("the host program's watch did not start"));
    std::vector<double> inserts;
    const std::map<qint64, qint64> inserted =
        InsertNotices(setup.connection, bare, datagram ? port : 0, &inserts);
    int twice = 0;
    std::map<qint64, qint64> found = host.Found(&twice);
    for (QDeadlineTimer last(5000); found.size() < inserted.size() && !last.hasExpired();) {
        ProcessEventsFor(50);
        found = host.Found(&twice);
    }
    int missing = 0;
    int bareMissing = 0;
    const std::vector<double> module = Latencies(inserted, found, &missing);
    const std::vector<double> baseline = Latencies(inserted, bare.arrived, &bareMissing);
    m.check(missing == 0, QStringLiteral("%1 notices never found by the host").arg(missing));
    m.check(twice == 0, QStringLiteral("%1 notices found twice").arg(twice));
    m.check(bareMissing == 0,
            QStringLiteral("%1 notices never reached the bare receiver").arg(bareMissing));
    // The target is on the 95th percentile; the medians go to the notes.
    m.record(Percentile(module, 0.95), Percentile(baseline, 0.95));
    m.extra().insert(QStringLiteral("one_run"), true);
    m.extra().insert(QStringLiteral("delivery_p50_ms"), Median(module) * 1000);
    m.extra().insert(QStringLiteral("bare_p50_ms"), Median(baseline) * 1000);
    m.extra().insert(QStringLiteral("insert_p50_ms"), Median(inserts) * 1000);
    m.extra().insert(QStringLiteral("path"), datagram ? QStringLiteral("datagram on loopback")
                                                      : QStringLiteral("through the database"));
}
