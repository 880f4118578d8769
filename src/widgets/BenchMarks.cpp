#include "widgets/BenchMarks.h"

#include <chrono>
#include <cstdio>
#include <QAbstractItemView>
#include <QEvent>

namespace {
long long Now()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<long long>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
}

class FirstRowPaint : public QObject
{
public:
    explicit FirstRowPaint(QAbstractItemView *view) : QObject(view), m_view(view) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && m_view->model() && m_view->model()->rowCount() > 0) {
            std::printf("MARK first-row %lld\n", Now());
            std::fflush(stdout);
            watched->removeEventFilter(this);
        }
        return false;
    }

private:
    QAbstractItemView *m_view;
};
} // namespace

void MarkFirstRowPaint(QAbstractItemView *view)
{
    view->viewport()->installEventFilter(new FirstRowPaint(view));
}

void MarkBoardRow(qint64 id, int row)
{
    if (!BenchMarksWanted())
        return;
    std::printf("MARK board-row %lld %d %lld\n", static_cast<long long>(id), row, Now());
    std::fflush(stdout);
}

bool BenchMarksWanted()
{
    return qEnvironmentVariable("ARDENTA_BENCH_MARKS") == QLatin1String("1");
}
