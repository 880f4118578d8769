#include "notice/NoticeBroadcast.h"

#include "common/ArdentaError.h"
#include "common/Codec.h"
#include "common/LocalAddress.h"
#include "common/NoticeMessage.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "db/ValueFormat.h"
#include "notice/NoticeStatements.h"

#include <QHostAddress>

#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A plain datagram socket, closed with its scope. A QUdpSocket made and bound for every recipient
// costs several times the send itself; this keeps the one-socket-per-send rule at a fraction.
class OneShotSocket
{
public:
    OneShotSocket() : m_fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {}
    ~OneShotSocket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    OneShotSocket(const OneShotSocket &) = delete;
    OneShotSocket &operator=(const OneShotSocket &) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

std::function<QString()> &localIPSource()
{
    static std::function<QString()> source;
    return source;
}

} // namespace

QString NoticeBroadcast::LocalIP()
{
    if (const auto &source = localIPSource())
        return source();
    return LocalAddress();
}

void NoticeBroadcast::SetLocalIPSource(std::function<QString()> source)
{
    localIPSource() = std::move(source);
}

NoticeBroadcast::NoticeBroadcast(Settings settings) : m_settings(std::move(settings)) {}

void NoticeBroadcast::SendToOthersOnline(const QString &strConnection, const QString &strPublisher,
                                         const QString &strContent)
{
    const QString sql = NoticeStatements::OthersOnline(LocalIP());
    const std::shared_ptr<Recordset> users = GetRecordset(strConnection, sql);
    if (!users)
        throw ArdentaError(QStringLiteral("The online users could not be read"));
    const NoticeBroadcast broadcast;
    const QByteArray datagram = broadcast.Datagram(strPublisher, strContent);
    for (users->MoveFirst(); !users->Eof(); users->MoveNext()) {
        const QString address = Nulltostr(users->Fields(QStringLiteral("UserIP")));
        if (!address.isEmpty())
            broadcast.SendTo(address, datagram);
    }
}

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

    OneShotSocket socket;
    // No SO_REUSEADDR: a port another program holds makes the bind fail, as it did.
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(m_settings.localPort);
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (socket.fd() < 0 ||
        ::bind(socket.fd(), reinterpret_cast<const sockaddr *>(&local), sizeof local) != 0)
        throw ArdentaError(QStringLiteral("Cannot bind local UDP port %1: %2")
                               .arg(m_settings.localPort)
                               .arg(systemError()));
    bool ipv4 = false;
    const quint32 ip = target.toIPv4Address(&ipv4);
    if (!ipv4)
        throw ArdentaError(QStringLiteral("Cannot send to %1:%2: not an IPv4 address")
                               .arg(address)
                               .arg(m_settings.remotePort));
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(m_settings.remotePort);
    remote.sin_addr.s_addr = htonl(ip);
    const ssize_t sent = ::sendto(socket.fd(), datagram.constData(), size_t(datagram.size()), 0,
                                  reinterpret_cast<const sockaddr *>(&remote), sizeof remote);
    if (sent != datagram.size())
        throw ArdentaError(QStringLiteral("Cannot send to %1:%2: %3")
                               .arg(address)
                               .arg(m_settings.remotePort)
                               .arg(systemError()));
}
