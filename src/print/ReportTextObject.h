#pragma once

#include <QFont>
#include <QString>

// A text object of a report definition: a named caption with its own font. The character set is
// kept for the record; Qt chooses glyphs by face name and script itself.
struct ReportTextObject
{
    QString Name;
    QFont Font;
    int Charset = 0;
    QString Text;
};
