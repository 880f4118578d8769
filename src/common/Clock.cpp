#include "common/Clock.h"

namespace {
std::function<QDateTime()> &clockFunction()
{
    static std::function<QDateTime()> clock;
    return clock;
}
} // namespace

QDateTime Now()
{
    const auto &clock = clockFunction();
    const QDateTime now = clock ? clock() : QDateTime::currentDateTime();
    // Whole seconds, as the original's clock gave them.
    return now.addMSecs(-now.time().msec());
}

QDate Today()
{
    return Now().date();
}

void SetClock(std::function<QDateTime()> clock)
{
    clockFunction() = std::move(clock);
}
