#pragma once

#include <QString>

// The caption for a four-digit text id from the session's language pack; the default before any
// pack exists or for a blank id. Once a pack exists its answer is used as it comes, even empty.
QString GetLangText(const QString &strId, const QString &strDefault);
