#include "staff/StaffStatements.h"

#include "common/Convert.h"
#include "db/ClerkFields.h"
#include "db/ValueFormat.h"

namespace {
const QChar CR(u'\r');

void AppendUpdate(QString &text, const QString &key, const QStringList &cells)
{
    text += QLatin1String("Update Clerk Set ");
    for (int field = 0; field < ClerkFieldCount; ++field) {
        if (field > 0)
            text += u',';
        text += QLatin1String(ClerkFields[size_t(field)].Name) % u'=';
        AppendFormatStr(text, cells.at(field + 1), true);
    }
    // Two blanks before Where, as the statement has always been written.
    text += QLatin1String("  Where Clerk_ID=") % key % CR;
}

void AppendInsert(QString &text, const QStringList &cells)
{
    static const QString head =
        QStringLiteral("Insert Into Clerk(") + ClerkFieldList() + QStringLiteral(") Values(");
    text += head;
    for (int field = 0; field < ClerkFieldCount; ++field) {
        if (field > 0)
            text += u',';
        AppendFormatStr(text, cells.at(field + 1), true);
    }
    text += u')' % CR;
}
} // namespace

QString StaffStatements::LoadQuery()
{
    return QStringLiteral("Select '' as List,* From Vw_Clerk");
}

StaffStatements::RowKind StaffStatements::Classify(const QStringList &cells)
{
    Q_ASSERT(cells.size() == ClerkFieldCount + 1);
    const QString key = TrimBlanks(cells.at(0));
    if (!key.isEmpty())
        return IsPlainWholeNumber(key) ? RowKind::Update : RowKind::BadKey;
    for (int field = 1; field <= ClerkFieldCount; ++field) {
        if (!IsBlank(cells.at(field)))
            return RowKind::Insert;
    }
    return RowKind::Blank;
}

StaffStatements::RowKind StaffStatements::AppendRow(QString &text, const QStringList &cells)
{
    const RowKind kind = Classify(cells);
    if (kind == RowKind::Update)
        AppendUpdate(text, TrimBlanks(cells.at(0)), cells);
    else if (kind == RowKind::Insert)
        AppendInsert(text, cells);
    return kind;
}

QString StaffStatements::DeleteAll()
{
    return QStringLiteral("Delete From Clerk");
}

QString StaffStatements::DeleteOne(const QString &key)
{
    Q_ASSERT(IsPlainWholeNumber(key));
    return QStringLiteral("Delete From Clerk Where Clerk_ID=") + key;
}
