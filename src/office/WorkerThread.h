#pragma once
// A worker object in a thread of its own, for the host's database work that must never hold up
// the windows. The last call ends the thread; a database that does not answer must not hold the
// exit for long either (a session that logs out waits a few seconds at most for everything), so
// after most of a second the thread is left to the end of the process.

#include <QThread>

template <typename Worker> class WorkerThread
{
public:
    // Takes the worker over; last() must quit the worker's thread when done.
    WorkerThread(Worker *worker, void (Worker::*last)()) : m_worker(worker), m_last(last)
    {
        m_worker->moveToThread(m_thread);
        QObject::connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    }
    ~WorkerThread()
    {
        if (m_thread->isRunning()) {
            QMetaObject::invokeMethod(m_worker, m_last);
            if (!m_thread->wait(800))
                return;
        } else {
            delete m_worker;
        }
        delete m_thread;
    }
    WorkerThread(const WorkerThread &) = delete;
    WorkerThread &operator=(const WorkerThread &) = delete;

    Worker *worker() const { return m_worker; }
    void Start(void (Worker::*first)())
    {
        m_thread->start();
        QMetaObject::invokeMethod(m_worker, first);
    }

private:
    QThread *m_thread = new QThread;
    Worker *m_worker;
    void (Worker::*m_last)();
};
