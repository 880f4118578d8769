#include "print/TextWidths.h"

bool TextWidths::fits(const QString &text, qreal width)
{
    qreal sum = 0;
    for (const QChar c : text) {
        if (c.isSurrogate()) // measured whole below
            return m_metrics.horizontalAdvance(text) <= width;
        auto found = m_advances.constFind(c.unicode());
        if (found == m_advances.cend())
            found = m_advances.insert(c.unicode(), m_metrics.horizontalAdvance(c));
        sum += *found;
    }
    // Kerning moves a line by far less than this.
    if (sum <= width * 0.95)
        return true;
    return m_metrics.horizontalAdvance(text) <= width;
}
