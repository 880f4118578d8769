#pragma once

#include "common/IniFile.h"
#include <FontScheme.h>
#include <LanguagePack.h>

// Language packs shipped with the module: resources/lang/<CODE>.lang, an INI text with the
// captions in section [Text] (by four-digit id) and the language's font in section [Font]. A
// copy in the application folder's lang/ folder replaces the compiled-in one; the LangPack value
// of ShowForm may name a pack file of the host's own. An unknown language reads English.
class BuiltinLanguagePack : public LanguagePack
{
public:
    int Init(const QString &strSource, const QString &strLanguage,
             const QVariant &varPack) override;
    QString GetText(const QString &strId) override;

    // The pack file for a language code, following the rules above (without a host file).
    static QString PackPath(const QString &language);

private:
    std::unique_ptr<IniFile> m_pack;
};

class BuiltinFontScheme : public FontScheme
{
public:
    void SetLanguage(const QString &strLanguage) override;
    QString Charset() override;
    QString FontName() override;
    qint16 FontSize() override;

private:
    QString m_charset = QStringLiteral("0");
    QString m_face = QStringLiteral("Sans Serif");
    qint16 m_size = 9;
};
