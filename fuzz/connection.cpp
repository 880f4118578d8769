// Connection strings: masking and then parsing gives "***" for the password and leaves every
// other field as parsing the string itself gives it; an ODBC string keeps every other attribute.
// A message quoting the string, masked, holds no password.

#include "db/ConnectionString.h"
#include "FuzzSupport.h"

namespace {

// A password reads "***" once masked; an empty one may stay empty or be masked too (what follows
// an empty quoted value is masked with it, since drivers that know no quotes read it).
bool MaskedAs(const QString &password, const QString &masked)
{
    return masked == QLatin1String("***") || (password.isEmpty() && masked.isEmpty());
}

void RequireOdbcMasked(const QString &text, const QString &masked)
{
    const auto plain = OdbcAttributes(text);
    const auto read = OdbcAttributes(masked);
    FUZZ_REQUIRE(read.size() == plain.size(), text + u'\n' + masked);
    for (qsizetype i = 0; i < plain.size(); ++i) {
        FUZZ_REQUIRE(read[i].first == plain[i].first, text + u'\n' + masked);
        const bool password = plain[i].first == u"pwd" || plain[i].first == u"password";
        FUZZ_REQUIRE(password ? MaskedAs(plain[i].second, read[i].second)
                              : read[i].second == plain[i].second,
                     text + u'\n' + masked);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = InputText(data, size);
    const QString masked = MaskPasswords(text);
    const ConnectionSettings plain = ParseConnectionString(text);
    const ConnectionSettings read = ParseConnectionString(masked);
    const QString detail = text + u'\n' + masked;
    FUZZ_REQUIRE(read.backend == plain.backend, detail);
    if (plain.backend == DbBackend::ODBC) {
        RequireOdbcMasked(text, masked);
        return 0;
    }
    FUZZ_REQUIRE(MaskedAs(plain.password, read.password), detail);
    // A message quoting the string keeps no password either (one of stars could not be told).
    if (!plain.password.isEmpty() && !plain.password.contains(u'*'))
        FUZZ_REQUIRE(!MaskPasswordsIn(text, text).contains(plain.password), detail);
    FUZZ_REQUIRE(read.driver == plain.driver && read.databaseName == plain.databaseName &&
                     read.hostName == plain.hostName && read.port == plain.port &&
                     read.ports == plain.ports && read.userName == plain.userName &&
                     read.connectOptions == plain.connectOptions && read.error == plain.error,
                 detail);
    return 0;
}
