#pragma once

#include <functional>
#include <QDateTime>

// The local date and time as the module sees it. Tests freeze it; everything else uses the
// system clock.
QDateTime Now();
QDate Today();
void SetClock(std::function<QDateTime()> clock); // empty restores the system clock
