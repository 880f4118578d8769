#include "staff/StaffStatements.h"

#include "common/Convert.h"
#include "db/ClerkFields.h"
#include "db/ValueFormat.h"

namespace {
// A value as it was read, never through FormatStr (which trims and rewrites dates): quoted
// with its quotes doubled. Null and empty text are one value here, since the module writes a
// blank as Null and nobody can see the difference.
void AppendCheck(QString &text, const char *column, const QVariant &expected)
{
    QString value = DatabaseValueText(expected);
    if (value.isEmpty()) {
        text += QLatin1String(" And (") % QLatin1String(column) % QLatin1String(" Is Null Or ") %
                QLatin1String(column) % QLatin1String("='')");
        return;
    }
    text += QLatin1String(" And ") % QLatin1String(column) % QLatin1String("='") %
            value.replace(u'\'', QLatin1String("''")) % u'\'';
}
} // namespace

QString StaffStatements::LoadQuery()
{
    return QStringLiteral("Select '' as List,* From Vw_Clerk");
}

StaffStatements::RowKind StaffStatements::Classify(const QStringList &cells)
{
    Q_ASSERT(cells.size() == ClerkColumns::RecordCol(ClerkFieldCount));
    const QString key = TrimBlanks(cells.at(ClerkColumns::RecordKeyCol));
    if (!key.isEmpty())
        return IsPlainWholeNumber(key) ? RowKind::Update : RowKind::BadKey;
    for (int field = 0; field < ClerkFieldCount; ++field) {
        if (!IsBlank(cells.at(ClerkColumns::RecordCol(field))))
            return RowKind::Insert;
    }
    return RowKind::Blank;
}

QString StaffStatements::Insert(const QStringList &cells)
{
    static const QString head =
        QStringLiteral("Insert Into Clerk(") + ClerkFieldList() + QStringLiteral(") Values(");
    QString text = head;
    for (int field = 0; field < ClerkFieldCount; ++field) {
        if (field > 0)
            text += u',';
        AppendFormatStr(text, cells.at(ClerkColumns::RecordCol(field)), true);
    }
    return text + u')';
}

QString StaffStatements::Restore(const QStringList &cells)
{
    const QString key = TrimBlanks(cells.at(ClerkColumns::RecordKeyCol));
    Q_ASSERT(IsPlainWholeNumber(key));
    static const QString head = QStringLiteral("Insert Into Clerk(Clerk_ID,") + ClerkFieldList() +
                                QStringLiteral(") Select ");
    QString text = head + key;
    for (int field = 0; field < ClerkFieldCount; ++field) {
        text += u',';
        AppendFormatStr(text, cells.at(ClerkColumns::RecordCol(field)), true);
    }
    return text + QLatin1String(" Where Not Exists (Select Clerk_ID From Clerk Where Clerk_ID=") +
           key + u')';
}

QString StaffStatements::Update(const QString &key, const std::vector<FieldWrite> &writes)
{
    Q_ASSERT(IsPlainWholeNumber(key) && !writes.empty());
    QString text = QStringLiteral("Update Clerk Set ");
    for (const FieldWrite &write : writes) {
        if (&write != &writes.front())
            text += u',';
        text += QLatin1String(ClerkFields[size_t(write.Field)].Name) % u'=';
        AppendFormatStr(text, write.Mine, true);
    }
    // Two blanks before Where, as the statement has always been written.
    text += QLatin1String("  Where Clerk_ID=") % key;
    for (const FieldWrite &write : writes)
        AppendCheck(text, ClerkFields[size_t(write.Field)].Name, write.Expected);
    return text;
}

QString StaffStatements::ReadRows(const QStringList &keys)
{
    return QStringLiteral("Select Clerk_ID,") + ClerkFieldList() +
           QStringLiteral(" From Clerk Where Clerk_ID In (") + keys.join(u',') + u')';
}

QString StaffStatements::FindInserted(const QList<QStringList> &records, qint64 afterKey)
{
    QStringList alternatives;
    for (const QStringList &cells : records) {
        QStringList fields;
        for (int field = 0; field < ClerkFieldCount; ++field) {
            const QString column = QLatin1String(ClerkFields[size_t(field)].Name);
            const QString literal = FormatStr(cells.at(ClerkColumns::RecordCol(field)), true);
            if (literal == QLatin1String("Null"))
                fields << u'(' + column + QStringLiteral(" Is Null Or ") + column +
                              QStringLiteral("='')");
            else
                fields << column + u'=' + literal;
        }
        alternatives << u'(' + fields.join(QStringLiteral(" And ")) + u')';
    }
    return QStringLiteral("Select Clerk_ID From Clerk Where Clerk_ID>") +
           QString::number(afterKey) + QStringLiteral(" And (") +
           alternatives.join(QStringLiteral(" Or ")) + QStringLiteral(") Order By Clerk_ID");
}

QString StaffStatements::CountAll()
{
    return QStringLiteral("Select Count(*) From Clerk");
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
