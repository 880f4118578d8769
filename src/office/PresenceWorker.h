#pragma once
// Presence's database work, in Presence's own thread.

#include "db/SqlDialect.h"
#include "office/Presence.h"

#include <QTimer>

class QSqlDatabase;

class PresenceWorker : public QObject
{
    Q_OBJECT
public:
    explicit PresenceWorker(Presence::Options options);

public Q_SLOTS:
    void start();
    void refresh();
    void leave();

Q_SIGNALS:
    // The first failure of an outage; the next success ends it.
    void outage(const QString &error);

private:
    void enter(QSqlDatabase &db, SqlEngine engine);
    void run(const std::function<void(QSqlDatabase &, SqlEngine)> &work);

    Presence::Options m_options;
    QTimer m_timer;
    bool m_down = false;
    bool m_knowsColumns = false;
    QStringList m_columns; // of OnLine, lower case, besides UserIP
};
