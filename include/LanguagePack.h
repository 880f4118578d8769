#pragma once
// The host's language object: caption and message texts by four-digit id.

#include "ArdentaExport.h"

#include <functional>
#include <memory>
#include <QString>
#include <QVariant>

class ARDENTA_EXPORT LanguagePack
{
public:
    virtual ~LanguagePack() = default;
    // Loads the texts of a language; the status is not used by the module.
    virtual int Init(const QString &strSource, const QString &strLanguage,
                     const QVariant &varPack) = 0;
    // The text for the id in the loaded language (may be empty).
    virtual QString GetText(const QString &strId) = 0;
};

using LanguagePackFactory = std::function<std::shared_ptr<LanguagePack>()>;

// A host replaces the built-in packs by registering its own factory; an empty factory restores
// the built-in one. A factory that throws makes ShowForm log the failure and open no window.
ARDENTA_EXPORT void SetLanguagePackFactory(LanguagePackFactory factory);
ARDENTA_EXPORT std::shared_ptr<LanguagePack> CreateLanguagePack();
