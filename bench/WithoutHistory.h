#pragma once
// The history's triggers taken away for one scenario and put back afterwards by --init-db's
// upgrade, so that a save can be timed with and without them on the same data.

#include <QString>

class WithoutHistory
{
public:
    WithoutHistory(const QString &connection, bool postgres);
    ~WithoutHistory();
    WithoutHistory(const WithoutHistory &) = delete;
    WithoutHistory &operator=(const WithoutHistory &) = delete;

private:
    QString m_connection;
};
