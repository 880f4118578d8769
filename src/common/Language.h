#pragma once

#include <QString>

// The caption for a four-digit text id from the session's language pack; the default before any
// pack exists or for a blank id. Once a pack exists its answer is used as it comes, even empty.
QString GetLangText(const QString &strId, const QString &strDefault);

// The session language's font as the host's font object gives it.
struct LanguageFont
{
    int charset;
    QString face;
    int size; // points
};

// Throws ArdentaError when there is no font object or it answers what no font can be.
LanguageFont SessionLanguageFont();
