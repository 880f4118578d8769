#pragma once
// The host program's own captions by four-digit id, from the shipped language pack of its
// language (or a pack file of its own), in English where the pack has none. Making it also
// gives Qt's own texts the pack's language.

#include <ArdentaExport.h>

#include <memory>
#include <QString>

class LanguagePack;

class ARDENTA_EXPORT HostTexts
{
public:
    HostTexts(const QString &language, const QString &langPack = QString());
    QString text(const char *id, const char *english) const;

private:
    std::shared_ptr<LanguagePack> m_pack;
};
