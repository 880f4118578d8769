#pragma once
// Which notices of a board a user has been shown, per database and operator: the highest id
// seen, and the ids handled among the last Overlap below it, so that a notice whose id was
// handed out before others but committed after them is still caught. Kept in seen.ini of the
// user's state folder under a hash of the masked connection string and the operator, so that
// the file holds no password and no database name.

#include "office/NoticeWatch.h"

#include <QList>
#include <QSet>
#include <QString>

class SeenNotices
{
public:
    static constexpr qint64 Overlap = 200;

    // Reads what the file holds for the database and operator.
    SeenNotices(const QString &connection, const QString &operatorName, const QString &file);

    // An earlier start recorded this database and operator.
    bool Known() const { return m_known; }
    // The lowest id a catch-up looks at.
    qint64 From() const { return m_highest - Overlap + 1; }

    // The very first start: the board as it is up to its highest id counts as seen, which the
    // next TakeNew takes without calling anything new.
    void Begin(qint64 highest);
    // Of the notices from From() on, those not handled yet and not the operator's own, oldest
    // first; all of them count as handled from now on.
    QList<StoredNotice> TakeNew(QList<StoredNotice> notices);
    // A notice shown as it arrived.
    void Shown(qint64 id) { m_handled.insert(id); }
    bool IsOwn(const QString &publisher) const;

    bool Save(QString *error) const;

private:
    QString m_file;
    QString m_group;
    QString m_operator;
    bool m_known = false;
    bool m_beginning = false;
    qint64 m_highest = 0;
    QSet<qint64> m_handled;
};
