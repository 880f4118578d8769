#include "common/Paths.h"

#include <dlfcn.h>
#include <QDir>
#include <QFileInfo>

namespace {
// The folder of the binary that holds this code: the module's library when loaded as one.
QString folderOfThisCode()
{
    Dl_info info{};
    static const int anchor = 0;
    if (dladdr(&anchor, &info) != 0 && info.dli_fname)
        return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath();
    return QDir::currentPath();
}

// A file in the ardenta folder of an XDG base folder, which is made when missing.
QString xdgFile(const QString &name, const char *xdgVariable, const char *fallback)
{
    QString base = qEnvironmentVariable(xdgVariable);
    if (base.isEmpty())
        base = QDir::homePath() + QLatin1String(fallback);
    const QString folder = base + QStringLiteral("/ardenta");
    QDir().mkpath(folder);
    return folder + QLatin1Char('/') + name;
}

// A file of the application folder, or of the user's own folder when the application folder
// cannot be written.
QString sessionFile(const QString &name, const char *xdgVariable, const char *fallback)
{
    const QString home = AppPath();
    if (!qEnvironmentVariableIsEmpty("ARDENTA_HOME") || QFileInfo(home).isWritable())
        return QDir(home).filePath(name);
    return xdgFile(name, xdgVariable, fallback);
}
} // namespace

QString AppPath()
{
    const QString home = qEnvironmentVariable("ARDENTA_HOME");
    if (!home.isEmpty())
        return home;
    static const QString folder = folderOfThisCode();
    return folder;
}

QString ConfigFilePath()
{
    return sessionFile(QStringLiteral("SystemConfig.ini"), "XDG_CONFIG_HOME", "/.config");
}

QString ErrLogFilePath()
{
    return sessionFile(QStringLiteral("Errlog.txt"), "XDG_STATE_HOME", "/.local/state");
}

QString StateFilePath(const QString &name)
{
    return xdgFile(name, "XDG_STATE_HOME", "/.local/state");
}

QString DataPath()
{
    static const QString folder =
        QDir::cleanPath(folderOfThisCode() + QStringLiteral("/../share/ardenta"));
    return folder;
}
