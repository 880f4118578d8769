// ardenta-bench: times the module's windows and services against bare QtSql and UDP baselines on
// generated data in SQLite and (with ARDENTA_TEST_PG) PostgreSQL. Each scenario runs in a child
// process of this program so that peak memory is its own.

#include "BenchSupport.h"
#include "DataSets.h"
#include "Scenarios.h"
#include "ScreenScenarios.h"
#include "VirtualScreen.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

namespace {

const QByteArray ResultTag = QByteArrayLiteral("RESULT ");
// A scenario whose next size is expected to take longer than this per run is left out there.
constexpr double MaxExpectedRunSeconds = 150;

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

QString CpuModel()
{
    QFile info(QStringLiteral("/proc/cpuinfo"));
    if (info.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> lines = info.readAll().split('\n');
        for (const QByteArray &line : lines) {
            if (line.startsWith("model name"))
                return QString::fromUtf8(line.mid(line.indexOf(':') + 1).trimmed());
        }
    }
    return QStringLiteral("unknown");
}

QString Thousands(qint64 n)
{
    return QLocale(QLocale::English).toString(n);
}

int RunChild(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOptions({{QStringLiteral("child"), QString(), QStringLiteral("scenario")},
                       {QStringLiteral("connection"), QString(), QStringLiteral("string")},
                       {QStringLiteral("engine"), QString(), QStringLiteral("name")},
                       {QStringLiteral("n"), QString(), QStringLiteral("rows")},
                       {QStringLiteral("runs"), QString(), QStringLiteral("count")},
                       {QStringLiteral("budget"), QString(), QStringLiteral("seconds")}});
    parser.process(app);
    ScenarioSetup setup;
    setup.name = parser.value(QStringLiteral("child"));
    setup.connection = parser.value(QStringLiteral("connection"));
    setup.postgres = parser.value(QStringLiteral("engine")) == QLatin1String("postgresql");
    setup.n = parser.value(QStringLiteral("n")).toLongLong();
    setup.runs = parser.value(QStringLiteral("runs")).toInt();
    setup.budgetSeconds = parser.value(QStringLiteral("budget")).toDouble();
    const QJsonObject result = RunScenario(setup);
    std::fputs(QByteArray(ResultTag + QJsonDocument(result).toJson(QJsonDocument::Compact) + '\n')
                   .constData(),
               stdout);
    return 0;
}

struct Options
{
    bool quick = false;
    QString json;
    int runs = 5;
    double budget = 60;
    QList<qint64> sizes;
    QStringList scenarios;
    QStringList engines;
};

QJsonObject RunInChild(const QString &scenario, const QString &engine, const QString &connection,
                       qint64 n, const Options &options, const QString &display)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::SeparateChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const bool screen = NeedsScreen(scenario);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"),
               screen ? QStringLiteral("xcb") : QStringLiteral("offscreen"));
    if (screen)
        env.insert(QStringLiteral("DISPLAY"), display);
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--child"), scenario, QStringLiteral("--connection"), connection,
                 QStringLiteral("--engine"), engine, QStringLiteral("--n"), QString::number(n),
                 QStringLiteral("--runs"), QString::number(options.runs),
                 QStringLiteral("--budget"), QString::number(options.budget)});
    child.waitForFinished(-1);
    const QList<QByteArray> lines = child.readAllStandardOutput().split('\n');
    const QByteArray errors = child.readAllStandardError();
    for (const QByteArray &line : lines) {
        if (line.startsWith(ResultTag))
            return QJsonDocument::fromJson(line.mid(ResultTag.size())).object();
    }
    QString why =
        QStringLiteral("child process ended without a result (exit %1)")
            .arg(child.exitStatus() == QProcess::CrashExit ? QStringLiteral("crash")
                                                           : QString::number(child.exitCode()));
    if (!errors.isEmpty())
        why += QStringLiteral(": ") + QString::fromUtf8(errors.right(600));
    return QJsonObject{{QStringLiteral("failures"), QJsonArray{why}}};
}

