#include "common/NoticeSettings.h"

#include "common/Config.h"

namespace {
quint16 configPort(const QString &key, quint16 fallback)
{
    bool ok = false;
    const uint port = ReadConfigValue(QStringLiteral("Notice"), key).toUInt(&ok);
    return ok && port > 0 && port <= 65535 ? quint16(port) : fallback;
}
} // namespace

NoticeSettings NoticeSettings::Read()
{
    NoticeSettings settings;
    settings.localPort = configPort(QStringLiteral("LocalPort"), settings.localPort);
    settings.remotePort = configPort(QStringLiteral("RemotePort"), settings.remotePort);
    const QString encoding = ReadConfigValue(QStringLiteral("Notice"), QStringLiteral("Encoding"));
    if (!encoding.isEmpty())
        settings.encoding = encoding;
    return settings;
}
