#pragma once
// The host program's receiver: notices that arrive on the notice port pop up as desktop
// notifications (the freedesktop service over D-Bus, else the tray icon's message), the last
// ones stay in the tray menu, and a burst shows as one summary. A click asks for the notice
// board on that notice. Datagrams come from the network: they go through the same decoder and
// parser as ardenta-listen, and with a watch over the board a datagram shows only as the stored
// notice it stands for; everything shown is escaped for the notification's markup. Notices the
// watch finds live (an announcement, a check) pop up as a datagram's do, those the user missed
// while away as a catch-up; the watch sees to it that each pops up once.

#include "common/NoticeMessage.h"
#include "office/HostTexts.h"
#include "office/NoticeWatch.h"

#include <functional>
#include <QHash>
#include <QList>
#include <QTimer>
#include <QUdpSocket>

class QMenu;
class QSystemTrayIcon;

class NoticeNotifier : public QObject
{
    Q_OBJECT
public:
    // A notice not verified against the board has the id 0.
    using Opener = std::function<void(const StoredNotice &notice)>;

    // bindAddress empty: every address of the machine. Without verify every datagram shows as
    // it came.
    NoticeNotifier(const HostTexts &texts, const QString &bindAddress, NoticeWatch &watch,
                   bool verify, Opener open, QObject *parent = nullptr);
    ~NoticeNotifier() override;

    // Listens on the notice port; a port held by another program is logged once and the host
    // goes on without notifications.
    bool Listen();

    // How long notices after the first are gathered into one summary.
    static constexpr int BurstMilliseconds = 2000;
    static constexpr int KeptInMenu = 10;

private Q_SLOTS:
    void onActionInvoked(uint id, const QString &action);
    void onNotificationClosed(uint id, uint reason);

private:
    void readDatagrams();
    void received(const StoredNotice &notice);
    bool shownRecently(const QString &publisher, const QString &content) const;
    void boardChanged(const QList<qint64> &ids);
    void caughtUp(const QList<StoredNotice> &notices);
    void endOfBurst();
    void show(const QString &summary, const QString &body, const StoredNotice &opens);
    void remember(const StoredNotice &notice);
    void rebuildMenu();

    const HostTexts &m_texts;
    QString m_bindAddress;
    NoticeWatch &m_watch;
    bool m_verify;
    Opener m_open;
    QUdpSocket m_socket;
    QString m_encoding;
    QTimer m_burst;
    QList<StoredNotice> m_pending;
    QList<StoredNotice> m_recent;
    QHash<uint, StoredNotice> m_shown; // by notification id
    StoredNotice m_trayMessage;
    QSystemTrayIcon *m_tray = nullptr;
    QMenu *m_menu = nullptr;
};
