#pragma once
// Counts the datagrams that reach one UDP port, on a thread of its own so that the sender's loop
// never has to drain them.

#include <atomic>
#include <mutex>
#include <QByteArray>
#include <thread>

class DatagramCounter
{
public:
    // Binds 0.0.0.0:port (every 127.x address arrives there) with a large receive buffer.
    explicit DatagramCounter(quint16 port);
    ~DatagramCounter();
    DatagramCounter(const DatagramCounter &) = delete;
    DatagramCounter &operator=(const DatagramCounter &) = delete;

    qint64 count() const { return m_count.load(); }
    // Waits until the count reaches target or stops growing for quietMs.
    qint64 waitFor(qint64 target, int quietMs = 300) const;
    QByteArray lastDatagram() const;

private:
    void run();

    int m_fd = -1;
    std::atomic<bool> m_stop{false};
    std::atomic<qint64> m_count{0};
    mutable std::mutex m_mutex;
    QByteArray m_last;
    std::thread m_thread;
};
