// ardenta-loadtest: many users at once on one PostgreSQL database. Each client is a process of
// its own that drives the notice and staff windows headless for a bounded time: it stores
// notices with unique texts, and edits a random handful of staff cells (some rows and fields
// shared by all clients) and saves them, answering the question about colleagues' changes at
// random. Afterwards the database must hold every confirmed notice exactly once, every staff
// cell its initial value or a confirmed write that no later confirmed write should have
// replaced, and no client may have crashed or logged anything but a deliberate failure.
//
// Exit status: 0 passed, 1 failed, 77 skipped (no ARDENTA_TEST_PG outside CI).

#include "BenchSupport.h"
#include "common/ArdentaError.h"
#include "DataSets.h"
#include "db/ClerkFields.h"
#include "db/Database.h"
#include "LoadCheck.h"
#include "notice/frmNotice.h"
#include "staff/frmMain.h"
#include "widgets/FlexGrid.h"

#include <cstdio>
#include <map>
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
#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTextStream>
#include <QThread>
#include <random>
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

// The failure a save may end in when rows change again while their question is open.
const QString ChangedAgain = QStringLiteral("Rows changed again while the user was asked");

// A cell a client changed and has not seen saved yet: what it typed, and the value it replaces.
struct Pending
{
    QString value;
    QString basis;
};
using PendingCells = std::map<std::pair<int, int>, Pending>; // by grid row and field

// The grid rows a save asked about.
QSet<int> AskedRows(const MessageAnswerer &answerer)
{
    static const QRegularExpression rowLine(QStringLiteral("^Row (\\d+) \\("),
                                            QRegularExpression::MultilineOption);
    QSet<int> rows;
    for (const MessageAnswerer::Seen &box : answerer.seen()) {
        for (auto match = rowLine.globalMatch(box.text); match.hasNext();)
            rows.insert(match.next().captured(1).toInt());
    }
    return rows;
}

// The staff part of one round: a few cells edited and saved. A failed save leaves its changes
// in the grid for the next one. Confirmed writes go to writes, counters to counts.
void EditAndSave(int id, int round, frmMain *staff, FlexGrid *grid, MessageAnswerer &answerer,
                 std::mt19937 &random, qint64 &loadedMs, PendingCells &pending, QJsonArray &writes,
                 QJsonObject &counts)
{
    const auto add = [&counts](const char *name, int n) {
        counts[QLatin1String(name)] = counts.value(QLatin1String(name)).toInt() + n;
    };
    if (round == 1 || random() % 2) {
        staff->RefreshDB(); // unsaved changes are thrown away
        loadedMs = QDateTime::currentMSecsSinceEpoch();
        pending.clear();
    }
    const int rows = grid->Rows() - 1 - grid->FixedRows(); // without the new-entry row
    const int hand = 1 + int(random() % 4);
    for (int e = 0; e < hand; ++e) {
        // Half the edits meet on the first rows and two fields, so that clients collide there.
        const bool hot = random() % 2;
        const int row = grid->FixedRows() + int(random() % uint(hot ? std::min(3, rows) : rows));
        const int field = hot ? (random() % 2 ? 2 : 5) : int(random() % 14);
        const QString value = QStringLiteral("c%1r%2e%3").arg(id).arg(round).arg(e);
        Pending &cell =
            pending
                .try_emplace({row, field},
                             Pending{{}, grid->TextMatrix(row, ClerkColumns::GridCol(field))})
                .first->second;
        cell.value = value;
        staff->EditCell(row, ClerkColumns::GridCol(field), value);
    }
    const bool yes = random() % 2;
    answerer.answerQuestions(yes ? QMessageBox::Yes : QMessageBox::No);
    answerer.clear();
    const qint64 start = QDateTime::currentMSecsSinceEpoch();
    staff->SaveData();
    const qint64 end = QDateTime::currentMSecsSinceEpoch();
    answerer.answerQuestions(QMessageBox::No);
    int questions = 0;
    for (const MessageAnswerer::Seen &box : answerer.seen())
        questions += box.icon == QMessageBox::Question;
    add("saves", 1);
    add("edits", hand);
    add("questions", questions);
    add(yes ? "yes" : "no", questions);
    add("failures", answerer.firstCritical().isEmpty() ? 0 : 1);
    // Yes on a row writes over values the user was shown, which this client did not read.
    const QSet<int> overridden = yes ? AskedRows(answerer) : QSet<int>();
    for (auto cell = pending.begin(); cell != pending.end();) {
        const auto [row, field] = cell->first;
        if (staff->HasUnsavedChanges(row)) {
            ++cell;
            continue;
        }
        // Written when the cell shows it once its row holds nothing unsaved; else theirs stayed.
        if (grid->TextMatrix(row, ClerkColumns::GridCol(field)) == cell->second.value) {
            QJsonObject write{
                {QStringLiteral("key"), grid->TextMatrix(row, ClerkColumns::GridKeyCol)},
                {QStringLiteral("field"), field},
                {QStringLiteral("value"), cell->second.value},
                {QStringLiteral("start"), start},
                {QStringLiteral("end"), end},
                {QStringLiteral("loaded"), loadedMs}};
            if (!overridden.contains(row))
                write.insert(QStringLiteral("basis"), cell->second.basis);
            writes.append(write);
        }
        cell = pending.erase(cell);
    }
}

