#pragma once
// A primary and its synchronous standby on loopback, started by scripts/pg-test --pair and
// removed again when this goes: one failover's worth of servers.

#include <QProcess>
#include <QString>

class StandbyPair
{
public:
    // Starts the pair; waits up to a minute. problem() says why when it did not start.
    StandbyPair();
    ~StandbyPair();
    StandbyPair(const StandbyPair &) = delete;
    StandbyPair &operator=(const StandbyPair &) = delete;

    bool ready() const { return !m_connection.isEmpty(); }
    QString problem() const { return m_problem; }
    // The two-host string, primary first.
    QString connection() const { return m_connection; }
    // "stop fast", "stop immediate" (the primary) or "promote" (the standby); returns when done.
    bool control(const QString &what) const;

private:
    QProcess m_rig;
    QString m_connection;
    QString m_control;
    QString m_problem;
};
