#pragma once
// SystemConfig.ini section Notice: the local port a broadcast sends from, the remote port every
// receiver listens on, and the datagram's text encoding. A missing or unusable value gives the
// default.

#include <ArdentaExport.h>

#include <QString>

struct ARDENTA_EXPORT NoticeSettings
{
    quint16 localPort = 999;
    quint16 remotePort = 9999;
    QString encoding = QStringLiteral("UTF-8");

    static NoticeSettings Read();
};
