#include "TestHome.h"

#include "Session.h"

#include <QFile>

TestHome::TestHome() : m_previousHome(qgetenv("ARDENTA_HOME"))
{
    qputenv("ARDENTA_HOME", m_dir.path().toUtf8());
    Session() = SessionState();
}

TestHome::~TestHome()
{
    if (m_previousHome.isEmpty())
        qunsetenv("ARDENTA_HOME");
    else
        qputenv("ARDENTA_HOME", m_previousHome);
}

QByteArray TestHome::logBytes() const
{
    QFile log(file(QStringLiteral("Errlog.txt")));
    return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
}

int TestHome::logEntryCount() const
{
    return int(logBytes().count(QByteArray(QByteArray(79, '=') + "\r\n")));
}

void TestHome::writeConfig(const QByteArray &iniText) const
{
    QFile config(file(QStringLiteral("SystemConfig.ini")));
    if (config.open(QIODevice::WriteOnly | QIODevice::Truncate))
        config.write(iniText);
}
