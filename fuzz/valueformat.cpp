// Value formatting: whatever is typed becomes Null or one well-formed SQL literal, so no text can
// leave its quotes; dates read back as they were written.

#include "db/ValueFormat.h"
#include "common/Convert.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString value = InputText(data, size);
    const QString literal = FormatStr(value);
    if (literal != u"Null") {
        FUZZ_REQUIRE(literal.size() >= 2 && literal.front() == u'\'' && literal.back() == u'\'',
                     literal);
        const QString inside = literal.mid(1, literal.size() - 2);
        FUZZ_REQUIRE(!QString(inside).remove(QLatin1String("''")).contains(u'\''), literal);
    }
    FUZZ_REQUIRE(FormatStr(value, false).count(u'\'') % 2 == 0 || literal == u"Null", value);
    if (const auto moment = ParseDateText(value)) {
        FUZZ_REQUIRE(moment->isValid(), value);
        const auto again = ParseDateText(GeneralDateText(*moment));
        FUZZ_REQUIRE(again && *again == *moment, value);
    }
    if (IsNumericText(value)) {
        try {
            ToLong(value);
        } catch (const std::exception &) {
            // Overflow is an answer too.
        }
    }
    Nulltostr(QVariant(value));
    return 0;
}
