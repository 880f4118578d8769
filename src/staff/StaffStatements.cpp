#include "StaffStatements.h"

#include "Convert.h"
#include "ValueFormat.h"

const char *const StaffStatements::FieldNames[FieldCount] = {
    "Clerk_NO",    "Clerk_Ext",    "Clerk_UserName", "Clerk_Dept", "Clerk_Address",
    "Clerk_Phone", "Clerk_Mobile", "Clerk_Email",    "Clerk_IP",   "Clerk_QQ",
    "Clerk_MSN",   "Clerk_SKP",    "Clerk_Computer", "Clerk_Memo"};

namespace {
const QChar CR(u'\r');

void AppendUpdate(QString &text, const QString &key, const QStringList &cells)
{
    text += QLatin1String("Update Clerk Set ");
    for (int field = 0; field < StaffStatements::FieldCount; ++field) {
        if (field > 0)
            text += u',';
        text += QLatin1String(StaffStatements::FieldNames[field]) % u'=' %
                FormatStr(cells.at(field + 1), true);
    }
    // Two blanks before Where, as the statement has always been written.
    text += QLatin1String("  Where Clerk_ID=") % key % CR;
}

void AppendInsert(QString &text, const QStringList &cells)
{
    text += QLatin1String("Insert Into Clerk(");
    for (int field = 0; field < StaffStatements::FieldCount; ++field) {
        if (field > 0)
            text += u',';
        text += QLatin1String(StaffStatements::FieldNames[field]);
    }
    text += QLatin1String(") Values(");
    for (int field = 0; field < StaffStatements::FieldCount; ++field) {
        if (field > 0)
            text += u',';
        text += FormatStr(cells.at(field + 1), true);
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
    Q_ASSERT(cells.size() == FieldCount + 1);
    const QString key = TrimBlanks(cells.at(0));
    if (!key.isEmpty())
        return IsPlainWholeNumber(key) ? RowKind::Update : RowKind::BadKey;
    for (int field = 1; field <= FieldCount; ++field) {
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
