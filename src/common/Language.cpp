#include "Language.h"

#include "Convert.h"
#include "LanguagePack.h"
#include "Session.h"

QString GetLangText(const QString &strId, const QString &strDefault)
{
    if (!gobjLanguagePack)
        return strDefault;
    if (IsBlank(strId))
        return strDefault;
    // Once a pack exists its answer stands, even an empty one.
    return gobjLanguagePack->GetText(strId);
}
