// Received datagrams in every encoding a receiver may be set to: a notice is read without harm,
// its fields print without control characters, and composing them again reads back the same.

#include "common/NoticeMessage.h"
#include "FuzzSupport.h"

#include <QRegularExpression>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QRegularExpression control(QStringLiteral(R"([\x00-\x1f\x7f-\x9f])"));
    const QByteArray datagram(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const char *encoding : {"UTF-8", "GB18030", "Big5", "ISO-8859-1"}) {
        const auto fields = NoticeMessage::Decode(datagram, QLatin1String(encoding));
        if (!fields)
            continue;
        for (const QString &field : {fields->publisher, fields->content})
            FUZZ_REQUIRE(!NoticeMessage::Printable(field).contains(control), field);
        const auto again =
            NoticeMessage::Parse(NoticeMessage::Compose(fields->publisher, fields->content));
        FUZZ_REQUIRE(again && again->publisher == fields->publisher &&
                         again->content == fields->content,
                     fields->content);
        const QString head = NoticeMessage::LeftChars(fields->content, 10);
        FUZZ_REQUIRE(head.isEmpty() || !head.back().isHighSurrogate() ||
                         head.size() == fields->content.size(),
                     head);
    }
    return 0;
}
