// ardenta-listen: prints the notice datagrams that arrive on a UDP port, one line each:
// time, publisher and content, separated by tabs.

#include "common/Codec.h"
#include "common/NoticeMessage.h"
#include "QuitOnSignal.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QNetworkDatagram>
#include <QTextStream>
#include <QUdpSocket>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ardenta-listen"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ARDENTA_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Prints the notices that the notice window broadcasts."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("UDP port to listen on (default 9999)."),
                                        QStringLiteral("N"), QStringLiteral("9999"));
    const QCommandLineOption encodingOption(
        QStringLiteral("encoding"),
        QStringLiteral("Text encoding of the datagrams, e.g. UTF-8 or GB18030 (default UTF-8)."),
        QStringLiteral("NAME"), QStringLiteral("UTF-8"));
    parser.addOption(portOption);
    parser.addOption(encodingOption);
    parser.process(app);

    QTextStream err(stderr);
    if (!parser.positionalArguments().isEmpty()) {
        err << "ardenta-listen: unexpected argument " << parser.positionalArguments().first()
            << "\n";
        return 2;
    }
    bool portOk = false;
    const uint port = parser.value(portOption).toUInt(&portOk);
    if (!portOk || port == 0 || port > 65535) {
        err << "ardenta-listen: --port must be a number from 1 to 65535\n";
        return 2;
    }
    const QString encoding = parser.value(encodingOption);
    if (!Codec::IsKnown(encoding)) {
        err << "ardenta-listen: unknown encoding " << encoding << "\n";
        return 2;
    }

    QUdpSocket socket;
    if (!socket.bind(QHostAddress::AnyIPv4, quint16(port), QAbstractSocket::DontShareAddress)) {
        err << "ardenta-listen: cannot listen on UDP port " << port << ": " << socket.errorString()
            << "\n";
        return 1;
    }

    if (QString problem; !QuitOnSignals(&problem)) {
        err << "ardenta-listen: " << problem << "\n";
        return 1;
    }

    QTextStream out(stdout);
    QObject::connect(&socket, &QUdpSocket::readyRead, &app, [&] {
        while (socket.hasPendingDatagrams()) {
            const QNetworkDatagram datagram = socket.receiveDatagram();
            const auto fields = NoticeMessage::Decode(datagram.data(), encoding);
            if (!fields)
                continue; // not a notice
            out << QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                << '\t' << NoticeMessage::Printable(fields->publisher) << '\t'
                << NoticeMessage::Printable(fields->content) << Qt::endl;
        }
    });

    err << "ardenta-listen: listening on UDP port " << port << " (" << encoding << ")" << Qt::endl;
    return app.exec();
}
