#pragma once
// The text of a notice datagram: "###Notice###" "~!" publisher "~!" content, nothing else. There
// is no escaping, so a publisher holding "~!" shifts the fields for the receiver; the sender
// passes both values on unchanged all the same, as receivers already in use expect.

#include <ArdentaExport.h>

#include <optional>
#include <QByteArray>
#include <QString>

namespace NoticeMessage {

inline constexpr char16_t Marker[] = u"###Notice###";
inline constexpr char16_t Separator[] = u"~!";

ARDENTA_EXPORT QString Compose(const QString &strPublisher, const QString &strContent);

struct ARDENTA_EXPORT Fields
{
    QString publisher;
    QString content;
};

// Splits a received text at its first two separators; nothing when the first field is not the
// marker or a separator is missing.
ARDENTA_EXPORT std::optional<Fields> Parse(const QString &text);

// A received datagram in the given encoding (see Codec) read as a notice.
ARDENTA_EXPORT std::optional<Fields> Decode(const QByteArray &datagram, const QString &encoding);

// A field from the network made fit for one line of a terminal or a desktop notification: line
// breaks and tabs become blanks, other control characters (C0, DEL, C1) are shown as "\xHH" so
// that no escape sequence reaches the screen.
ARDENTA_EXPORT QString Printable(const QString &text);

// At most the first count characters of text; a surrogate pair is never cut in half.
ARDENTA_EXPORT QString LeftChars(const QString &text, int count);

} // namespace NoticeMessage
