#include "office/HostTexts.h"

#include "common/BuiltinLanguagePack.h"

HostTexts::HostTexts(const QString &language, const QString &langPack)
    : m_pack(std::make_shared<BuiltinLanguagePack>())
{
    m_pack->Init(QString(), language, QVariant(langPack));
}

QString HostTexts::text(const char *id, const char *english) const
{
    const QString found = m_pack->GetText(QLatin1String(id));
    return found.isEmpty() ? QString::fromUtf8(english) : found;
}
