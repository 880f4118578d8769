// ardenta: a small host for the QLX_Ardenta module. It reads its settings (ardenta.conf, then the
// command line), creates clsMain, sets the two permissions and calls ShowForm; while it runs it
// keeps the machine's row in OnLine and shows arriving notices as desktop notifications.

#include "common/DBType.h"
#include "common/ErrLog.h"
#include "common/LocalAddress.h"
#include "common/Paths.h"
#include "db/ConnectionString.h"
#include "db/Schema.h"
#include "db/Security.h"
#include "db/ServerRole.h"
#include "notice/NoticeBoard.h"
#include "NoticeNotifier.h"
#include "office/DemoData.h"
#include "office/HostSettings.h"
#include "office/HostTexts.h"
#include "office/NoticeWatch.h"
#include "office/Presence.h"
#include "QuitOnSignal.h"
#include "SettingsDialog.h"
#include "widgets/BenchMarks.h"
#include <clsMain.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <QAbstractItemView>
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QHostAddress>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

namespace {
int fail(const QString &message, int code = 2)
{
    std::fprintf(stderr, "ardenta: %s\n", qPrintable(message));
    return code;
}

bool hasArgument(int argc, char **argv, const char *name)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == name || argument.startsWith(QByteArray(name).append('=')))
            return true;
    }
    return false;
}

bool haveDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

qint16 smallNumber(const QCommandLineParser &parser, const QString &option, bool *ok)
{
    const int value = parser.value(option).toInt(ok);
    if (*ok && (value < -32768 || value > 32767))
        *ok = false;
    return qint16(value);
}

// Saves the shown module window as a PNG once it has painted, then quits.
void scheduleScreenshot(const QString &file)
{
    QTimer::singleShot(400, qApp, [file] {
        QWidget *shown = QApplication::activeWindow();
        if (!shown) {
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                if (widget->isVisible() && widget->isWindow()) {
                    shown = widget;
                    break;
                }
            }
        }
        if (!shown) {
            fail(QStringLiteral("no window to take a screenshot of"));
            QCoreApplication::exit(1);
            return;
        }
        const bool saved = shown->grab().save(file, "PNG");
        if (!saved)
            fail(QStringLiteral("cannot write %1").arg(file));
        QCoreApplication::exit(saved ? 0 : 1);
    });
}

QString demoConnection(QString *error)
{
    const QString path = DefaultDemoDatabasePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    const bool made = !QFileInfo::exists(path);
    QString message;
    if (!CreateDemoDatabase(path, &message)) { // an existing one is brought up to date
        *error = message;
        return QString();
    }
    if (made)
        std::printf("ardenta: %s\n", qPrintable(message));
    return QStringLiteral("Data Source=") + path;
}

void addOptions(QCommandLineParser &parser)
{
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {QStringLiteral("connection"), QStringLiteral("Database connection string."),
         QStringLiteral("STR")},
        {QStringLiteral("operator"),
         QStringLiteral("Name of the operator who is logged in (default: the login name)."),
         QStringLiteral("NAME")},
        {QStringLiteral("language"), QStringLiteral("Language code, CHS or ENG (default CHS)."),
         QStringLiteral("CODE")},
        {QStringLiteral("flag"),
         QStringLiteral("0 opens the staff directory, any other number the notices."),
         QStringLiteral("N"), QStringLiteral("0")},
        {QStringLiteral("dbtype"),
         QStringLiteral("SQL dialect: 0 Transact-SQL (batches, Getdate()), 1 Jet (#dates#)."),
         QStringLiteral("N")},
        {QStringLiteral("langpack"),
         QStringLiteral("Language-pack value handed to the language object: a pack file."),
         QStringLiteral("VALUE")},
        {QStringLiteral("edit-staff"), QStringLiteral("Allow changing the staff directory.")},
        {QStringLiteral("edit-notice"), QStringLiteral("Allow writing and changing notices.")},
        {QStringLiteral("demo"),
         QStringLiteral("Open the demo database (made on first use) as admin with both "
                        "permissions.")},
        {QStringLiteral("init-db"),
         QStringLiteral("Create the tables and the view in the database (or add the columns an "
                        "older OnLine lacks), then exit.")},
        {QStringLiteral("secure"),
         QStringLiteral("With --init-db on PostgreSQL: group roles, and row-level security so "
                        "that only a notice's publisher (his login) changes it.")},
        {QStringLiteral("grant"),
         QStringLiteral("Make the PostgreSQL login a member of GROUP (reader, notice or staff), "
                        "then exit: ardenta --grant LOGIN GROUP."),
         QStringLiteral("LOGIN")},
        {QStringLiteral("settings"), QStringLiteral("Edit your own settings, then exit.")},
        {QStringLiteral("no-presence"),
         QStringLiteral("Do not keep this machine's row in the OnLine table.")},
        {QStringLiteral("address"),
         QStringLiteral("The address to register as online and to receive notices on (default: "
                        "the address the broadcast leaves out as its own)."),
         QStringLiteral("IP")},
        {QStringLiteral("screenshot"),
         QStringLiteral("Save the opened window as a PNG file and exit."), QStringLiteral("FILE")},
    });
}

