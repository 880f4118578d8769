#pragma once
// Staff rows of a test database, written and read back directly, not through the module.

#include "DbFixture.h"

inline void AddStaff(const DbFixture &db, const QStringList &fields)
{
    static const char *const names[] = {
        "Clerk_NO",    "Clerk_Ext",    "Clerk_UserName", "Clerk_Dept", "Clerk_Address",
        "Clerk_Phone", "Clerk_Mobile", "Clerk_Email",    "Clerk_IP",   "Clerk_QQ",
        "Clerk_MSN",   "Clerk_SKP",    "Clerk_Computer", "Clerk_Memo"};
    QStringList columns;
    QStringList values;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        columns << QLatin1String(names[i]);
        QString value = fields[i];
        values << QLatin1Char('\'') + value.replace(QLatin1Char('\''), QLatin1String("''")) +
                      QLatin1Char('\'');
    }
    db.exec(QStringLiteral("INSERT INTO Clerk(%1) VALUES(%2)")
                .arg(columns.join(QLatin1Char(',')), values.join(QLatin1Char(','))));
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
    if (db.engine() == QLatin1String("sqlite"))
        db.exec(QStringLiteral("CREATE TRIGGER Clerk_Reject BEFORE INSERT ON Clerk WHEN "
                               "NEW.Clerk_NO = '%1' BEGIN SELECT RAISE(ABORT, 'rejected'); END")
                    .arg(no));
    else
        db.exec(QStringLiteral("ALTER TABLE Clerk ADD CONSTRAINT Clerk_Reject CHECK "
                               "(Clerk_NO IS NULL OR Clerk_NO <> '%1')")
                    .arg(no));
}
