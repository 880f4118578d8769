// ardenta-loadtest: many users at once on one PostgreSQL database. Each client is a process of
// its own that drives the notice and staff windows headless for a bounded time: it stores
// notices with unique texts and saves the whole staff grid with values that name the save.
// Afterwards the database must hold every confirmed notice exactly once, each staff row must be
// one whole save that nobody overwrote later, and no client may have crashed or logged an error.
//
// Exit status: 0 passed, 1 failed, 77 skipped (no ARDENTA_TEST_PG outside CI).

#include "BenchSupport.h"
#include "common/ArdentaError.h"
#include "DataSets.h"
#include "db/Database.h"
#include "LoadCheck.h"
#include "notice/frmNotice.h"
#include "staff/frmMain.h"
#include "widgets/FlexGrid.h"

#include <cstdio>
#include <memory>
#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTextStream>
#include <QThread>
#include <vector>

namespace {

const QByteArray ResultTag = QByteArrayLiteral("RESULT ");
constexpr int SkipStatus = 77;

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QString ClientName(int id)
{
    return QStringLiteral("client%1").arg(id, 2, 10, QLatin1Char('0'));
}

// ---- one client ----

int RunClient(const QCommandLineParser &parser)
{
    const int id = parser.value(QStringLiteral("client")).toInt();
    const qint64 seconds = parser.value(QStringLiteral("seconds")).toLongLong();
    const auto dialect = qint16(parser.value(QStringLiteral("dialect")).toInt());
    BenchHome home(parser.value(QStringLiteral("home")));
    OpenSession(parser.value(QStringLiteral("connection")), ClientName(id), dialect);
    // Saved notices are not broadcast: the question is answered No.
    MessageAnswerer answerer(QMessageBox::No);

    QJsonArray notices;
    QJsonArray saves;
    QStringList problems;
    frmNotice *notice = frmNotice::instance();
    frmMain *staff = frmMain::instance();
    auto *txtNotice = notice->findChild<QTextEdit *>(QStringLiteral("txtNotice"));
    auto *grid = staff->findChild<FlexGrid *>(QStringLiteral("vfgMain"));

    const auto confirmed = [&answerer, &problems](const char *what) {
        const QString critical = answerer.firstCritical();
        if (!critical.isEmpty()) {
            problems << QStringLiteral("%1 answered \"%2\"").arg(QLatin1String(what), critical);
            return false;
        }
        const auto &seen = answerer.seen();
        const bool saved = !seen.empty() && seen.front().icon == QMessageBox::Information;
        if (!saved)
            problems << QStringLiteral("%1 showed no confirmation").arg(QLatin1String(what));
        return saved;
    };

    QElapsedTimer clock;
    clock.start();
    for (int round = 1; clock.elapsed() < seconds * 1000; ++round) {
        const QString text = QStringLiteral("load %1 notice %2").arg(ClientName(id)).arg(round);
        notice->AddNew();
        txtNotice->setPlainText(text);
        answerer.clear();
        notice->SaveData();
        if (confirmed("notice save"))
            notices.append(text);

        const QString token = QStringLiteral("c%1s%2").arg(id).arg(round);
        // Every saved row (the last one is the empty new-entry row) gets values naming this save.
        for (int row = grid->FixedRows(); row < grid->Rows() - 1; ++row) {
            const QString key = grid->TextMatrix(row, 1);
            for (int col = 2; col <= 15; ++col)
                grid->setTextMatrix(row, col, LoadCheck::FieldValue(token, key, col - 2));
        }
        answerer.clear();
        const qint64 start = QDateTime::currentMSecsSinceEpoch();
        staff->SaveData();
        const qint64 end = QDateTime::currentMSecsSinceEpoch();
        if (confirmed("staff save"))
            saves.append(QJsonObject{{QStringLiteral("token"), token},
                                     {QStringLiteral("start"), start},
                                     {QStringLiteral("end"), end}});
    }
    const QJsonObject result{{QStringLiteral("notices"), notices},
                             {QStringLiteral("saves"), saves},
                             {QStringLiteral("problems"), QJsonArray::fromStringList(problems)}};
    std::fputs(QByteArray(ResultTag + QJsonDocument(result).toJson(QJsonDocument::Compact) + '\n')
                   .constData(),
               stdout);
    return 0;
}

// ---- the test ----

struct Client
{
    int id = 0;
    QString home;
    std::unique_ptr<QProcess> process;
};

int RunTest(const QCommandLineParser &parser)
{
    const QString admin = qEnvironmentVariable("ARDENTA_TEST_PG");
    if (admin.isEmpty()) {
        out() << "ARDENTA_TEST_PG is not set; run through scripts/pg-test." << Qt::endl;
        return InCi() ? 1 : SkipStatus;
    }
    const int clients = qMax(1, parser.value(QStringLiteral("clients")).toInt());
    const int seconds = qMax(1, parser.value(QStringLiteral("seconds")).toInt());
    const int staffRows = qMax(1, parser.value(QStringLiteral("staff")).toInt());

    const QString dbName =
        QStringLiteral("ardenta_load_%1").arg(QCoreApplication::applicationPid());
    QString connection;
    try {
        connection = CreatePgDatabase(admin, dbName);
        DataSets::Fill(connection, true, staffRows, 0, 0);
    } catch (const std::exception &error) {
        out() << "cannot prepare the database: " << error.what() << Qt::endl;
        return 1;
    }

    QTemporaryDir work;
    std::vector<Client> running;
    QElapsedTimer clock;
    clock.start();
    for (int id = 0; id < clients; ++id) {
        Client client;
        client.id = id;
        client.home = work.filePath(ClientName(id));
        client.process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        client.process->setProcessEnvironment(env);
        // Half the clients write one statement per call, half one batch per save.
        client.process->start(QCoreApplication::applicationFilePath(),
                              {QStringLiteral("--client"), QString::number(id),
                               QStringLiteral("--connection"), connection,
                               QStringLiteral("--seconds"), QString::number(seconds),
                               QStringLiteral("--dialect"), QString::number(id % 2),
                               QStringLiteral("--home"), client.home});
        running.push_back(std::move(client));
    }

    QStringList problems;
    // While they work, the server never holds more connections to the database than clients:
    // each keeps one.
    int peakConnections = 0;
    try {
        WithConnection(connection, [&](QSqlDatabase &db) {
            QSqlQuery count(db);
            for (bool working = true; working && clock.elapsed() < (seconds + 300) * 1000;) {
                ExecStatement(count, QStringLiteral("Select count(*) From pg_stat_activity Where "
                                                    "datname=current_database() And "
                                                    "pid<>pg_backend_pid()"));
                if (count.next())
                    peakConnections = std::max(peakConnections, count.value(0).toInt());
                working = false;
                for (Client &client : running) {
                    client.process->waitForFinished(0); // takes note of an exit
                    working = working || client.process->state() != QProcess::NotRunning;
                }
                QThread::msleep(100);
            }
        });
    } catch (const std::exception &error) {
        problems << QStringLiteral("counting connections: ") + ErrorText(error);
    }
    if (peakConnections > clients)
        problems
            << QStringLiteral("%1 connections for %2 clients").arg(peakConnections).arg(clients);
    QStringList confirmedNotices;
    std::vector<LoadCheck::Save> saves;
    for (Client &client : running) {
        const QString name = ClientName(client.id);
        if (client.process->state() != QProcess::NotRunning &&
            !client.process->waitForFinished((seconds + 300) * 1000)) {
            client.process->kill();
            client.process->waitForFinished();
            problems << name + QStringLiteral(" did not finish");
        }
        if (client.process->exitStatus() != QProcess::NormalExit || client.process->exitCode() != 0)
            problems << QStringLiteral("%1 crashed or failed (exit %2): %3")
                            .arg(name)
                            .arg(client.process->exitCode())
                            .arg(QString::fromUtf8(
                                client.process->readAllStandardError().right(400)));
        QJsonObject report;
        const QList<QByteArray> lines = client.process->readAllStandardOutput().split('\n');
        for (const QByteArray &line : lines) {
            if (line.startsWith(ResultTag))
                report = QJsonDocument::fromJson(line.mid(ResultTag.size())).object();
        }
        if (report.isEmpty())
            problems << name + QStringLiteral(" reported nothing");
        for (const QJsonValue &text : report.value(QStringLiteral("notices")).toArray())
            confirmedNotices << text.toString();
        for (const QJsonValue &value : report.value(QStringLiteral("saves")).toArray()) {
            const QJsonObject save = value.toObject();
            saves.push_back({save.value(QStringLiteral("token")).toString(),
                             save.value(QStringLiteral("start")).toInteger(),
                             save.value(QStringLiteral("end")).toInteger()});
        }
        for (const QJsonValue &problem : report.value(QStringLiteral("problems")).toArray())
            problems << name + QStringLiteral(": ") + problem.toString();
        const QString log = BenchHome::ErrorLogIn(client.home);
        if (!log.isEmpty())
            problems << name + QStringLiteral(" logged: ") + log.left(600);
    }
    const double elapsed = clock.elapsed() / 1000.0;

    try {
        QStringList stored;
        for (const QVariantList &row :
             QueryRows(connection, QStringLiteral("Select Notice_Content From Notice")))
            stored << row.value(0).toString();
        problems << LoadCheck::CheckNotices(stored, confirmedNotices);
        QList<LoadCheck::StaffRow> rows;
        for (const QVariantList &row :
             QueryRows(connection, QStringLiteral("Select * From Vw_Clerk"))) {
            LoadCheck::StaffRow staff{row.value(0).toString(), {}};
            for (int f = 1; f < row.size(); ++f)
                staff.fields << row.at(f).toString();
            rows << staff;
        }
        if (rows.size() != staffRows)
            problems
                << QStringLiteral("%1 staff rows instead of %2").arg(rows.size()).arg(staffRows);
        problems << LoadCheck::CheckStaff(rows, saves);
        DropPgDatabase(admin, dbName);
    } catch (const std::exception &error) {
        problems << QStringLiteral("checking the database: ") + QString::fromUtf8(error.what());
    }

    out() << clients << " clients, " << seconds << " s each, " << staffRows
          << " staff rows: " << confirmedNotices.size() << " notices stored ("
          << QString::number(confirmedNotices.size() / elapsed, 'f', 1) << "/s), " << saves.size()
          << " grid saves (" << QString::number(saves.size() * staffRows / elapsed, 'f', 0)
          << " rows/s), " << QString::number(elapsed, 'f', 1) << " s in all, at most "
          << peakConnections << " connections to the server" << Qt::endl;
    for (const QString &problem : std::as_const(problems))
        out() << "FAILED: " << problem << Qt::endl;
    out() << (problems.isEmpty() ? "PASSED" : "FAILED") << Qt::endl;
    return problems.isEmpty() ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    bool client = false;
    for (int i = 1; i < argc; ++i)
        client = client || qstrcmp(argv[i], "--client") == 0;
    if (client && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app(client ? new QApplication(argc, argv)
                                                 : new QCoreApplication(argc, argv));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Concurrent clients saving notices and staff rows on PostgreSQL."));
    parser.addHelpOption();
    parser.addOptions(
        {{QStringLiteral("clients"), QStringLiteral("Client processes (default 20)."),
          QStringLiteral("N"), QStringLiteral("20")},
         {QStringLiteral("seconds"), QStringLiteral("How long each client works (default 10)."),
          QStringLiteral("S"), QStringLiteral("10")},
         {QStringLiteral("staff"), QStringLiteral("Staff rows every save writes (default 20)."),
          QStringLiteral("N"), QStringLiteral("20")},
         {QStringLiteral("client"), QStringLiteral("Run as client number ID."),
          QStringLiteral("ID")},
         {QStringLiteral("connection"), QStringLiteral("Client: the database."),
          QStringLiteral("STR")},
         {QStringLiteral("dialect"), QStringLiteral("Client: SQL dialect 0 or 1."),
          QStringLiteral("N"), QStringLiteral("0")},
         {QStringLiteral("home"), QStringLiteral("Client: its application folder."),
          QStringLiteral("DIR")}});
    parser.process(*app);
    return client ? RunClient(parser) : RunTest(parser);
}
