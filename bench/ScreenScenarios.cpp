#include "ScreenScenarios.h"

#include "BenchSupport.h"
#include "db/Database.h"
#include "Measurement.h"
#include "PlainTableModel.h"
#include "staff/frmMain.h"
#include "staff/StaffStatements.h"
#include "widgets/FlexGrid.h"
#include "widgets/Twips.h"

#include <chrono>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QProcess>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QWindow>

namespace {

constexpr int PageDowns = 1000;

qint64 MonotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Seconds from starting the program to its first painted row, on the clock it marks with.
double TimeToFirstRow(const QString &program, const QStringList &arguments,
                      const QProcessEnvironment &env, Measurement &m)
{
    QProcess process;
    process.setProcessEnvironment(env);
    const qint64 start = MonotonicNs();
    process.start(program, arguments);
    QByteArray out;
    const QByteArray tag = QByteArrayLiteral("MARK first-row ");
    // The mark's whole line: the tag and the time after it.
    const auto marked = [&] {
        const qsizetype at = out.indexOf(tag);
        return at >= 0 && out.indexOf('\n', at) > at;
    };
    for (QDeadlineTimer deadline(120000); !marked() && !deadline.hasExpired();) {
        if (!process.waitForReadyRead(100) && process.state() == QProcess::NotRunning)
            break;
        out += process.readAllStandardOutput();
    }
    process.kill();
    process.waitForFinished();
    const qsizetype at = out.indexOf(tag);
    m.check(at >= 0, QStringLiteral("no first-row mark from ") + QDir(program).dirName());
    if (at < 0)
        return 0;
    const qint64 mark =
        out.mid(at + tag.size(), out.indexOf('\n', at) - at - tag.size()).toLongLong();
    return double(mark - start) / 1e9;
}

// Seconds per page-down, from the key to the view repainted, from the top.
std::vector<double> PageDownSteps(QAbstractItemView *view)
{
    view->setFocus();
    view->setCurrentIndex(view->model()->index(0, 0));
    QCoreApplication::processEvents();
    std::vector<double> steps;
    for (int i = 0; i < PageDowns; ++i) {
        const qint64 start = MonotonicNs();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_PageDown, Qt::NoModifier);
        QApplication::sendEvent(view, &press);
        QApplication::sendEvent(view, &release);
        QCoreApplication::processEvents();
        view->viewport()->repaint();
        steps.push_back(double(MonotonicNs() - start) / 1e9);
    }
    return steps;
}

bool WaitExposed(QWidget *window)
{
    window->show();
    for (QDeadlineTimer deadline(10000); !deadline.hasExpired();) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        if (window->windowHandle() && window->windowHandle()->isExposed())
            return true;
    }
    return false;
}

} // namespace

bool NeedsScreen(const QString &scenario)
{
    return scenario == QLatin1String("staff_open") || scenario == QLatin1String("staff_scroll");
}

void StaffOpen(const ScenarioSetup &setup, Measurement &m, const BenchHome &home)
{
    QTemporaryDir state;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("ARDENTA_BENCH_MARKS"), QStringLiteral("1"));
    env.insert(QStringLiteral("ARDENTA_HOME"), home.path());
    for (const char *xdg : {"XDG_STATE_HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"})
        env.insert(QLatin1String(xdg), state.path());
    const QString bench = QCoreApplication::applicationDirPath();
    // The staff window's design size, which the bare view gets too.
    const QStringList bare{setup.connection, StaffStatements::LoadQuery(),
                           QString::number(TwipsToPixels(9870)),
                           QString::number(TwipsToPixels(4920))};
    m.baseline([&] { return TimeToFirstRow(bench + "/ardenta-bare-staff", bare, env, m); });
    m.module([&] {
        return TimeToFirstRow(bench + "/../src/host/ardenta",
                              {"--connection", setup.connection, "--operator", "bench",
                               "--language", "ENG", "--no-presence"},
                              env, m);
    });
}

void StaffScroll(const ScenarioSetup &setup, Measurement &m)
{
    frmMain *window = frmMain::instance();
    m.check(WaitExposed(window), QStringLiteral("staff window not shown"));
    FlexGrid *grid = window->findChild<FlexGrid *>(QStringLiteral("vfgMain"));
    const std::vector<double> module = PageDownSteps(grid);
    // The bare view shows the same cells: the window's size, the columns' widths, the rows'
    // height.
    const QSize size = window->size();
    std::vector<int> widths;
    for (int col = 0; col < grid->model()->columnCount(); ++col)
        widths.push_back(grid->isColumnHidden(col) ? 0 : grid->columnWidth(col));
    const int rowHeight = grid->rowHeight(0);
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    PlainTableModel model;
    WithConnection(setup.connection, [&model](QSqlDatabase &db) {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        ExecStatement(query, StaffStatements::LoadQuery());
        model.load(query);
    });
    QTableView view;
    view.setModel(&model);
    view.resize(size);
    view.verticalHeader()->hide();
    view.verticalHeader()->setDefaultSectionSize(rowHeight);
    for (size_t col = 0; col < widths.size(); ++col) {
        view.setColumnWidth(int(col), widths[col]);
        view.setColumnHidden(int(col), widths[col] == 0);
    }
    m.check(WaitExposed(&view), QStringLiteral("bare view not shown"));
    const std::vector<double> bare = PageDownSteps(&view);
    // The 95th percentile is what a user feels as a stutter; the medians go to the notes.
    m.record(Percentile(module, 0.95), Percentile(bare, 0.95));
    m.extra().insert(QStringLiteral("one_run"), true); // of a thousand steps
    m.extra().insert(QStringLiteral("step_median_ms"), Median(module) * 1000);
    m.extra().insert(QStringLiteral("bare_step_median_ms"), Median(bare) * 1000);
}
