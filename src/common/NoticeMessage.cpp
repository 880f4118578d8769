#include "common/NoticeMessage.h"

#include "common/Codec.h"

namespace NoticeMessage {

QString Compose(const QString &strPublisher, const QString &strContent)
{
    return QString::fromUtf16(Marker) + QString::fromUtf16(Separator) + strPublisher +
           QString::fromUtf16(Separator) + strContent;
}

std::optional<Fields> Parse(const QString &text)
{
    const QString separator = QString::fromUtf16(Separator);
    const qsizetype first = text.indexOf(separator);
    if (first < 0 || QStringView(text).left(first) != QString::fromUtf16(Marker))
        return std::nullopt;
    const qsizetype publisherStart = first + separator.size();
    const qsizetype second = text.indexOf(separator, publisherStart);
    if (second < 0)
        return std::nullopt;
    return Fields{text.mid(publisherStart, second - publisherStart),
                  text.mid(second + separator.size())};
}

std::optional<Fields> Decode(const QByteArray &datagram, const QString &encoding)
{
    return Parse(Codec::Decode(datagram, encoding));
}

QString Printable(const QString &text)
{
    QString line;
    line.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            continue; // "\r\n" is one break
        if (c == u'\r' || c == u'\n' || c == u'\t')
            line += u' ';
        else if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
            line += QStringLiteral("\\x") +
                    QString::number(c, 16).toUpper().rightJustified(2, QLatin1Char('0'));
        else
            line += text.at(i);
    }
    return line;
}

QString LeftChars(const QString &text, int count)
{
    qsizetype end = 0;
    for (int taken = 0; taken < count && end < text.size(); ++taken) {
        const bool pair = text.at(end).isHighSurrogate() && end + 1 < text.size() &&
                          text.at(end + 1).isLowSurrogate();
        end += pair ? 2 : 1;
    }
    return text.left(end);
}

} // namespace NoticeMessage
