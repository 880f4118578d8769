#include "office/HostSettings.h"

#include "common/DBType.h"
#include "common/IniFile.h"
#include "db/ConnectionString.h"

#include <limits>
#include <pwd.h>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <unistd.h>

namespace {

const QString fileName = QStringLiteral("ardenta/ardenta.conf");

std::optional<bool> readBool(const QString &text)
{
    const QString value = text.trimmed().toLower();
    if (value == QLatin1String("true") || value == QLatin1String("yes") ||
        value == QLatin1String("1"))
        return true;
    if (value == QLatin1String("false") || value == QLatin1String("no") ||
        value == QLatin1String("0"))
        return false;
    return std::nullopt;
}

// Takes over what one file sets; permissions only when the file is a system-wide one.
void apply(HostSettings &settings, const QString &path, bool systemWide)
{
    const IniFile ini(path, std::numeric_limits<qsizetype>::max());
    if (!ini.exists())
        return;
    const auto text = [&ini](const char *section, const char *key) {
        return ini.value(QLatin1String(section), QLatin1String(key));
    };
    const auto complain = [&](const char *section, const char *key) {
        settings.problems << QStringLiteral("%1: [%2] %3=%4")
                                 .arg(path, QLatin1String(section), QLatin1String(key),
                                      text(section, key));
    };
    const auto flag = [&](const char *section, const char *key, bool &target) {
        if (text(section, key).isEmpty())
            return;
        if (const auto value = readBool(text(section, key)))
            target = *value;
        else
            complain(section, key);
    };
    if (!text("Database", "Connection").isEmpty())
        settings.connection = text("Database", "Connection");
    if (const QString dialect = text("Database", "Dialect"); !dialect.isEmpty()) {
        bool ok = false;
        const int value = dialect.toInt(&ok);
        if (ok && value >= 0 && value <= std::numeric_limits<qint16>::max() &&
            ToDBType(qint16(value)))
            settings.dialect = qint16(value);
        else
            complain("Database", "Dialect");
    }
    if (!text("User", "Language").isEmpty())
        settings.language = text("User", "Language");
    if (!text("User", "Operator").isEmpty())
        settings.operatorName = text("User", "Operator");
    flag("Presence", "Enabled", settings.presence);
    if (!text("Presence", "Address").isEmpty())
        settings.address = text("Presence", "Address");
    // Whole seconds from 1 up to the most a timer and its sleep check can take.
    const auto seconds = [&](const char *section, const char *key, int most, int &target) {
        if (text(section, key).isEmpty())
            return;
        bool ok = false;
        const int value = text(section, key).toInt(&ok);
        if (ok && value >= 1 && value <= most)
            target = value;
        else
            complain(section, key);
    };
    seconds("Presence", "RefreshSeconds", 3600, settings.presenceSeconds);
    flag("Notice", "Verify", settings.verifyNotices);
    seconds("Notice", "CheckSeconds", 86400, settings.noticeCheckSeconds);
    if (systemWide) {
        flag("Permissions", "EditStaff", settings.editStaff);
        flag("Permissions", "EditNotice", settings.editNotice);
    }
}

// A value as IniFile reads it back: quoted when blanks or quotes at its ends would be lost.
QByteArray written(const QString &value)
{
    const bool quote =
        value.trimmed() != value || value.startsWith(u'"') || value.startsWith(u'\'');
    return (quote ? u'"' + value + u'"' : value).toUtf8();
}

} // namespace

QString HostSettings::effectiveOperator() const
{
    return operatorName.trimmed().isEmpty() ? HostConfig::LoginName() : operatorName;
}

namespace HostConfig {

QStringList SystemFiles()
{
    QString dirs = qEnvironmentVariable("XDG_CONFIG_DIRS");
    if (dirs.isEmpty())
        dirs = QStringLiteral("/etc/xdg");
    QStringList files;
    for (const QString &dir : dirs.split(u':', Qt::SkipEmptyParts))
        files << QDir(dir).filePath(fileName);
    return files;
}

QString UserFile()
{
    QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (home.isEmpty())
        home = QDir::homePath() + QStringLiteral("/.config");
    return QDir(home).filePath(fileName);
}

HostSettings Read()
{
    HostSettings settings;
    const QStringList system = SystemFiles();
    for (auto file = system.crbegin(); file != system.crend(); ++file)
        apply(settings, *file, true);
    apply(settings, UserFile(), false);
    return settings;
}

bool WriteUser(const HostSettings &settings, QString *error)
{
    if (MaskPasswords(settings.connection) != settings.connection) {
        *error = QStringLiteral("The connection string holds a password. Passwords are not "
                                "written to settings files: keep it in ~/.pgpass or a "
                                "PostgreSQL service file.");
        return false;
    }
    for (const QString &value :
         {settings.connection, settings.language, settings.operatorName, settings.address}) {
        if (value.contains(u'\n') || value.contains(u'\r')) {
            *error = QStringLiteral("A setting cannot hold a line break.");
            return false;
        }
    }
    QByteArray text =
        "; Written by ardenta --settings.\n[Database]\nConnection=" + written(settings.connection) +
        "\nDialect=" + QByteArray::number(settings.dialect) +
        "\n\n[User]\nLanguage=" + written(settings.language) +
        "\nOperator=" + written(settings.operatorName) +
        "\n\n[Presence]\nEnabled=" + (settings.presence ? "true" : "false") +
        "\nAddress=" + written(settings.address) + "\n";
    const QString path = UserFile();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) || !file.commit()) {
        *error = QStringLiteral("Cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

QString LoginName()
{
    if (const passwd *user = ::getpwuid(::getuid()); user && user->pw_name)
        return QString::fromLocal8Bit(user->pw_name);
    return qEnvironmentVariable("USER");
}

} // namespace HostConfig
