#include "NoticeBroadcast.h"

#include "Appearance.h"
#include "ArdentaError.h"
#include "Codec.h"
#include "NoticeMessage.h"

#include <QHostAddress>
#include <QNetworkInterface>
#include <QUdpSocket>

namespace {

std::function<QString()> &localIPSource()
{
    static std::function<QString()> source;
    return source;
}

quint16 configPort(const QString &key, quint16 fallback)
{
    bool ok = false;
    const uint port = ReadConfigValue(QStringLiteral("Notice"), key).toUInt(&ok);
    return ok && port > 0 && port <= 65535 ? quint16(port) : fallback;
}

} // namespace

NoticeBroadcast::Settings NoticeBroadcast::ReadSettings()
{
    Settings settings;
    settings.localPort = configPort(QStringLiteral("LocalPort"), settings.localPort);
    settings.remotePort = configPort(QStringLiteral("RemotePort"), settings.remotePort);
    const QString encoding = ReadConfigValue(QStringLiteral("Notice"), QStringLiteral("Encoding"));
    if (!encoding.isEmpty())
        settings.encoding = encoding;
    return settings;
}

QString NoticeBroadcast::LocalIP()
{
    if (const auto &source = localIPSource())
        return source();
    const QList<QHostAddress> addresses = QNetworkInterface::allAddresses();
    for (const QHostAddress &address : addresses) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
            return address.toString();
    }
    // A machine without a network still has itself, as the original socket control said.
    return QStringLiteral("127.0.0.1");
}

void NoticeBroadcast::SetLocalIPSource(std::function<QString()> source)
{
    localIPSource() = std::move(source);
}

NoticeBroadcast::NoticeBroadcast(Settings settings) : m_settings(std::move(settings)) {}

QByteArray NoticeBroadcast::Datagram(const QString &strPublisher, const QString &strContent) const
{
    bool known = false;
    QByteArray bytes = Codec::Encode(NoticeMessage::Compose(strPublisher, strContent),
                                     m_settings.encoding, &known);
    if (!known)
        throw ArdentaError(QStringLiteral("Unknown notice encoding \"%1\" in SystemConfig.ini")
                               .arg(m_settings.encoding));
    return bytes;
}

void NoticeBroadcast::SendTo(const QString &address, const QByteArray &datagram) const
{
    QHostAddress target;
    if (!target.setAddress(address))
        throw ArdentaError(QStringLiteral("Not an IP address: %1").arg(address));

    QUdpSocket socket;
    // Unix lets sockets share a port by default; sharing would hide another program's hold.
    if (!socket.bind(QHostAddress::AnyIPv4, m_settings.localPort,
                     QAbstractSocket::DontShareAddress))
        throw ArdentaError(QStringLiteral("Cannot bind local UDP port %1: %2")
                               .arg(m_settings.localPort)
                               .arg(socket.errorString()));
    if (socket.writeDatagram(datagram, target, m_settings.remotePort) != datagram.size())
        throw ArdentaError(QStringLiteral("Cannot send to %1:%2: %3")
                               .arg(address)
                               .arg(m_settings.remotePort)
                               .arg(socket.errorString()));
    socket.close();
}
