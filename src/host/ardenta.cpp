// ardenta: a small host for the QLX_Ardenta module. It parses the command line, creates clsMain,
// sets the two permissions, calls ShowForm and runs until the last window closes.

#include "clsMain.h"
#include "DemoData.h"
#include "Paths.h"
#include "Schema.h"

#include <cstdio>
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
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
    if (!QFileInfo::exists(path)) {
        QString message;
        if (!CreateDemoDatabase(path, &message)) {
            *error = message;
            return QString();
        }
        std::printf("ardenta: %s\n", qPrintable(message));
    }
    return QStringLiteral("Data Source=") + path;
}
} // namespace

int main(int argc, char **argv)
{
    // A screenshot, a schema or a help text needs no display.
    const bool headlessJob = hasArgument(argc, argv, "--screenshot") ||
                             hasArgument(argc, argv, "--init-db") ||
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

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Internal information management: the staff directory (flag 0) or the notice board "
        "(any other flag) of a shared database."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {QStringLiteral("connection"), QStringLiteral("Database connection string."),
         QStringLiteral("STR")},
        {QStringLiteral("operator"), QStringLiteral("Name of the operator who is logged in."),
         QStringLiteral("NAME")},
        {QStringLiteral("language"), QStringLiteral("Language code, CHS or ENG (default CHS)."),
         QStringLiteral("CODE"), QStringLiteral("CHS")},
        {QStringLiteral("flag"),
         QStringLiteral("0 opens the staff directory, any other number the notices."),
         QStringLiteral("N"), QStringLiteral("0")},
        {QStringLiteral("dbtype"),
         QStringLiteral("SQL dialect: 0 Transact-SQL (batches, Getdate()), 1 Jet (#dates#)."),
         QStringLiteral("N"), QStringLiteral("0")},
        {QStringLiteral("langpack"),
         QStringLiteral("Language-pack value handed to the language object: a pack file."),
         QStringLiteral("VALUE")},
        {QStringLiteral("edit-staff"), QStringLiteral("Allow changing the staff directory.")},
        {QStringLiteral("edit-notice"), QStringLiteral("Allow writing and changing notices.")},
        {QStringLiteral("demo"),
         QStringLiteral("Open the demo database (made on first use) as admin with both "
                        "permissions.")},
        {QStringLiteral("init-db"),
         QStringLiteral("Create the tables and the view in the --connection database, then "
                        "exit.")},
        {QStringLiteral("screenshot"),
         QStringLiteral("Save the opened window as a PNG file and exit."), QStringLiteral("FILE")},
    });
    if (!parser.parse(QApplication::arguments()))
        return fail(parser.errorText() + QStringLiteral("\nTry ardenta --help."));
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("unexpected argument %1\nTry ardenta --help.")
                        .arg(parser.positionalArguments().constFirst()));

    QString connection = parser.value(QStringLiteral("connection"));
    QString op = parser.value(QStringLiteral("operator"));
    bool editStaff = parser.isSet(QStringLiteral("edit-staff"));
    bool editNotice = parser.isSet(QStringLiteral("edit-notice"));

    if (parser.isSet(QStringLiteral("init-db"))) {
        if (connection.trimmed().isEmpty())
            return fail(QStringLiteral("--init-db needs --connection STR"));
        QString message;
        const bool ok = InitDatabase(connection, &message);
        std::printf("%s\n", qPrintable(message));
        return ok ? 0 : 1;
    }

    if (parser.isSet(QStringLiteral("demo"))) {
        QString error;
        connection = demoConnection(&error);
        if (connection.isEmpty())
            return fail(QStringLiteral("cannot make the demo database: ") + error, 1);
        if (op.isEmpty())
            op = QStringLiteral("admin");
        editStaff = editNotice = true;
    }
    if (connection.trimmed().isEmpty())
        return fail(QStringLiteral("--connection STR is required (or --demo).\nTry ardenta "
                                   "--help."));

    bool flagOk = false, typeOk = false;
    const qint16 flag = smallNumber(parser, QStringLiteral("flag"), &flagOk);
    const qint16 dbType = smallNumber(parser, QStringLiteral("dbtype"), &typeOk);
    if (!flagOk)
        return fail(QStringLiteral("--flag needs a whole number, not \"%1\"")
                        .arg(parser.value(QStringLiteral("flag"))));
    if (!typeOk)
        return fail(QStringLiteral("--dbtype needs a whole number, not \"%1\"")
                        .arg(parser.value(QStringLiteral("dbtype"))));

    clsMain module;
    module.setEditInnerInfo(editStaff);
    module.setEditNotice(editNotice);
    module.ShowForm(connection, op, parser.value(QStringLiteral("language")), flag, dbType,
                    parser.value(QStringLiteral("langpack")));

    bool windowShown = false;
    for (QWidget *widget : QApplication::topLevelWidgets())
        windowShown = windowShown || (widget->isWindow() && widget->isVisible());
    if (!windowShown)
        return fail(QStringLiteral("the window did not open; see %1").arg(ErrLogFilePath()), 1);

    if (parser.isSet(QStringLiteral("screenshot")))
        scheduleScreenshot(parser.value(QStringLiteral("screenshot")));
    return QApplication::exec();
}
