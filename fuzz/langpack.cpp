// Language packs as the module reads them from a file: any text gives captions within the profile
// limit and a font size the windows can use.

#include "common/BuiltinLanguagePack.h"
#include "FuzzSupport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    static QTemporaryDir home;
    QDir(home.path()).mkdir(QStringLiteral("lang"));
    qputenv("ARDENTA_HOME", home.path().toUtf8());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path = qEnvironmentVariable("ARDENTA_HOME") + "/lang/FZ.lang";
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    BuiltinLanguagePack pack;
    pack.Init(QString(), QStringLiteral("FZ"), QVariant(path));
    static const QRegularExpression id(QStringLiteral("\\d{4}"));
    for (auto it = id.globalMatch(InputText(data, size)); it.hasNext();) {
        const QString text = pack.GetText(it.next().captured());
        FUZZ_REQUIRE(text.size() <= IniFile::MaxValueLength, text);
    }
    BuiltinFontScheme font;
    font.SetLanguage(QStringLiteral("fz"));
    FUZZ_REQUIRE(font.FontSize() > 0, QString::number(font.FontSize()));
    FUZZ_REQUIRE(!font.FontName().isEmpty(), InputText(data, size));
    return 0;
}