// The settings files, then the command line above them; false with the reason for a bad value.
bool applyCommandLine(const QCommandLineParser &parser, HostSettings &settings, QString *error)
{
    const auto given = [&parser](const char *name) { return parser.isSet(QLatin1String(name)); };
    const auto value = [&parser](const char *name) { return parser.value(QLatin1String(name)); };
    if (given("connection"))
        settings.connection = value("connection");
    if (given("operator"))
        settings.operatorName = value("operator");
    if (given("language"))
        settings.language = value("language");
    if (given("dbtype")) {
        bool ok = false;
        settings.dialect = smallNumber(parser, QStringLiteral("dbtype"), &ok);
        if (!ok || !ToDBType(settings.dialect)) {
            *error = QStringLiteral("--dbtype needs 0 (Transact-SQL) or 1 (Jet), not \"%1\"")
                         .arg(value("dbtype"));
            return false;
        }
    }
    settings.editStaff = settings.editStaff || given("edit-staff");
    settings.editNotice = settings.editNotice || given("edit-notice");
    if (given("no-presence"))
        settings.presence = false;
    if (given("address")) {
        if (QHostAddress(value("address")).protocol() != QAbstractSocket::IPv4Protocol) {
            *error =
                QStringLiteral("--address needs an IPv4 address, not \"%1\"").arg(value("address"));
            return false;
        }
        settings.address = value("address");
    }
    return true;
}

// Nothing configured: the user picks the settings (saved, then used), the demo, or neither.
bool chooseWhenUnconfigured(HostSettings &settings, const HostTexts &texts, bool *demo)
{
    QMessageBox box(QMessageBox::Question, texts.text("0450", "Settings"),
                    texts.text("0460", "No database is configured yet."));
    QPushButton *configure = box.addButton(texts.text("0450", "Settings"), QMessageBox::AcceptRole);
    QPushButton *tryDemo =
        box.addButton(texts.text("0461", "Open the demo"), QMessageBox::ActionRole);
    box.addButton(QMessageBox::Cancel);
    box.exec();
    if (box.clickedButton() == tryDemo) {
        *demo = true;
        return true;
    }
    if (box.clickedButton() != configure)
        return false;
    SettingsDialog dialog(settings, texts);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    settings = dialog.settings();
    return !settings.connection.trimmed().isEmpty();
}

// --init-db [--secure] and --grant: a job on the database, then the exit status.
int databaseJob(const QCommandLineParser &parser, const HostSettings &settings)
{
    const bool grant = parser.isSet(QStringLiteral("grant"));
    if (settings.connection.trimmed().isEmpty())
        return fail(QStringLiteral("%1 needs --connection STR or a configured connection")
                        .arg(grant ? "--grant" : "--init-db"));
    QString message;
    int status = 0;
    if (grant)
        status = Security::Grant(settings.connection, parser.value(QStringLiteral("grant")),
                                 parser.positionalArguments().constFirst(), &message);
    else if (parser.isSet(QStringLiteral("secure")))
        status = Security::SecureDatabase(settings.connection, &message);
    else
        status = InitDatabase(settings.connection, &message) ? 0 : 1;
    if (status == 0)
        std::printf("%s\n", qPrintable(message));
    else
        fail(message, status);
    return status;
}

// A database that cannot be opened is said before any window, in the user's language and with
// the log's path, instead of an empty grid; off screen on standard error only.
bool databaseOpens(const HostSettings &settings, const HostTexts &texts)
{
    ServerRole role;
    QString reason;
    if (ReadServerRole(settings.connection, &role, &reason))
        return true;
    WriteErrLog(reason, QStringLiteral("Open"), QStringLiteral("ardenta"),
                MaskPasswords(settings.connection));
    const QString log = QDir::toNativeSeparators(ErrLogFilePath());
    fail(QStringLiteral("the database cannot be opened: %1\nThe error log is %2.").arg(reason, log),
         1);
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        QMessageBox box(QMessageBox::Critical, texts.text("0070", "Popup"),
                        texts.text("0482", "The database cannot be opened: %1").arg(reason));
        box.setInformativeText(texts.text("0483", "Error log: %1").arg(log));
        box.exec();
    }
    return false;
}

