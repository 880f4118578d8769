#include "common/LocalAddress.h"

#include <QHostAddress>
#include <QNetworkInterface>

// A machine without a network still has itself, as the original socket control said.
QString LocalAddress()
{
    for (const QHostAddress &address : QNetworkInterface::allAddresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
            return address.toString();
    }
    return QStringLiteral("127.0.0.1");
}
