#include "common/BuiltinLanguagePack.h"

#include "common/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <limits>
#include <memory>

namespace {
LanguagePackFactory &languagePackFactory()
{
    static LanguagePackFactory factory;
    return factory;
}

FontSchemeFactory &fontSchemeFactory()
{
    static FontSchemeFactory factory;
    return factory;
}

// Qt's own texts (standard buttons, file dialogs) in the pack's language, one language at a
// time: a pack names its locale in [Qt] Locale.
void installQtTranslations(const QString &locale)
{
    static QTranslator *installed = nullptr;
    if (!QCoreApplication::instance())
        return;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
        installed = nullptr;
    }
    if (locale.isEmpty())
        return;
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(QLocale(locale), QStringLiteral("qt"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(translator.get()))
        installed = translator.release();
}
} // namespace

QString BuiltinLanguagePack::PackPath(const QString &language)
{
    const QString code = language.trimmed().toUpper();
    if (!code.isEmpty() && !code.contains(QLatin1Char('/'))) {
        const QString file = QStringLiteral("lang/") + code + QStringLiteral(".lang");
        // A copy beside the module, then an installed one, replaces the compiled-in pack.
        for (const QString &folder : {AppPath(), DataPath()}) {
            const QString installed = QDir(folder).filePath(file);
            if (QFileInfo::exists(installed))
                return installed;
        }
        const QString compiled = QStringLiteral(":/lang/") + code + QStringLiteral(".lang");
        if (QFileInfo::exists(compiled))
            return compiled;
    }
    return QStringLiteral(":/lang/ENG.lang");
}

int BuiltinLanguagePack::Init(const QString &, const QString &strLanguage, const QVariant &varPack)
{
    const QString hostFile = varPack.toString().trimmed();
    const bool ownFile = !hostFile.isEmpty() && QFileInfo(hostFile).isFile();
    m_pack = std::make_unique<IniFile>(ownFile ? hostFile : PackPath(strLanguage));
    installQtTranslations(m_pack->value(QStringLiteral("Qt"), QStringLiteral("Locale")));
    return ownFile || hostFile.isEmpty() ? 0 : 1;
}

QString BuiltinLanguagePack::GetText(const QString &strId)
{
    return m_pack ? m_pack->value(QStringLiteral("Text"), strId.trimmed()) : QString();
}

void BuiltinFontScheme::SetLanguage(const QString &strLanguage)
{
    const IniFile pack(BuiltinLanguagePack::PackPath(strLanguage));
    const QString charset = pack.value(QStringLiteral("Font"), QStringLiteral("Charset"));
    const QString face = pack.value(QStringLiteral("Font"), QStringLiteral("FontName"));
    bool sized = false;
    const int size = pack.value(QStringLiteral("Font"), QStringLiteral("FontSize")).toInt(&sized);
    if (!charset.isEmpty())
        m_charset = charset;
    if (!face.isEmpty())
        m_face = face;
    // A size the font size type cannot hold is as unreadable as "abc".
    if (sized && size > 0 && size <= std::numeric_limits<qint16>::max())
        m_size = qint16(size);
}

QString BuiltinFontScheme::Charset()
{
    return m_charset;
}

QString BuiltinFontScheme::FontName()
{
    return m_face;
}

qint16 BuiltinFontScheme::FontSize()
{
    return m_size;
}

void SetLanguagePackFactory(LanguagePackFactory factory)
{
    languagePackFactory() = std::move(factory);
}

std::shared_ptr<LanguagePack> CreateLanguagePack()
{
    if (const auto &factory = languagePackFactory())
        return factory();
    return std::make_shared<BuiltinLanguagePack>();
}

void SetFontSchemeFactory(FontSchemeFactory factory)
{
    fontSchemeFactory() = std::move(factory);
}

std::shared_ptr<FontScheme> CreateFontScheme()
{
    if (const auto &factory = fontSchemeFactory())
        return factory();
    return std::make_shared<BuiltinFontScheme>();
}
