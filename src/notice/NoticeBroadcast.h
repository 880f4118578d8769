#pragma once
// Sends notice datagrams over UDP: one socket bound to the configured local port per recipient,
// closed again before the next, so the port is free between sends.

#include "common/NoticeSettings.h"

#include <functional>
#include <QByteArray>
#include <QString>

class NoticeBroadcast
{
public:
    using Settings = NoticeSettings;
    static Settings ReadSettings() { return NoticeSettings::Read(); }

    // The machine's first non-loopback IPv4 address, 127.0.0.1 when it has none
    // (LocalAddress, the address the host program registers as online).
    static QString LocalIP();
    // Replaces the address LocalIP reports (tests run on machines whose address is unknown to
    // them); an empty function restores the real one.
    static void SetLocalIPSource(std::function<QString()> source);

    explicit NoticeBroadcast(Settings settings = ReadSettings());

    // Sends the notice to every online user but this machine, as the OnLine table lists them;
    // throws ArdentaError when they cannot be read or a send fails.
    static void SendToOthersOnline(const QString &strConnection, const QString &strPublisher,
                                   const QString &strContent);

    // The notice text in the configured encoding; throws ArdentaError for an unknown encoding.
    QByteArray Datagram(const QString &strPublisher, const QString &strContent) const;

    // Binds the local port (never shared with another socket), sends to the address's remote
    // port and closes; throws ArdentaError when the port is taken, the address is not an IP
    // address, or the send fails.
    void SendTo(const QString &address, const QByteArray &datagram) const;

private:
    Settings m_settings;
};
