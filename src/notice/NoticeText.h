#pragma once
// Small text rules the notice and search windows share.

#include <QColor>
#include <QString>

// The original trims blanks (space characters) only; tabs and line breaks stay.
inline QString TrimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    return text.mid(begin, end - begin);
}

// Record keys go into statements unquoted, so only plain whole numbers are accepted.
inline bool IsWholeNumber(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

// A colour in the Windows layout &H00BBGGRR.
inline QColor OleColor(quint32 bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}