QString Notes(const QJsonObject &row)
{
    const QJsonObject extra = row.value(QStringLiteral("extra")).toObject();
    QStringList notes;
    if (extra.contains(QStringLiteral("datagrams_per_s")))
        notes << QStringLiteral("%1 datagrams/s, %2 lost (baseline %3 lost)")
                     .arg(Thousands(
                         qint64(extra.value(QStringLiteral("datagrams_per_s")).toDouble())))
                     .arg(extra.value(QStringLiteral("lost")).toInteger())
                     .arg(extra.value(QStringLiteral("baseline_lost")).toInteger());
    if (extra.contains(QStringLiteral("pages")))
        notes << QStringLiteral("%1 pages, %2 pages/s")
                     .arg(extra.value(QStringLiteral("pages")).toInt())
                     .arg(extra.value(QStringLiteral("pages_per_s")).toDouble(), 0, 'f', 1);
    if (extra.contains(QStringLiteral("bound_update_s")))
        notes << QStringLiteral("prepared, bound update %1 s")
                     .arg(extra.value(QStringLiteral("bound_update_s")).toDouble(), 0, 'f', 3);
    if (extra.contains(QStringLiteral("save_added_mb")))
        notes << QStringLiteral("the save added %1 MB")
                     .arg(extra.value(QStringLiteral("save_added_mb")).toDouble(), 0, 'f', 0);
    if (extra.contains(QStringLiteral("undo_s")))
        notes << QStringLiteral("%1 rows (%2 MB of text) pasted below; undo %3 s; the paste added "
                                "%4 MB")
                     .arg(Thousands(extra.value(QStringLiteral("pasted_rows")).toInteger()))
                     .arg(extra.value(QStringLiteral("pasted_mb")).toDouble(), 0, 'f', 1)
                     .arg(extra.value(QStringLiteral("undo_s")).toDouble(), 0, 'f', 3)
                     .arg(extra.value(QStringLiteral("paste_added_mb")).toDouble(), 0, 'f', 0);
    if (extra.contains(QStringLiteral("rss_after_close_mb")))
        notes << QStringLiteral("%1 MB resident after closing")
                     .arg(extra.value(QStringLiteral("rss_after_close_mb")).toDouble(), 0, 'f', 0);
    if (extra.contains(QStringLiteral("step_median_ms")))
        notes << QStringLiteral("95th percentile per page-down; medians %1 ms, bare %2 ms")
                     .arg(extra.value(QStringLiteral("step_median_ms")).toDouble(), 0, 'f', 1)
                     .arg(extra.value(QStringLiteral("bare_step_median_ms")).toDouble(), 0, 'f', 1);
    if (extra.contains(QStringLiteral("delivery_p50_ms")))
        notes << QStringLiteral("95th percentile of 200 notices 100 ms apart, from the commit, "
                                "%1; medians %2 ms, bare %3 ms; the insert took %4 ms")
                     .arg(extra.value(QStringLiteral("path")).toString())
                     .arg(extra.value(QStringLiteral("delivery_p50_ms")).toDouble(), 0, 'f', 1)
                     .arg(extra.value(QStringLiteral("bare_p50_ms")).toDouble(), 0, 'f', 1)
                     .arg(extra.value(QStringLiteral("insert_p50_ms")).toDouble(), 0, 'f', 1);
    if (extra.contains(QStringLiteral("after_promote_s")))
        notes << QStringLiteral("from the stop; from the promote's end %1 s (stop and promote took "
                                "%2 s); %3 failed save(s) in the worst run")
                     .arg(extra.value(QStringLiteral("after_promote_s")).toDouble(), 0, 'f', 3)
                     .arg(extra.value(QStringLiteral("stop_promote_s")).toDouble(), 0, 'f', 3)
                     .arg(extra.value(QStringLiteral("failed_saves")).toInt());
    if (extra.contains(QStringLiteral("found")))
        notes << QStringLiteral("%1 found").arg(extra.value(QStringLiteral("found")).toInteger());
    const int runs = row.value(QStringLiteral("runs")).toInt();
    if (runs > 0 && runs < row.value(QStringLiteral("planned_runs")).toInt() &&
        !extra.contains(QStringLiteral("one_run")))
        notes << QStringLiteral("%1 run(s): time budget").arg(runs);
    if (row.contains(QStringLiteral("skipped")))
        notes << row.value(QStringLiteral("skipped")).toString();
    const QJsonArray failures = row.value(QStringLiteral("failures")).toArray();
    for (const QJsonValue &failure : failures)
        notes << QStringLiteral("FAILED: ") + failure.toString();
    return notes.join(QStringLiteral("; "));
}

