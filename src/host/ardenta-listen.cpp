// ardenta-listen: prints the notice datagrams that arrive on a UDP port, one line each:
// time, publisher and content, separated by tabs.

#include "Codec.h"
#include "NoticeMessage.h"

#include <csignal>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QNetworkDatagram>
#include <QSocketNotifier>
#include <QTextStream>
#include <QUdpSocket>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

// Only a write is safe in a signal handler; the event loop reads the pipe and quits.
void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

} // namespace

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

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) {
        err << "ardenta-listen: cannot set up signal handling\n";
        return 1;
    }
    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [] {
        char byte;
        [[maybe_unused]] const ssize_t got = ::read(signalPipe[0], &byte, 1);
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

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
    const int status = app.exec();
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    return status;
}
