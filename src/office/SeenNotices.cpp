#include "office/SeenNotices.h"

#include "common/Convert.h"
#include "db/ConnectionString.h"

#include <algorithm>
#include <QSettings>

namespace {
const QString HighestKey = QStringLiteral("Highest");
const QString HandledKey = QStringLiteral("Handled");
} // namespace

SeenNotices::SeenNotices(const QString &connection, const QString &operatorName,
                         const QString &file)
    : m_file(file), m_operator(TrimBlanks(operatorName))
{
    m_group = UserStateKey(connection, m_operator);
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
    m_changed = true;
    m_highest = highest;
    m_handled.clear();
}

bool SeenNotices::IsOwn(const QString &publisher) const
{
    return TrimBlanks(publisher) == m_operator;
}

QList<qint64> SeenNotices::TakeNew(QList<qint64> ids)
{
    std::sort(ids.begin(), ids.end());
    const qint64 highest = m_highest;
    QList<qint64> fresh;
    for (const qint64 id : std::as_const(ids)) {
        m_highest = std::max(m_highest, id);
        if (id < From() || m_handled.contains(id))
            continue;
        m_handled.insert(id);
        fresh << id;
    }
    m_handled.removeIf([this](qint64 id) { return id < From(); });
    m_changed = m_changed || m_highest != highest || !fresh.isEmpty();
    if (std::exchange(m_beginning, false))
        return {};
    return fresh;
}

// Below From() a notice was looked at by an earlier catch-up, or stood on the board before the
// very first start.
bool SeenNotices::Shown(qint64 id)
{
    if (id < From() || m_handled.contains(id))
        return false;
    m_handled.insert(id);
    m_changed = true;
    return true;
}

bool SeenNotices::Save(QString *error)
{
    if (!m_changed)
        return true;
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
    if (settings.status() == QSettings::NoError) {
        m_changed = false;
        return true;
    }
    *error = QStringLiteral("Cannot write %1").arg(m_file);
    return false;
}
