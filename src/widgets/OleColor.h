#pragma once
// Colours as the original stores them: whole numbers &H00BBGGRR (red in the low byte), and the
// system colours &H800000nn by their Windows index.

#include <QColor>

namespace OleColor {
QColor ToColor(qint32 color); // system colours map to the application's palette
qint32 FromColor(const QColor &color);
} // namespace OleColor
