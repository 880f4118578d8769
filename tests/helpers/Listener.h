#pragma once
// The built ardenta-listen on a free loopback port, for tests that read what it prints.

#include <QDeadlineTimer>
#include <QProcess>
#include <QTest>
#include <QUdpSocket>

// A UDP port nobody holds at the moment of asking.
inline quint16 FreeUdpPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

// Starts the receiver on port with the extra arguments; true once it says it is listening.
inline bool StartListener(QProcess &listener, quint16 port, const QStringList &arguments = {})
{
    listener.start(qEnvironmentVariable("ARDENTA_BINARY_DIR") + "/src/host/ardenta-listen",
                   QStringList{"--port", QString::number(port)} + arguments);
    QByteArray errors;
    for (QDeadlineTimer ready(10000); !ready.hasExpired() && !errors.contains("listening");) {
        listener.waitForReadyRead(100);
        errors += listener.readAllStandardError();
    }
    return errors.contains("listening");
}