int RunClient(const QCommandLineParser &parser)
{
    const int id = parser.value(QStringLiteral("client")).toInt();
    const qint64 seconds = parser.value(QStringLiteral("seconds")).toLongLong();
    const DBType dialect = ToDBType(qint16(parser.value(QStringLiteral("dialect")).toInt()))
                               .value_or(DBType::TransactSql);
    BenchHome home(parser.value(QStringLiteral("home")));
    OpenSession(parser.value(QStringLiteral("connection")), ClientName(id), dialect);
    // Saved notices are not broadcast: the question is answered No.
    MessageAnswerer answerer(QMessageBox::No);
    std::mt19937 random(uint(id) * 7919u + 1u);

    QJsonArray notices;
    QJsonArray writes;
    QJsonObject counts;
    QStringList problems;
    frmNotice *notice = frmNotice::instance();
    frmMain *staff = frmMain::instance();
    auto *txtNotice = notice->findChild<QTextEdit *>(QStringLiteral("txtNotice"));
    auto *grid = staff->findChild<FlexGrid *>(QStringLiteral("vfgMain"));

    QElapsedTimer clock;
    clock.start();
    qint64 loadedMs = 0;
    PendingCells pending;
    for (int round = 1; clock.elapsed() < seconds * 1000; ++round) {
        const QString text = QStringLiteral("load %1 notice %2").arg(ClientName(id)).arg(round);
        notice->AddNew();
        txtNotice->setPlainText(text);
        answerer.clear();
        notice->SaveData();
        const auto &seen = answerer.seen();
        if (!seen.empty() && seen.front().icon == QMessageBox::Information)
            notices.append(text);
        else
            problems << QStringLiteral("notice save answered \"%1\"")
                            .arg(seen.empty() ? QString() : seen.front().text);
        EditAndSave(id, round, staff, grid, answerer, random, loadedMs, pending, writes, counts);
    }
    const QJsonObject result{{QStringLiteral("notices"), notices},
                             {QStringLiteral("writes"), writes},
                             {QStringLiteral("counts"), counts},
                             {QStringLiteral("problems"), QJsonArray::fromStringList(problems)}};
    std::fputs(QByteArray(ResultTag + QJsonDocument(result).toJson(QJsonDocument::Compact) + '\n')
                   .constData(),
               stdout);
    return 0;
}

QList<LoadCheck::StaffRow> StaffRows(const QString &connection)
{
    QList<LoadCheck::StaffRow> rows;
    for (const QVariantList &row :
         QueryRows(connection, QStringLiteral("Select * From Vw_Clerk"))) {
        LoadCheck::StaffRow staff{row.value(0).toString(), {}};
        for (int f = 1; f < row.size(); ++f)
            staff.fields << row.at(f).toString();
        rows << staff;
    }
    return rows;
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
    QList<LoadCheck::StaffRow> initial;
    try {
        connection = CreatePgDatabase(admin, dbName);
        DataSets::Fill(connection, true, staffRows, 0, 0);
        initial = StaffRows(connection);
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
    std::vector<LoadCheck::CellWrite> writes;
    QJsonObject counts;
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
        for (const QJsonValue &value : report.value(QStringLiteral("writes")).toArray()) {
            const QJsonObject write = value.toObject();
            writes.push_back({write.value(QStringLiteral("key")).toString(),
                              write.value(QStringLiteral("field")).toInt(),
                              write.value(QStringLiteral("value")).toString(),
                              write.value(QStringLiteral("start")).toInteger(),
                              write.value(QStringLiteral("end")).toInteger(),
                              write.value(QStringLiteral("loaded")).toInteger(), client.id,
                              write.contains(QStringLiteral("basis"))
                                  ? write.value(QStringLiteral("basis")).toString()
                                  : QString()});
        }
        const QJsonObject clientCounts = report.value(QStringLiteral("counts")).toObject();
        for (auto it = clientCounts.begin(); it != clientCounts.end(); ++it)
            counts[it.key()] = counts.value(it.key()).toInt() + it.value().toInt();
        for (const QJsonValue &problem : report.value(QStringLiteral("problems")).toArray())
            problems << name + QStringLiteral(": ") + problem.toString();
        // A save may fail on purpose when rows change again while their question is open;
        // nothing else may reach the log.
        const QString log = BenchHome::ErrorLogIn(client.home);
        const int entries = int(log.count(QString(79, u'=')));
        if (entries != int(log.count(ChangedAgain)))
            problems << name + QStringLiteral(" logged: ") + log.left(600);
    }
    const double elapsed = clock.elapsed() / 1000.0;

    try {
        QStringList stored;
        for (const QVariantList &row :
             QueryRows(connection, QStringLiteral("Select Notice_Content From Notice")))
            stored << row.value(0).toString();
        problems << LoadCheck::CheckNotices(stored, confirmedNotices);
        const QList<LoadCheck::StaffRow> rows = StaffRows(connection);
        if (rows.size() != staffRows)
            problems
                << QStringLiteral("%1 staff rows instead of %2").arg(rows.size()).arg(staffRows);
        if (writes.empty())
            problems << QStringLiteral("no staff write was confirmed");
        problems << LoadCheck::CheckCells(initial, rows, writes);
        DropPgDatabase(admin, dbName);
    } catch (const std::exception &error) {
        problems << QStringLiteral("checking the database: ") + QString::fromUtf8(error.what());
    }

    const auto count = [&counts](const char *name) {
        return counts.value(QLatin1String(name)).toInt();
    };
    out() << clients << " clients, " << seconds << " s each, " << staffRows
          << " staff rows: " << confirmedNotices.size() << " notices stored ("
          << QString::number(confirmedNotices.size() / elapsed, 'f', 1) << "/s); " << count("saves")
          << " staff saves, " << count("edits") << " edits, " << writes.size()
          << " confirmed writes, " << LoadCheck::Merges(writes) << " merges, " << count("questions")
          << " questions (" << count("yes") << " Yes, " << count("no") << " No), "
          << count("failures") << " failures; " << QString::number(elapsed, 'f', 1)
          << " s in all, at most " << peakConnections << " connections to the server" << Qt::endl;
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
