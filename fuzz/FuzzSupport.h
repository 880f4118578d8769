#pragma once
// What every fuzz target shares: the input as text, and a failed property as a crash that
// libFuzzer keeps with its input.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <QString>

inline QString InputText(const uint8_t *data, size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
}

[[noreturn]] inline void PropertyFailed(const char *what, const QString &detail)
{
    std::fprintf(stderr, "property failed: %s\n%s\n", what, qPrintable(detail));
    std::abort();
}

#define FUZZ_REQUIRE(condition, detail)                                                            \
    do {                                                                                           \
        if (!(condition))                                                                          \
            PropertyFailed(#condition, detail);                                                    \
    } while (false)
