#pragma once

#include <QFontMetricsF>
#include <QHash>

// Whether a line of text fits a width, mostly without shaping it: the characters' own advances
// are added up and, with room left for kerning, decide; a text near the limit is measured whole.
class TextWidths
{
public:
    TextWidths(const QFont &font, QPaintDevice *device) : m_metrics(font, device) {}
    bool fits(const QString &text, qreal width);
    const QFontMetricsF &metrics() const { return m_metrics; }

private:
    QFontMetricsF m_metrics;
    QHash<char16_t, qreal> m_advances;
};
