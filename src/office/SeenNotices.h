#pragma once
// Which notices of a board a user has been shown, per database and operator: the highest id
// seen, and the ids handled among the last Overlap below it, so that a notice whose id was
// handed out before others but committed after them is still caught. Kept in seen.ini of the
// user's state folder under a hash of the masked connection string and the operator, so that
// the file holds no password and no database name.

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
    // Of the ids on the board from From() on, those not handled yet, ascending; all of them
    // count as handled from now on.
    QList<qint64> TakeNew(QList<qint64> ids);
    // A notice about to be shown as it arrived: false when it was handled already, however it
    // came (each notice pops up once).
    bool Shown(qint64 id);
    bool IsOwn(const QString &publisher) const;

    // Writes what changed since it was read or last written.
    bool Save(QString *error);

private:
    QString m_file;
    QString m_group;
    QString m_operator;
    bool m_known = false;
    bool m_beginning = false;
    bool m_changed = false;
    qint64 m_highest = 0;
    QSet<qint64> m_handled;
};
