// The INI reader: any text reads without harm, and no value is longer than the profile limit or
// ends in half a surrogate pair.

#include "common/IniFile.h"
#include "FuzzSupport.h"

#include <QRegularExpression>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const IniFile ini = IniFile::FromText(bytes);
    // Every name that appears in the text, asked for under every section that appears.
    static const QRegularExpression section(R"(^\s*\[([^\]\n]*))",
                                            QRegularExpression::MultilineOption);
    static const QRegularExpression key(R"(^([^=\n]*)=)", QRegularExpression::MultilineOption);
    const QString text = QString::fromUtf8(bytes);
    QStringList sections, keys;
    for (auto it = section.globalMatch(text); it.hasNext();)
        sections << it.next().captured(1).trimmed();
    for (auto it = key.globalMatch(text); it.hasNext();)
        keys << it.next().captured(1).trimmed();
    for (const QString &name : sections) {
        for (const QString &k : keys) {
            const QString value = ini.value(name, k);
            FUZZ_REQUIRE(value.size() <= IniFile::MaxValueLength, value);
            FUZZ_REQUIRE(value.isEmpty() || !value.back().isHighSurrogate(), value);
        }
    }
    return 0;
}
