#include "Measurement.h"

#include "BenchSupport.h"

#include <algorithm>
#include <QJsonArray>

double Seconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

double Percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto at = size_t(share * double(values.size() - 1) + 0.5);
    return values[std::min(at, values.size() - 1)];
}

void Measurement::module(const std::function<double()> &run)
{
    double total = 0;
    for (int i = 0; i < m_setup.runs && total <= m_setup.budgetSeconds; ++i) {
        if (m_baselineRun)
            m_baseline.push_back(m_baselineRun());
        m_module.push_back(run());
        total += m_module.back();
    }
}

void Measurement::record(double module, double baseline)
{
    m_module.push_back(module);
    m_baseline.push_back(baseline);
}

void Measurement::check(bool ok, const QString &what)
{
    if (!ok && !m_failures.contains(what))
        m_failures << what;
}

QJsonObject Measurement::result(const BenchHome &home) const
{
    QStringList failures = m_failures;
    const QString log = home.errorLog();
    if (!log.isEmpty())
        failures << QStringLiteral("Errlog.txt: ") + log.left(400);
    const double median = Median(m_module);
    const double base = Median(m_baseline);
    return QJsonObject{{QStringLiteral("median_s"), median},
                       {QStringLiteral("baseline_s"), base},
                       {QStringLiteral("ratio"), base > 0 ? median / base : 0.0},
                       {QStringLiteral("runs"), int(m_module.size())},
                       {QStringLiteral("peak_mb"), PeakMemoryMb()},
                       {QStringLiteral("extra"), m_extra},
                       {QStringLiteral("failures"), QJsonArray::fromStringList(failures)}};
}