QString TableLine(const QJsonObject &row)
{
    const auto seconds = [&row](const char *key) {
        return row.contains(QLatin1String(key))
                   ? QString::number(row.value(QLatin1String(key)).toDouble(), 'f', 3)
                   : QStringLiteral("-");
    };
    const double ratio = row.value(QStringLiteral("ratio")).toDouble();
    const double peak = row.value(QStringLiteral("peak_mb")).toDouble();
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7  %8")
        .arg(row.value(QStringLiteral("scenario")).toString(), -24)
        .arg(row.value(QStringLiteral("engine")).toString(), -10)
        .arg(Thousands(row.value(QStringLiteral("n")).toInteger()), 9)
        .arg(seconds("median_s"), 10)
        .arg(seconds("baseline_s"), 10)
        .arg(ratio > 0 ? QString::number(ratio, 'f', 2) : QStringLiteral("-"), 7)
        .arg(peak > 0 ? QString::number(peak, 'f', 0) : QStringLiteral("-"), 8)
        .arg(Notes(row));
}

QString MarkdownLine(const QJsonObject &row)
{
    const auto number = [&row](const char *key, int decimals) {
        const double value = row.value(QLatin1String(key)).toDouble();
        return row.contains(QLatin1String(key)) && value > 0 ? QString::number(value, 'f', decimals)
                                                             : QStringLiteral("–");
    };
    return QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 | %7 | %8 |")
        .arg(row.value(QStringLiteral("scenario")).toString(),
             row.value(QStringLiteral("engine")).toString(),
             Thousands(row.value(QStringLiteral("n")).toInteger()), number("median_s", 3),
             number("baseline_s", 3), number("ratio", 2), number("peak_mb", 0), Notes(row));
}

QString TableHeader()
{
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7  %8")
        .arg(QStringLiteral("scenario"), -24)
        .arg(QStringLiteral("engine"), -10)
        .arg(QStringLiteral("N"), 9)
        .arg(QStringLiteral("median s"), 10)
        .arg(QStringLiteral("baseline s"), 10)
        .arg(QStringLiteral("ratio"), 7)
        .arg(QStringLiteral("peak MB"), 8)
        .arg(QStringLiteral("notes"));
}

