#include "NoticeScenarios.h"

#include "BenchSupport.h"
#include "common/Session.h"
#include "DatagramCounter.h"
#include "DataSets.h"
#include "db/Database.h"
#include "Measurement.h"
#include "notice/frmNotice.h"
#include "notice/NoticeStatements.h"
#include "ScenarioSteps.h"
#include "search/frmQueryNotice.h"
#include "search/NoticeList.h"
#include "search/NoticeQuery.h"
#include "widgets/FlexGrid.h"

#include <algorithm>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QUdpSocket>

namespace {

// The notice window's list query; the baseline must fetch exactly what the window fetches.
const QString NoticeListSql = NoticeStatements::ListQuery();

} // namespace

void NoticeLoad(const ScenarioSetup &setup, Measurement &m)
{
    m.baseline([&] { return BareFetch(setup.connection, NoticeListSql); });
    m.module([&] {
        QElapsedTimer timer;
        timer.start();
        frmNotice *window = frmNotice::instance();
        ShowAndPaint(window);
        const double seconds = Seconds(timer);
        const FlexGrid *grid = GridOf(window);
        m.check(grid && grid->Rows() == setup.n + 1, QStringLiteral("notice grid row count"));
        CloseAndDelete(window);
        m.extra().insert(QStringLiteral("rss_after_close_mb"), ResidentMemoryMb());
        return seconds;
    });
}

// A notice saved elsewhere comes into the open board: the window's own work on the GUI thread,
// against the reload that was done before (the list read again whole).
void NoticeUpdate(const ScenarioSetup &setup, Measurement &m)
{
    frmNotice *window = frmNotice::instance();
    ShowAndPaint(window);
    FlexGrid *grid = GridOf(window);
    int k = 0;
    const auto insert = [&] {
        qint64 id = 0;
        ExcuteInsert(setup.connection,
                     NoticeStatements::Insert(DBType::Jet, QStringLiteral("bench"),
                                              QStringLiteral("arrived %1").arg(++k),
                                              QDateTime(QDate(2099, 1, 1), QTime(0, 0))),
                     QStringLiteral("Notice_ID"), DBType::Jet, &id);
        return id;
    };
    m.baseline([&] {
        insert();
        QElapsedTimer timer;
        timer.start();
        window->RefreshDB();
        return Seconds(timer);
    });
    m.module([&] {
        const qint64 id = insert();
        QElapsedTimer timer;
        timer.start();
        window->NoticesChanged({id});
        const double seconds = Seconds(timer);
        m.check(grid->TextMatrix(1, NoticeKeyCol) == QString::number(id),
                QStringLiteral("the new notice is not at the top of the board"));
        return seconds;
    });
    m.check(grid->Rows() == setup.n + k + 1, QStringLiteral("notice grid row count"));
    CloseAndDelete(window);
}

void NoticeSearch(const ScenarioSetup &setup, Measurement &m)
{
    const QString sql = NoticeQuerySQL(DataSets::SearchPublisher(), true, DataSets::SearchFrom(),
                                       DataSets::SearchTo(), Session().gintDBType);
    qint64 expected = 0;
    BareFetch(setup.connection, sql, &expected);
    m.baseline([&] { return BareFetch(setup.connection, sql); });
    m.extra().insert(QStringLiteral("found"), expected);

    // The search window is opened from the notice window, which is loaded by then.
    frmNotice::instance();
    frmQueryNotice *window = frmQueryNotice::instance();
    window->findChild<QLineEdit *>(QStringLiteral("txtPublisher"))
        ->setText(DataSets::SearchPublisher());
    window->findChild<QCheckBox *>(QStringLiteral("chkTime"))->setChecked(true);
    window->findChild<QDateEdit *>(QStringLiteral("dtpFrom"))->setDate(DataSets::SearchFrom());
    window->findChild<QDateEdit *>(QStringLiteral("dtpTo"))->setDate(DataSets::SearchTo());
    // One match would close the window after the first run.
    m.check(expected > 1, QStringLiteral("the search data finds fewer than two notices"));
    if (expected <= 1)
        return;
    m.module([&] {
        QElapsedTimer timer;
        timer.start();
        window->Query();
        const double seconds = Seconds(timer);
        const FlexGrid *grid = GridOf(window);
        m.check(grid && grid->Rows() - 1 == expected, QStringLiteral("search result count"));
        return seconds;
    });
    frmNotice::Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void Broadcast(const ScenarioSetup &setup, Measurement &m, const BenchHome &home)
{
    const quint16 remotePort = FreeUdpPort();
    DatagramCounter counter(remotePort);
    quint16 localPort = FreeUdpPort();
    while (localPort == remotePort)
        localPort = FreeUdpPort();
    home.writeConfig(localPort, remotePort);

    qint64 baselineLost = 0;
    m.baseline([&] {
        const qint64 before = counter.count();
        QElapsedTimer timer;
        timer.start();
        const QList<QVariantList> users =
            QueryRows(setup.connection, QStringLiteral("Select * From OnLine"));
        QUdpSocket socket;
        socket.bind(QHostAddress::AnyIPv4, 0);
        const QByteArray datagram = QByteArrayLiteral("###Notice###~!bench~!Broadcast");
        for (const QVariantList &user : users)
            socket.writeDatagram(datagram, QHostAddress(user.at(0).toString()), remotePort);
        const double seconds = Seconds(timer);
        baselineLost =
            std::max(baselineLost, setup.n - (counter.waitFor(before + setup.n) - before));
        return seconds;
    });

    frmNotice *window = frmNotice::instance();
    qint64 lost = 0;
    m.module([&] {
        const qint64 before = counter.count();
        QElapsedTimer timer;
        timer.start();
        window->SendAllUserMsg(BenchOperator, QStringLiteral("Broadcast"));
        const double seconds = Seconds(timer);
        lost = std::max(lost, setup.n - (counter.waitFor(before + setup.n) - before));
        return seconds;
    });
    CloseAndDelete(window);
    m.check(counter.lastDatagram() == QByteArrayLiteral("###Notice###~!bench~!Broadcast"),
            QStringLiteral("datagram text"));
    m.check(lost == 0, QStringLiteral("datagrams lost on loopback"));
    const double median = m.moduleMedian();
    m.extra().insert(QStringLiteral("datagrams_per_s"), median > 0 ? double(setup.n) / median : 0);
    m.extra().insert(QStringLiteral("lost"), lost);
    m.extra().insert(QStringLiteral("baseline_lost"), baselineLost);
}
