#pragma once
// One scenario's measurement: the module's runs and the baseline's, taking turns so that the
// machine's drifts reach both, the checks that did not hold, and notes for the table.

#include "Scenarios.h"

#include <functional>
#include <QElapsedTimer>
#include <QJsonObject>
#include <QStringList>
#include <vector>

class BenchHome;

double Seconds(const QElapsedTimer &timer);
double Median(std::vector<double> values);
// The value below which the given share of the values lie (0.95: the 95th percentile).
double Percentile(std::vector<double> values, double share);

class Measurement
{
public:
    explicit Measurement(const ScenarioSetup &setup) : m_setup(setup) {}

    void baseline(std::function<double()> run) { m_baselineRun = std::move(run); }
    // Runs the module (and the baseline before each run) up to the runs and time allowed.
    void module(const std::function<double()> &run);
    // One result of each, measured by the scenario itself.
    void record(double module, double baseline);
    void check(bool ok, const QString &what);
    QJsonObject &extra() { return m_extra; }
    double moduleMedian() const { return Median(m_module); }

    QJsonObject result(const BenchHome &home) const;

private:
    const ScenarioSetup &m_setup;
    std::function<double()> m_baselineRun;
    std::vector<double> m_module;
    std::vector<double> m_baseline;
    QStringList m_failures;
    QJsonObject m_extra;
};
