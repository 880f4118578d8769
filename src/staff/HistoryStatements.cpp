#include "staff/HistoryStatements.h"

#include "common/Convert.h"

QString HistoryStatements::Probe()
{
    return QStringLiteral("Select History_ID From Clerk_History Where 1=0");
}

QString HistoryStatements::Changes(const QString &key)
{
    Q_ASSERT(IsPlainWholeNumber(key));
    return QStringLiteral("Select History_Time,History_User,History_Kind,History_Before,"
                          "History_After From Clerk_History Where Clerk_ID=") +
           key + QStringLiteral(" Order By History_ID Desc");
}

// A key's last entry is the delete, and no row holds it: put back by nobody since.
QString HistoryStatements::Deleted()
{
    return QStringLiteral(
        "Select h.Clerk_ID,h.History_Time,h.History_User,h.History_Kind,h.History_Before "
        "From Clerk_History h Where h.History_Kind='DELETE' And Not Exists (Select l.History_ID "
        "From Clerk_History l Where l.Clerk_ID=h.Clerk_ID And l.History_ID>h.History_ID) And Not "
        "Exists (Select c.Clerk_ID From Clerk c Where c.Clerk_ID=h.Clerk_ID) Order By "
        "h.History_ID Desc");
}
