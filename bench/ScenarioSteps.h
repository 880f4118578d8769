#pragma once
// Steps the window scenarios share: the bare forward-only fetch their baselines time, and
// showing, closing and reading the grid of a window.

#include <QString>

class FlexGrid;
class QWidget;

// The operator the scenarios' session runs as.
inline const QString BenchOperator = QStringLiteral("bench");

// Forward-only fetch of every value, on a connection of its own.
// Returns the seconds taken; *rows gets the row count.
double BareFetch(const QString &connection, const QString &sql, qint64 *rows = nullptr);

void ShowAndPaint(QWidget *window);
void CloseAndDelete(QWidget *window);
// The window's main grid; null for no window.
FlexGrid *GridOf(QWidget *window);
