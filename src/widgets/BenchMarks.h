#pragma once
// Marks for the benchmark, which times a window from the outside: with ARDENTA_BENCH_MARKS=1
// in the environment the host program prints them on standard output.

#include <ArdentaExport.h>

class QAbstractItemView;

// Prints "MARK first-row <ns>" once, nanoseconds on the monotonic clock every process of the
// machine shares (std::chrono::steady_clock), when the view first paints with rows in it.
ARDENTA_EXPORT void MarkFirstRowPaint(QAbstractItemView *view);

// True when ARDENTA_BENCH_MARKS=1.
ARDENTA_EXPORT bool BenchMarksWanted();
