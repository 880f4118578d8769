#pragma once

#include <QString>

// The caption for a four-digit text id from the session's language pack; the default before any
// pack exists or for a blank id. Once a pack exists its answer is used as it comes, even empty.
QString GetLangText(const QString &strId, const QString &strDefault);

// A text id with its English default.
struct LangText
{
    const char *Id;
    const char *Default;
};
QString GetLangText(const LangText &text);

// The texts more than one window shows.
namespace ModuleTexts {
inline constexpr LangText Saved{"0068", "Saved!"};
inline constexpr LangText Failed{"0069", "Failed!"};
// Beside "Failed!": where the log entry with the whole story is.
inline constexpr LangText ErrorLog{"0483", "Error log: %1"};
// Asked before deleting one record as well as all of them.
inline constexpr LangText DeleteQuestion{"0077", "Are You Want To Delete All Records?"};
// Asked before what the user changed and did not save is thrown away.
inline constexpr LangText DiscardQuestion{"0490", "Your changes are not saved. Throw them away?"};
} // namespace ModuleTexts

// The session language's font as the host's font object gives it.
struct LanguageFont
{
    int charset;
    QString face;
    int size; // points
};

// Throws ArdentaError when there is no font object or it answers what no font can be.
LanguageFont SessionLanguageFont();
