#include "TestHome.h"

#include "common/Session.h"

#include <QDir>
#include <QFile>

namespace {
// The module's folder, and the host program's settings folders: never the developer's own.
constexpr const char *homeVariables[] = {"ARDENTA_HOME", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS"};
} // namespace

TestHome::TestHome()
{
    for (const char *name : homeVariables)
        m_previous.append(qgetenv(name));
    qputenv("ARDENTA_HOME", m_dir.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", file("config").toUtf8());
    qputenv("XDG_CONFIG_DIRS", file("etc-xdg").toUtf8());
    Session() = SessionState();
}

TestHome::~TestHome()
{
    for (int i = 0; i < int(std::size(homeVariables)); ++i) {
        if (m_previous[i].isEmpty())
            qunsetenv(homeVariables[i]);
        else
            qputenv(homeVariables[i], m_previous[i]);
    }
}

QByteArray TestHome::logBytes() const
{
    QFile log(file("Errlog.txt"));
    return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
}

int TestHome::logEntryCount() const
{
    return int(logBytes().count(QByteArray(QByteArray(79, '=') + "\r\n")));
}

void TestHome::writeConfig(const QByteArray &iniText) const
{
    QFile config(file("SystemConfig.ini"));
    if (config.open(QIODevice::WriteOnly | QIODevice::Truncate))
        config.write(iniText);
}

void TestHome::writeSettings(bool systemWide, const QByteArray &text) const
{
    const QString folder = file(systemWide ? "etc-xdg/ardenta" : "config/ardenta");
    QDir().mkpath(folder);
    QFile settings(folder + "/ardenta.conf");
    if (settings.open(QIODevice::WriteOnly | QIODevice::Truncate))
        settings.write(text);
}
