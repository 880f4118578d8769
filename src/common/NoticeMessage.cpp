#include "NoticeMessage.h"

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
