#pragma once
// Staff rows of a test database, written and read back directly, not through the module.

#include "DbFixture.h"

// fields: Clerk_NO, Clerk_Ext, Clerk_UserName, ... in the table's order; the rest stay null.
inline void AddStaff(const DbFixture &db, const QStringList &fields)
{
    static const QStringList names =
        QStringLiteral("Clerk_NO Clerk_Ext Clerk_UserName Clerk_Dept Clerk_Address Clerk_Phone "
                       "Clerk_Mobile Clerk_Email Clerk_IP Clerk_QQ Clerk_MSN Clerk_SKP "
                       "Clerk_Computer Clerk_Memo")
            .split(QLatin1Char(' '));
    QStringList values;
    for (QString value : fields)
        values << QLatin1Char('\'') + value.replace(QLatin1Char('\''), QLatin1String("''")) +
                      QLatin1Char('\'');
    db.exec(QStringLiteral("INSERT INTO Clerk(%1) VALUES(%2)")
                .arg(names.mid(0, fields.size()).join(QLatin1Char(',')),
                     values.join(QLatin1Char(','))));
}

inline void AddNames(const DbFixture &db, const QStringList &userNames)
{
    for (const QString &name : userNames)
        AddStaff(db, {QString(), QString(), name});
}

// Every row of the view as text, key first; a null field is a null QString.
inline QList<QStringList> StaffRecords(const DbFixture &db)
{
    QList<QStringList> result;
    for (const QVariantList &row : db.rows(QStringLiteral("SELECT * FROM Vw_Clerk"))) {
        QStringList texts;
        for (const QVariant &value : row)
            texts << (value.isNull() ? QString() : value.toString());
        result << texts;
    }
    return result;
}

// From now on the database refuses to store a new staff member whose NO. is this text.
inline void RejectNo(const DbFixture &db, const QString &no)
{
    db.exec((db.engine() == QLatin1String("sqlite")
                 ? QStringLiteral("CREATE TRIGGER Clerk_Reject BEFORE INSERT ON Clerk WHEN "
                                  "NEW.Clerk_NO = '%1' BEGIN SELECT RAISE(ABORT, 'rejected'); END")
                 : QStringLiteral("ALTER TABLE Clerk ADD CONSTRAINT Clerk_Reject CHECK "
                                  "(Clerk_NO IS NULL OR Clerk_NO <> '%1')"))
                .arg(no));
}
