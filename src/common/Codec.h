#pragma once
// Text <-> bytes in a named encoding. Qt's own converters come first (UTF encodings, and all
// that ICU knows when Qt was built with it); glibc's iconv covers the rest, so GB18030 and the
// other legacy code pages work on any build. Characters that the target cannot hold become "?"
// when encoding, broken byte sequences become U+FFFD when decoding.

#include <ArdentaExport.h>

#include <QByteArray>
#include <QString>

namespace Codec {

// True when text can be converted to and from the encoding.
ARDENTA_EXPORT bool IsKnown(const QString &encoding);

// ok (when given) is false only for an unknown encoding; the result is then empty.
ARDENTA_EXPORT QByteArray Encode(const QString &text, const QString &encoding, bool *ok = nullptr);
ARDENTA_EXPORT QString Decode(const QByteArray &bytes, const QString &encoding, bool *ok = nullptr);

} // namespace Codec
