#include "office/SeenNotices.h"

#include "common/Convert.h"
#include "db/ConnectionString.h"

#include <algorithm>
#include <QCryptographicHash>
#include <QSettings>

namespace {
const QString HighestKey = QStringLiteral("Highest");
const QString HandledKey = QStringLiteral("Handled");
} // namespace

SeenNotices::SeenNotices(const QString &connection, const QString &operatorName,
                         const QString &file)
    : m_file(file), m_operator(TrimBlanks(operatorName))
{
    const QByteArray who = (MaskPasswords(connection) + u'\n' + m_operator).toUtf8();
    m_group = QString::fromLatin1(
        QCryptographicHash::hash(who, QCryptographicHash::Sha256).toHex().left(32));
    QSettings settings(m_file, QSettings::IniFormat);
    settings.beginGroup(m_group);
    bool ok = false;
    m_highest = settings.value(HighestKey).toLongLong(&ok);
    m_known = ok;
    for (const QString &id : settings.value(HandledKey).toString().split(u' ', Qt::SkipEmptyParts))
        m_handled.insert(id.toLongLong());
}

void SeenNotices::Begin(qint64 highest)
{
    m_known = true;
    m_beginning = true;
    m_highest = highest;
    m_handled.clear();
}

bool SeenNotices::IsOwn(const QString &publisher) const
{
    return TrimBlanks(publisher) == m_operator;
}

QList<StoredNotice> SeenNotices::TakeNew(QList<StoredNotice> notices)
{
    std::sort(notices.begin(), notices.end(),
              [](const StoredNotice &a, const StoredNotice &b) { return a.Id < b.Id; });
    QList<StoredNotice> fresh;
    for (const StoredNotice &notice : std::as_const(notices)) {
        m_highest = std::max(m_highest, notice.Id);
        if (notice.Id < From() || m_handled.contains(notice.Id))
            continue;
        m_handled.insert(notice.Id);
        if (!IsOwn(notice.Publisher))
            fresh << notice;
    }
    m_handled.removeIf([this](qint64 id) { return id < From(); });
    if (std::exchange(m_beginning, false))
        return {};
    return fresh;
}

bool SeenNotices::Save(QString *error) const
{
    QList<qint64> handled(m_handled.cbegin(), m_handled.cend());
    std::sort(handled.begin(), handled.end());
    QStringList ids;
    for (const qint64 id : handled)
        ids << QString::number(id);
    QSettings settings(m_file, QSettings::IniFormat);
    settings.beginGroup(m_group);
    settings.setValue(HighestKey, m_highest);
    settings.setValue(HandledKey, ids.join(u' '));
    settings.endGroup();
    settings.sync();
    if (settings.status() == QSettings::NoError)
        return true;
    *error = QStringLiteral("Cannot write %1").arg(m_file);
    return false;
}
