#include "Language.h"

#include "LanguagePack.h"
#include "Session.h"

QString GetLangText(const QString &strId, const QString &strDefault)
{
    if (!gobjLanguagePack)
        return strDefault;
    if (QString(strId).remove(QLatin1Char(' ')).isEmpty())
        return strDefault;
    // Once a pack exists its answer stands, even an empty one.
    return gobjLanguagePack->GetText(strId);
}