int RunDriver(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Times the module's windows and services against bare baselines."));
    parser.addHelpOption();
    parser.addOptions(
        {{QStringLiteral("quick"), QStringLiteral("Small sizes only, a smoke run of seconds.")},
         {QStringLiteral("json"), QStringLiteral("Also write the results to FILE."),
          QStringLiteral("FILE")},
         {QStringLiteral("markdown"), QStringLiteral("Also write the table to FILE as Markdown."),
          QStringLiteral("FILE")},
         {QStringLiteral("runs"), QStringLiteral("Runs per measurement (default 5)."),
          QStringLiteral("N")},
         {QStringLiteral("sizes"), QStringLiteral("Comma-separated row counts."),
          QStringLiteral("LIST")},
         {QStringLiteral("scenarios"),
          QStringLiteral("Comma-separated scenario names: ") + ScenarioNames().join(u','),
          QStringLiteral("LIST")},
         {QStringLiteral("engines"), QStringLiteral("sqlite,postgresql (default both)."),
          QStringLiteral("LIST")},
         {QStringLiteral("budget"),
          QStringLiteral("Seconds after which a measurement stops repeating (default 60)."),
          QStringLiteral("S")}});
    parser.process(app);

    Options options;
    options.quick = parser.isSet(QStringLiteral("quick"));
    options.json = parser.value(QStringLiteral("json"));
    if (parser.isSet(QStringLiteral("runs")))
        options.runs = qMax(1, parser.value(QStringLiteral("runs")).toInt());
    options.budget = options.quick ? 10 : 60;
    if (parser.isSet(QStringLiteral("budget")))
        options.budget = parser.value(QStringLiteral("budget")).toDouble();
    if (parser.isSet(QStringLiteral("sizes"))) {
        for (const QString &size : parser.value(QStringLiteral("sizes")).split(u','))
            options.sizes << size.toLongLong();
    } else {
        options.sizes =
            options.quick ? QList<qint64>{200} : QList<qint64>{1000, 10000, 100000, 1000000};
    }
    options.scenarios = parser.isSet(QStringLiteral("scenarios"))
                            ? parser.value(QStringLiteral("scenarios")).split(u',')
                            : ScenarioNames();
    if (options.quick && !parser.isSet(QStringLiteral("scenarios")))
        options.scenarios.removeIf(SlowByDesign);
    for (const QString &scenario : std::as_const(options.scenarios)) {
        if (!ScenarioNames().contains(scenario)) {
            err() << "unknown scenario " << scenario << Qt::endl;
            return 2;
        }
    }
    options.engines = parser.isSet(QStringLiteral("engines"))
                          ? parser.value(QStringLiteral("engines")).split(u',')
                          : QStringList{QStringLiteral("sqlite"), QStringLiteral("postgresql")};

    const QString pgAdmin = qEnvironmentVariable("ARDENTA_TEST_PG");
    QStringList notes;
    // Painting is timed on a screen of our own: a real X server without a window manager.
    std::unique_ptr<VirtualScreen> screen;
    if (std::any_of(options.scenarios.cbegin(), options.scenarios.cend(), NeedsScreen)) {
        screen = std::make_unique<VirtualScreen>();
        if (screen->display().isEmpty()) {
            notes << QStringLiteral("On-screen scenarios left out: ") + screen->problem();
            options.scenarios.removeIf(NeedsScreen);
        }
    }
    QJsonArray results;
    QTemporaryDir work;
    bool failed = false;

    for (const QString &engine : std::as_const(options.engines)) {
        const bool postgres = engine == QLatin1String("postgresql");
        if (postgres && pgAdmin.isEmpty()) {
            notes << QStringLiteral("PostgreSQL rows skipped: ARDENTA_TEST_PG is not set (run "
                                    "through scripts/pg-test).");
            continue;
        }
        std::map<QString, QString> skipFrom; // scenario -> why larger sizes are left out
        for (int s = 0; s < options.sizes.size(); ++s) {
            const qint64 n = options.sizes[s];
            QStringList todo;
            for (const QString &scenario : std::as_const(options.scenarios)) {
                if (!ScenarioFits(scenario, postgres, n))
                    continue;
                if (skipFrom.count(scenario)) {
                    results.append(QJsonObject{{QStringLiteral("scenario"), scenario},
                                               {QStringLiteral("engine"), engine},
                                               {QStringLiteral("n"), n},
                                               {QStringLiteral("skipped"), skipFrom[scenario]}});
                    err() << TableLine(results.last().toObject()) << Qt::endl;
                    continue;
                }
                todo << scenario;
            }
            if (todo.isEmpty())
                continue;

            const bool staff = n <= 100000;
            const QString dbName = QStringLiteral("ardenta_bench_%1_%2")
                                       .arg(QCoreApplication::applicationPid())
                                       .arg(n);
            QString connection;
            try {
                QElapsedTimer build;
                build.start();
                connection = postgres ? CreatePgDatabase(pgAdmin, dbName)
                                      : QStringLiteral("sqlite:") +
                                            work.filePath(dbName + QStringLiteral(".sqlite"));
                DataSets::Fill(connection, postgres, staff ? n : 0, n, staff ? n : 0);
                err() << "data set " << engine << " N=" << n << " built in "
                      << build.elapsed() / 1000.0 << " s" << Qt::endl;
            } catch (const std::exception &error) {
                notes << QStringLiteral("%1 N=%2: data set failed: %3")
                             .arg(engine)
                             .arg(n)
                             .arg(QString::fromUtf8(error.what()));
                failed = true;
                continue;
            }

            for (const QString &scenario : std::as_const(todo)) {
                QJsonObject row = RunInChild(scenario, engine, connection, n, options,
                                             screen ? screen->display() : QString());
                row.insert(QStringLiteral("scenario"), scenario);
                row.insert(QStringLiteral("engine"), engine);
                row.insert(QStringLiteral("n"), n);
                row.insert(QStringLiteral("planned_runs"), options.runs);
                if (!row.value(QStringLiteral("failures")).toArray().isEmpty())
                    failed = true;
                results.append(row);
                err() << TableLine(row) << Qt::endl;
                const double median = row.value(QStringLiteral("median_s")).toDouble();
                if (s + 1 < options.sizes.size()) {
                    const qint64 next = options.sizes[s + 1];
                    const double expected = median * double(next) / double(n);
                    if (expected > MaxExpectedRunSeconds)
                        skipFrom[scenario] =
                            QStringLiteral("left out: about %1 s per run expected from N=%2")
                                .arg(qRound(expected))
                                .arg(Thousands(n));
                }
            }
            try {
                if (postgres)
                    DropPgDatabase(pgAdmin, dbName);
                else
                    QFile::remove(work.filePath(dbName + QStringLiteral(".sqlite")));
            } catch (const std::exception &error) {
                err() << "could not remove " << dbName << ": " << error.what() << Qt::endl;
            }
        }
    }

    QTextStream out(stdout);
    const QString machine =
        QStringLiteral("%1, %2 cores").arg(CpuModel()).arg(QThread::idealThreadCount());
    out << "Machine: " << machine << Qt::endl;
    out << "Times are medians of up to " << options.runs << " runs, in seconds." << Qt::endl;
    out << TableHeader() << Qt::endl;
    for (const QJsonValue &row : std::as_const(results))
        out << TableLine(row.toObject()) << Qt::endl;
    for (const QString &note : std::as_const(notes))
        out << note << Qt::endl;

    if (!options.json.isEmpty()) {
        QFile file(options.json);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            err() << "cannot write " << options.json << Qt::endl;
            return 1;
        }
        file.write(
            QJsonDocument(QJsonObject{{QStringLiteral("machine"), machine},
                                      {QStringLiteral("quick"), options.quick},
                                      {QStringLiteral("runs"), options.runs},
                                      {QStringLiteral("results"), results},
                                      {QStringLiteral("notes"), QJsonArray::fromStringList(notes)}})
                .toJson());
    }
    if (parser.isSet(QStringLiteral("markdown"))) {
        QFile file(parser.value(QStringLiteral("markdown")));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            err() << "cannot write " << file.fileName() << Qt::endl;
            return 1;
        }
        QTextStream md(&file);
        md << "Machine: " << machine << ". Times in seconds, medians of up to " << options.runs
           << " runs.\n\n";
        md << "| scenario | engine | N | module | baseline | ratio | peak MB | notes |\n";
        md << "|---|---|--:|--:|--:|--:|--:|---|\n";
        for (const QJsonValue &row : std::as_const(results))
            md << MarkdownLine(row.toObject()) << "\n";
        for (const QString &note : std::as_const(notes))
            md << "\n" << note << "\n";
    }
    return failed ? 1 : 0;
}

} // namespace

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--child") == 0)
            return RunChild(argc, argv);
    }
    return RunDriver(argc, argv);
}
