#pragma once
// The host's font object: the font of the chosen language.

#include "ArdentaExport.h"

#include <functional>
#include <memory>
#include <QString>

class ARDENTA_EXPORT FontScheme
{
public:
    virtual ~FontScheme() = default;
    virtual void SetLanguage(const QString &strLanguage) = 0;
    virtual QString Charset() = 0; // character-set number as text
    virtual QString FontName() = 0;
    virtual qint16 FontSize() = 0; // points
};

using FontSchemeFactory = std::function<std::shared_ptr<FontScheme>()>;

ARDENTA_EXPORT void SetFontSchemeFactory(FontSchemeFactory factory);
ARDENTA_EXPORT std::shared_ptr<FontScheme> CreateFontScheme();