// On a database secured with row-level security the operator is the login: another name given
// by --operator or Operator= is refused, with a box where there is a display.
bool takeLogin(const QCommandLineParser &parser, HostSettings &settings, const HostTexts &texts,
               QString *error)
{
    Security::Identity identity;
    QString unreached;
    if (!Security::ReadIdentity(settings.connection, &identity, &unreached) || !identity.secured)
        return true; // a database that cannot be asked refuses what is not allowed by itself
    const bool named =
        parser.isSet(QStringLiteral("operator")) || !settings.operatorName.trimmed().isEmpty();
    if (named && settings.operatorName != identity.login) {
        *error = QStringLiteral("this database knows its users by their logins: you are logged "
                                "in as \"%1\" and cannot work as \"%2\". Leave out --operator "
                                "and Operator=, or log in as %2.")
                     .arg(identity.login, settings.operatorName);
        if (QGuiApplication::platformName() != QLatin1String("offscreen"))
            QMessageBox::critical(nullptr, texts.text("0070", "Popup"),
                                  texts
                                      .text("0481", "This database knows its users by their "
                                                    "logins: you are logged in as \"%1\" and "
                                                    "cannot work as \"%2\".")
                                      .arg(identity.login, settings.operatorName));
        return false;
    }
    settings.operatorName = identity.login;
    return true;
}

// Parses the command line over the settings files. An exit status when the program stops here:
// help, version, or a bad argument.
std::optional<int> readCommandLine(QCommandLineParser &parser, HostSettings &settings, qint16 *flag)
{
    parser.setApplicationDescription(QStringLiteral(
        "Internal information management: the staff directory (flag 0) or the notice board "
        "(any other flag) of a shared database. Settings come from ardenta.conf in the XDG "
        "configuration folders; the options here override them."));
    addOptions(parser);
    if (!parser.parse(QApplication::arguments()))
        return fail(parser.errorText() + QStringLiteral("\nTry ardenta --help."));
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    const QStringList positional = parser.positionalArguments();
    const int expected = parser.isSet(QStringLiteral("grant")) ? 1 : 0;
    if (positional.size() > expected)
        return fail(QStringLiteral("unexpected argument %1\nTry ardenta --help.")
                        .arg(positional.at(expected)));
    if (positional.size() < expected)
        return fail(QStringLiteral("--grant needs a login and a group: ardenta --grant LOGIN "
                                   "reader|notice|staff"));

    settings = HostConfig::Read();
    for (const QString &problem : std::as_const(settings.problems))
        fail(QStringLiteral("ignored %1").arg(problem));
    if (QString error; !applyCommandLine(parser, settings, &error))
        return fail(error);
    bool flagOk = false;
    *flag = smallNumber(parser, QStringLiteral("flag"), &flagOk);
    if (!flagOk)
        return fail(QStringLiteral("--flag needs a whole number, not \"%1\"")
                        .arg(parser.value(QStringLiteral("flag"))));
    return std::nullopt;
}

// The database to open: the configured one, one chosen now, or the demo's, and on a secured
// database the login as operator. An exit status when there is none to open.
std::optional<int> chooseDatabase(const QCommandLineParser &parser, HostSettings &settings,
                                  const HostTexts &texts)
{
    bool demo = parser.isSet(QStringLiteral("demo"));
    if (!demo && settings.connection.trimmed().isEmpty()) {
        // Off screen nobody could answer the question.
        const bool canAsk = QGuiApplication::platformName() != QLatin1String("offscreen") &&
                            !parser.isSet(QStringLiteral("screenshot"));
        if (!canAsk || !chooseWhenUnconfigured(settings, texts, &demo))
            return fail(QStringLiteral("no connection is configured: run ardenta --settings, or "
                                       "give --connection STR (or --demo).\nTry ardenta --help."));
    }
    if (demo) {
        QString error;
        settings.connection = demoConnection(&error);
        if (settings.connection.isEmpty())
            return fail(QStringLiteral("cannot make the demo database: ") + error, 1);
        if (!parser.isSet(QStringLiteral("operator")))
            settings.operatorName = QStringLiteral("admin");
        settings.editStaff = settings.editNotice = true;
        // The demo's OnLine holds loopback addresses only.
        if (settings.address.isEmpty())
            settings.address = QStringLiteral("127.0.0.1");
    }
    if (!databaseOpens(settings, texts))
        return 1;
    if (QString error; !demo && !takeLogin(parser, settings, texts, &error))
        return fail(error);
    return std::nullopt;
}

