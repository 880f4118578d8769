#include "common/Codec.h"

#include <cerrno>
#include <iconv.h>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {

// Converts with iconv, replacing what cannot be converted: the skipped input is one byte, or one
// whole UTF-8 sequence when the input is UTF-8.
bool iconvConvert(const QByteArray &input, const char *from, const char *to, bool inputIsUtf8,
                  const QByteArray &replacement, QByteArray *output)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;

    output->clear();
    char *in = const_cast<char *>(input.constData());
    size_t inLeft = size_t(input.size());
    char buffer[4096];
    while (inLeft > 0) {
        char *out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
        output->append(buffer, qsizetype(out - buffer));
        if (result != size_t(-1) || errno == E2BIG)
            continue;
        // EILSEQ or EINVAL (cut short at the end): replace and step over the bad unit.
        output->append(replacement);
        size_t skip = 1;
        if (inputIsUtf8) {
            while (skip < inLeft && (static_cast<unsigned char>(in[skip]) & 0xC0) == 0x80)
                ++skip;
        }
        in += skip;
        inLeft -= skip;
    }
    char *out = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &out, &outLeft); // shift back to the initial state
    output->append(buffer, qsizetype(out - buffer));
    iconv_close(cd);
    return true;
}

} // namespace

namespace Codec {

bool IsKnown(const QString &encoding)
{
    if (QStringEncoder(encoding.toLatin1().constData()).isValid())
        return true;
    const QByteArray name = encoding.toLatin1();
    iconv_t cd = iconv_open("UTF-8", name.constData());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    iconv_close(cd);
    return true;
}

QByteArray Encode(const QString &text, const QString &encoding, bool *ok)
{
    const QByteArray name = encoding.toLatin1();
    QStringEncoder encoder(name.constData());
    QByteArray bytes;
    bool known = true;
    if (encoder.isValid())
        bytes = encoder.encode(text);
    else
        known = iconvConvert(text.toUtf8(), "UTF-8", name.constData(), true, "?", &bytes);
    if (ok)
        *ok = known;
    return known ? bytes : QByteArray();
}

QString Decode(const QByteArray &bytes, const QString &encoding, bool *ok)
{
    const QByteArray name = encoding.toLatin1();
    QStringDecoder decoder(name.constData());
    if (decoder.isValid()) {
        if (ok)
            *ok = true;
        return decoder.decode(bytes);
    }
    QByteArray utf8;
    const bool known = iconvConvert(bytes, name.constData(), "UTF-8", false, "\xEF\xBF\xBD", &utf8);
    if (ok)
        *ok = known;
    return known ? QString::fromUtf8(utf8) : QString();
}

} // namespace Codec
