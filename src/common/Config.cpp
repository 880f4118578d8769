#include "common/Config.h"

#include "common/Convert.h"
#include "common/ErrLog.h"
#include "common/IniFile.h"
#include "common/Paths.h"
#include "common/Session.h"

QString ReadConfigValue(const QString &strSection, const QString &strKey)
{
    return IniFile(ConfigFilePath()).value(strSection, strKey);
}

void GetSpecialConfig()
{
    struct Key
    {
        const char *name;
        qint32 SessionState::*variable;
    };
    static constexpr Key keys[] = {{"FontColor", &SessionState::glngGridFontColor},
                                   {"FixedFontColor", &SessionState::glngGridFixedFontColor},
                                   {"BackColor", &SessionState::glngGridBackColor},
                                   {"Alternate", &SessionState::glngGridAlternate}};
    try {
        for (const Key &key : keys) {
            qint32 value = 0;
            const QString text =
                ReadConfigValue(QStringLiteral("GridColor"), QLatin1String(key.name));
            if (!text.trimmed().isEmpty() && IsNumericText(text))
                value = ToLong(text);
            Session().*key.variable = value > 0 ? value : 0;
        }
    } catch (const std::exception &error) {
        LogFailure(error, QStringLiteral("GetSpecialConfig"), QStringLiteral("modPublic"));
    }
}