// For the benchmark, which times a notice from its insert to here, before any grouping of
// pop-ups: nanoseconds on the monotonic clock every process of the machine shares.
void markFound(const StoredNotice &notice)
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    std::printf(
        "MARK found %lld %lld\n", static_cast<long long>(notice.Id),
        static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
    std::fflush(stdout);
}

bool anyWindowShown()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.cbegin(), windows.cend(), [](const QWidget *widget) {
        return widget->isWindow() && widget->isVisible();
    });
}

// While the window is open: this machine's row in OnLine, and notices by others as pop-ups.
int runWithNotices(const HostSettings &settings, const HostTexts &texts)
{
    if (QString error; !QuitOnSignals(&error))
        fail(error);
    std::unique_ptr<Presence> presence;
    if (settings.presence) {
        presence = std::make_unique<Presence>(Presence::Options{
            settings.connection, settings.address.isEmpty() ? LocalAddress() : settings.address,
            settings.effectiveOperator(), settings.presenceSeconds});
        presence->Start();
    }
    // Notices by others pop up once each, however they reach this host: a datagram (with
    // Verify only as the notice on the board it stands for), the board's announcement, the
    // periodic check, or the catch-up after time away.
    NoticeWatch watch(
        {settings.connection, settings.effectiveOperator(), settings.noticeCheckSeconds});
    if (BenchMarksWanted())
        QObject::connect(&watch, &NoticeWatch::Found, &markFound);
    NoticeNotifier notifier(texts, settings.address, watch, settings.verifyNotices,
                            [](const StoredNotice &notice) {
                                NoticeBoard::Open(notice.Id, notice.Publisher, notice.Content);
                            });
    notifier.Listen();
    watch.Start();
    return QApplication::exec();
}

} // namespace

int main(int argc, char **argv)
{
    // A screenshot, a schema or a help text needs no display.
    const bool headlessJob = hasArgument(argc, argv, "--screenshot") ||
                             hasArgument(argc, argv, "--init-db") ||
                             hasArgument(argc, argv, "--grant") ||
                             hasArgument(argc, argv, "--help") || hasArgument(argc, argv, "-h") ||
                             hasArgument(argc, argv, "--version") || hasArgument(argc, argv, "-v");
    if (headlessJob && !haveDisplay())
        qputenv("QT_QPA_PLATFORM", "offscreen");

    if (!headlessJob && !haveDisplay())
        return fail(QStringLiteral(
            "no display found (DISPLAY is not set). Run it on a desktop or under xvfb-run, or "
            "save a picture of the window instead:\n  scripts/run --screenshot staff.png\n  "
            "ardenta --demo --screenshot staff.png"));

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ardenta"));
    QApplication::setApplicationVersion(clsMain::Version());
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("ardenta")));

    QCommandLineParser parser;
    HostSettings settings;
    qint16 flag = 0;
    if (const auto status = readCommandLine(parser, settings, &flag))
        return *status;
    const QString langPack = parser.value(QStringLiteral("langpack"));
    const HostTexts texts(settings.language, langPack);

    if (parser.isSet(QStringLiteral("settings"))) {
        SettingsDialog dialog(settings, texts);
        return dialog.exec() == QDialog::Accepted ? 0 : 1;
    }
    if (parser.isSet(QStringLiteral("init-db")) || parser.isSet(QStringLiteral("grant")))
        return databaseJob(parser, settings);
    if (const auto status = chooseDatabase(parser, settings, texts))
        return *status;

    clsMain module;
    module.setEditInnerInfo(settings.editStaff);
    module.setEditNotice(settings.editNotice);
    module.ShowForm(settings.connection, settings.effectiveOperator(), settings.language, flag,
                    settings.dialect, langPack);
    if (!anyWindowShown())
        return fail(QStringLiteral("the window did not open; see %1").arg(ErrLogFilePath()), 1);
    if (BenchMarksWanted()) {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *grid = widget->findChild<QAbstractItemView *>(QStringLiteral("vfgMain")))
                MarkFirstRowPaint(grid);
        }
    }
    if (parser.isSet(QStringLiteral("screenshot"))) {
        scheduleScreenshot(parser.value(QStringLiteral("screenshot")));
        return QApplication::exec();
    }
    // The windows go first, before presence and the watch say goodbye to the database: at the
    // end of a session a notice being composed is kept at once.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &module, &clsMain::UnloadForms);
    return runWithNotices(settings, texts);
}
