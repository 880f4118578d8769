#include "common/Language.h"

#include "common/ArdentaError.h"
#include "common/Convert.h"
#include "common/Session.h"
#include <FontScheme.h>
#include <LanguagePack.h>

QString GetLangText(const QString &strId, const QString &strDefault)
{
    const auto &pack = Session().gobjLanguagePack;
    if (!pack || IsBlank(strId))
        return strDefault;
    // Once a pack exists its answer stands, even an empty one.
    return pack->GetText(strId);
}

QString GetLangText(const LangText &text)
{
    return GetLangText(QLatin1String(text.Id), QString::fromUtf8(text.Default));
}

LanguageFont SessionLanguageFont()
{
    const auto &scheme = Session().gobjFontScheme;
    if (!scheme)
        throw ArdentaError(QStringLiteral("Object variable or With block variable not set"));
    bool ok = false;
    const int charset = scheme->Charset().trimmed().toInt(&ok);
    if (!ok)
        throw ArdentaError(QStringLiteral("Type mismatch"));
    const QString face = scheme->FontName();
    const int size = scheme->FontSize();
    if (size <= 0)
        throw ArdentaError(QStringLiteral("Invalid property value"));
    return {charset, face, size};
}
