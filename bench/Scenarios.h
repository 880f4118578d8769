#pragma once
// The benchmark's scenarios. Each runs in a process of its own (so that peak memory belongs to
// one scenario), times the module's path and a bare baseline on the same data, and checks that
// the module's path really did its work.

#include <QJsonObject>
#include <QString>
#include <QStringList>

struct ScenarioSetup
{
    QString name;
    QString connection;
    bool postgres = false;
    qint64 n = 0;
    int runs = 5;
    double budgetSeconds = 60; // no further runs once the module's runs took this long
};

QStringList ScenarioNames();
// Left out of a --quick run unless named: each takes its time by design (a failover run starts
// servers of its own).
inline bool SlowByDesign(const QString &name)
{
    return name == QLatin1String("notice_delivery") || name == QLatin1String("failover");
}
// Whether the scenario is run on this engine at this size (staff and users stop at 100,000
// rows; a failover runs on PostgreSQL at 1,000 staff or fewer).
bool ScenarioFits(const QString &name, bool postgres, qint64 n);

// Runs one scenario; the result holds "median_s", "baseline_s", "runs", "peak_mb", "extra"
// and "failures" (checks that did not hold, empty when all is well).
QJsonObject RunScenario(const ScenarioSetup &setup);
