#pragma once
// Marks for the benchmark, which times a window from the outside: with ARDENTA_BENCH_MARKS=1
// in the environment the host program prints them on standard output.

#include <ArdentaExport.h>

#include <QtGlobal>

class QAbstractItemView;

// Prints "MARK first-row <ns>" once, nanoseconds on the monotonic clock every process of the
// machine shares (std::chrono::steady_clock), when the view first paints with rows in it.
ARDENTA_EXPORT void MarkFirstRowPaint(QAbstractItemView *view);

// Prints "MARK board-row <id> <row> <ns>" when the open notice board has put a notice that
// arrived into its list, as grid row `row`, without reloading it.
void MarkBoardRow(qint64 id, int row);

// True when ARDENTA_BENCH_MARKS=1.
ARDENTA_EXPORT bool BenchMarksWanted();
