#include "Scenarios.h"

#include "BenchSupport.h"
#include "common/ArdentaError.h"
#include "DeliveryScenario.h"
#include "FailoverScenario.h"
#include "Measurement.h"
#include "NoticeScenarios.h"
#include "ReportScenario.h"
#include "ScenarioSteps.h"
#include "ScreenScenarios.h"
#include "StaffScenarios.h"
#include "WithoutHistory.h"

QStringList ScenarioNames()
{
    return {QStringLiteral("staff_load"),
            QStringLiteral("staff_open"),
            QStringLiteral("staff_scroll"),
            QStringLiteral("staff_save_one"),
            QStringLiteral("staff_save_one_nohistory"),
            QStringLiteral("staff_save_d0"),
            QStringLiteral("staff_save_d0_nohistory"),
            QStringLiteral("staff_save_d1"),
            QStringLiteral("history_open"),
            QStringLiteral("staff_paste"),
            QStringLiteral("notice_load"),
            QStringLiteral("notice_update"),
            QStringLiteral("notice_search"),
            QStringLiteral("broadcast"),
            QStringLiteral("report_pdf"),
            QStringLiteral("notice_delivery"),
            QStringLiteral("failover")};
}

bool ScenarioFits(const QString &name, bool postgres, qint64 n)
{
    // Twenty seconds of notices a run; the board's size hardly matters to it.
    if (name == QLatin1String("notice_delivery"))
        return n <= 1000;
    // A failover needs PostgreSQL and servers of its own; the directory's size hardly matters.
    if (name == QLatin1String("failover"))
        return postgres && n <= 1000;
    // N history rows, a million only.
    if (name == QLatin1String("history_open"))
        return n == 1000000;
    return name.startsWith(QLatin1String("notice_")) || n <= 100000;
}

QJsonObject RunScenario(const ScenarioSetup &setup)
{
    BenchHome home;
    OpenSession(setup.connection, BenchOperator, DBType::TransactSql);
    Measurement m(setup);
    try {
        if (setup.name == QLatin1String("staff_load"))
            StaffLoad(setup, m);
        else if (setup.name == QLatin1String("staff_open"))
            StaffOpen(setup, m, home);
        else if (setup.name == QLatin1String("staff_scroll"))
            StaffScroll(setup, m);
        else if (setup.name == QLatin1String("staff_save_one"))
            StaffSaveOne(setup, m);
        else if (setup.name == QLatin1String("staff_save_one_nohistory")) {
            const WithoutHistory bare(setup.connection, setup.postgres);
            StaffSaveOne(setup, m);
        } else if (setup.name == QLatin1String("staff_save_d0"))
            StaffSave(setup, m, DBType::TransactSql);
        else if (setup.name == QLatin1String("staff_save_d0_nohistory")) {
            const WithoutHistory bare(setup.connection, setup.postgres);
            StaffSave(setup, m, DBType::TransactSql);
        } else if (setup.name == QLatin1String("history_open"))
            HistoryOpen(setup, m);
        else if (setup.name == QLatin1String("staff_save_d1"))
            StaffSave(setup, m, DBType::Jet);
        else if (setup.name == QLatin1String("staff_paste"))
            StaffPaste(setup, m);
        else if (setup.name == QLatin1String("notice_load"))
            NoticeLoad(setup, m);
        else if (setup.name == QLatin1String("notice_update"))
            NoticeUpdate(setup, m);
        else if (setup.name == QLatin1String("notice_search"))
            NoticeSearch(setup, m);
        else if (setup.name == QLatin1String("broadcast"))
            Broadcast(setup, m, home);
        else if (setup.name == QLatin1String("report_pdf"))
            ReportPdf(setup, m, home);
        else if (setup.name == QLatin1String("notice_delivery"))
            NoticeDelivery(setup, m, home);
        else if (setup.name == QLatin1String("failover"))
            Failover(setup, m, home);
        else
            m.check(false, QStringLiteral("unknown scenario ") + setup.name);
    } catch (const std::exception &error) {
        m.check(false, ErrorText(error));
    }
    return m.result(home);
}
