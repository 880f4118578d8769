#pragma once

#include <QApplication>

// Shows the busy cursor for the lifetime of the guard, also when the work throws.
class BusyCursor
{
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

// The ordinary cursor while the user is asked something in the middle of long work.
class NotBusy
{
public:
    NotBusy() { QApplication::setOverrideCursor(Qt::ArrowCursor); }
    ~NotBusy() { QApplication::restoreOverrideCursor(); }
    NotBusy(const NotBusy &) = delete;
    NotBusy &operator=(const NotBusy &) = delete;
};
