#include "NoticeNotifier.h"

#include "common/ErrLog.h"
#include "common/NoticeSettings.h"
#include "notice/NoticeBoard.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QMenu>
#include <QNetworkDatagram>
#include <QSystemTrayIcon>

namespace {
const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");

// The start of a notice's text, for a notification.
constexpr int ShownChars = 120;

QString textStart(const StoredNotice &notice)
{
    const QString start = NoticeMessage::LeftChars(notice.Content, ShownChars);
    return NoticeMessage::Printable(start) +
           (start.size() < notice.Content.size() ? u"\u2026" : u"");
}

// One line of the notice for a summary or a menu.
QString shortLine(const StoredNotice &notice)
{
    return NoticeMessage::Printable(notice.Publisher) + QStringLiteral(": ") + textStart(notice);
}
} // namespace

NoticeNotifier::NoticeNotifier(const HostTexts &texts, const QString &bindAddress,
                               NoticeWatch &watch, bool verify, Opener open, QObject *parent)
    : QObject(parent), m_texts(texts), m_bindAddress(bindAddress), m_watch(watch), m_verify(verify),
      m_open(std::move(open)), m_socket(this), m_burst(this)
{
    connect(&m_watch, &NoticeWatch::Found, this, &NoticeNotifier::received);
    connect(&m_watch, &NoticeWatch::CaughtUp, this, &NoticeNotifier::caughtUp);
    connect(&m_watch, &NoticeWatch::Changed, this, &NoticeNotifier::boardChanged);
    m_burst.setSingleShot(true);
    m_burst.setInterval(BurstMilliseconds);
    connect(&m_burst, &QTimer::timeout, this, &NoticeNotifier::endOfBurst);
    connect(&m_socket, &QUdpSocket::readyRead, this, &NoticeNotifier::readDatagrams);

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        bus.connect(service, path, service, QStringLiteral("ActionInvoked"), this,
                    SLOT(onActionInvoked(uint, QString)));
        bus.connect(service, path, service, QStringLiteral("NotificationClosed"), this,
                    SLOT(onNotificationClosed(uint, uint)));
    }
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        m_tray = new QSystemTrayIcon(
            QIcon::fromTheme(QStringLiteral("ardenta"), QApplication::windowIcon()), this);
        m_menu = new QMenu;
        m_tray->setContextMenu(m_menu);
        m_tray->setToolTip(m_texts.text("0468", "Recent notices"));
        connect(m_tray, &QSystemTrayIcon::messageClicked, this, [this] {
            if (!m_trayMessage.Publisher.isNull())
                m_open(m_trayMessage);
        });
        rebuildMenu();
        m_tray->show();
    }
}

NoticeNotifier::~NoticeNotifier()
{
    delete m_menu;
}

bool NoticeNotifier::Listen()
{
    const NoticeSettings settings = NoticeSettings::Read();
    m_encoding = settings.encoding;
    const QHostAddress address =
        m_bindAddress.isEmpty() ? QHostAddress(QHostAddress::AnyIPv4) : QHostAddress(m_bindAddress);
    if (m_socket.bind(address, settings.remotePort, QAbstractSocket::DontShareAddress))
        return true;
    WriteErrLog(m_socket.errorString(), QStringLiteral("Listen"), QStringLiteral("NoticeNotifier"),
                QStringLiteral("%1:%2").arg(address.toString()).arg(settings.remotePort));
    return false;
}

void NoticeNotifier::readDatagrams()
{
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket.receiveDatagram();
        const auto notice = NoticeMessage::Decode(datagram.data(), m_encoding);
        if (!notice)
            continue;
        if (m_verify) {
            m_watch.Verify(notice->publisher, notice->content,
                           QStringLiteral("%1:%2")
                               .arg(datagram.senderAddress().toString())
                               .arg(datagram.senderPort()));
        } else if (!shownRecently(notice->publisher, notice->content)) {
            received({0, notice->publisher, notice->content});
            m_watch.ShownAsSent(notice->publisher, notice->content);
        }
    }
}

