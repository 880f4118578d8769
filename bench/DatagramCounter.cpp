#include "DatagramCounter.h"

#include "common/ArdentaError.h"

#include <QElapsedTimer>
#include <QThread>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

DatagramCounter::DatagramCounter(quint16 port)
{
    m_fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (m_fd < 0)
        throw ArdentaError(QStringLiteral("socket: ") + QString::fromLocal8Bit(strerror(errno)));
    // Enough room for a burst of a few thousand; forcing past rmem_max works only for root.
    int size = 16 * 1024 * 1024;
    if (::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size) != 0)
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        const QString error = QString::fromLocal8Bit(strerror(errno));
        ::close(m_fd);
        throw ArdentaError(QStringLiteral("bind port %1: %2").arg(port).arg(error));
    }
    m_thread = std::thread([this] { run(); });
}

DatagramCounter::~DatagramCounter()
{
    m_stop = true;
    m_thread.join();
    ::close(m_fd);
}

void DatagramCounter::run()
{
    char buffer[65536];
    pollfd watch{m_fd, POLLIN, 0};
    while (!m_stop) {
        if (::poll(&watch, 1, 50) <= 0)
            continue;
        const ssize_t got = ::recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got < 0)
            continue;
        {
            std::lock_guard lock(m_mutex);
            m_last = QByteArray(buffer, got);
        }
        ++m_count;
    }
}

qint64 DatagramCounter::waitFor(qint64 target, int quietMs) const
{
    QElapsedTimer quiet;
    quiet.start();
    qint64 seen = count();
    while (seen < target && quiet.elapsed() < quietMs) {
        QThread::msleep(5);
        const qint64 now = count();
        if (now != seen) {
            seen = now;
            quiet.restart();
        }
    }
    return seen;
}

QByteArray DatagramCounter::lastDatagram() const
{
    std::lock_guard lock(m_mutex);
    return m_last;
}
