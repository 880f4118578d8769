#include "widgets/BenchMarks.h"

#include <chrono>
#include <cstdio>
#include <QAbstractItemView>
#include <QEvent>

namespace {
class FirstRowPaint : public QObject
{
public:
    explicit FirstRowPaint(QAbstractItemView *view) : QObject(view), m_view(view) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && m_view->model() && m_view->model()->rowCount() > 0) {
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            std::printf("MARK first-row %lld\n",
                        static_cast<long long>(
                            std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
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

bool BenchMarksWanted()
{
    return qEnvironmentVariable("ARDENTA_BENCH_MARKS") == QLatin1String("1");
}