// Unverified, a datagram may come after the watch found its notice on the board.
bool NoticeNotifier::shownRecently(const QString &publisher, const QString &content) const
{
    return std::any_of(m_recent.cbegin(), m_recent.cend(), [&](const StoredNotice &notice) {
        return notice.Id != 0 && notice.Publisher == publisher.trimmed() &&
               notice.Content.startsWith(content);
    });
}

void NoticeNotifier::boardChanged(const QList<qint64> &ids)
{
    NoticeBoard::NoticesChanged(ids);
}

void NoticeNotifier::remember(const StoredNotice &notice)
{
    m_recent.prepend(notice);
    if (m_recent.size() > KeptInMenu)
        m_recent.removeLast();
    rebuildMenu();
}

void NoticeNotifier::received(const StoredNotice &notice)
{
    remember(notice);
    if (m_burst.isActive()) {
        m_pending << notice;
        return;
    }
    show(m_texts.text("0465", "New notice") + QStringLiteral(" · ") +
             NoticeMessage::Printable(notice.Publisher),
         textStart(notice), notice);
    m_burst.start();
}

// Notices saved while this host was away: one shows as itself, several as one summary that
// opens the board on the newest.
void NoticeNotifier::caughtUp(const QList<StoredNotice> &notices)
{
    if (notices.size() == 1) {
        received(notices.front());
        return;
    }
    for (const StoredNotice &notice : notices.mid(qMax(0, notices.size() - KeptInMenu)))
        remember(notice);
    QStringList lines;
    for (auto it = notices.crbegin(); it != notices.crend() && lines.size() < 5; ++it)
        lines << shortLine(*it);
    show(m_texts.text("0476", "%1 new notices since you were last here").arg(notices.size()),
         lines.join(u'\n'), notices.back());
}

void NoticeNotifier::endOfBurst()
{
    if (m_pending.isEmpty())
        return;
    const StoredNotice newest = m_pending.constLast();
    if (m_pending.size() == 1) {
        show(m_texts.text("0465", "New notice") + QStringLiteral(" · ") +
                 NoticeMessage::Printable(newest.Publisher),
             textStart(newest), newest);
    } else {
        QStringList lines;
        for (auto it = m_pending.crbegin(); it != m_pending.crend() && lines.size() < 5; ++it)
            lines << shortLine(*it);
        show(m_texts.text("0466", "%1 new notices").arg(m_pending.size()), lines.join(u'\n'),
             newest);
    }
    m_pending.clear();
    m_burst.start(); // a steady flood stays at one summary per period
}

void NoticeNotifier::show(const QString &summary, const QString &body, const StoredNotice &opens)
{
    QDBusInterface notifications(service, path, service, QDBusConnection::sessionBus());
    if (notifications.isValid()) {
        const QDBusReply<uint> id = notifications.call(
            QStringLiteral("Notify"), QStringLiteral("ardenta"), 0u, QStringLiteral("ardenta"),
            summary, body.toHtmlEscaped(),
            QStringList{QStringLiteral("default"), m_texts.text("0467", "Open the notice board")},
            QVariantMap(), -1);
        if (id.isValid()) {
            m_shown.insert(id.value(), opens);
            return;
        }
    }
    if (m_tray) {
        m_trayMessage = opens;
        m_tray->showMessage(summary, body);
    }
}

void NoticeNotifier::onActionInvoked(uint id, const QString &)
{
    if (const auto found = m_shown.constFind(id); found != m_shown.cend())
        m_open(*found);
}

void NoticeNotifier::onNotificationClosed(uint id, uint)
{
    m_shown.remove(id);
}

void NoticeNotifier::rebuildMenu()
{
    if (!m_menu)
        return;
    m_menu->clear();
    m_menu->addSection(m_texts.text("0468", "Recent notices"));
    for (const StoredNotice &notice : std::as_const(m_recent)) {
        QString line = shortLine(notice);
        if (line.size() > 60)
            line = line.left(59) + QChar(0x2026);
        m_menu->addAction(line, this, [this, notice] { m_open(notice); });
    }
    m_menu->addSeparator();
    m_menu->addAction(m_texts.text("0006", "Exit"), qApp, &QCoreApplication::quit);
}
