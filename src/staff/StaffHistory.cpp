#include "staff/StaffHistory.h"

#include "common/Convert.h"
#include "db/ClerkFields.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "staff/HistoryStatements.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

// The triggers name the columns as the database spells them: PostgreSQL in lower case.
QJsonObject rowObject(const QString &json)
{
    const QJsonObject given = QJsonDocument::fromJson(json.toUtf8()).object();
    QJsonObject row;
    for (auto it = given.begin(); it != given.end(); ++it)
        row.insert(it.key().toLower(), it.value());
    return row;
}

QVariant fieldValue(const QJsonValue &value)
{
    if (value.isString())
        return value.toString();
    if (value.isDouble()) // a number a text column held: its digits, not a double's
        return value.toVariant().toString();
    if (value.isBool())
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    return {};
}

StaffHistory::Kind kindOf(const QString &text)
{
    if (text.compare(QLatin1String("INSERT"), Qt::CaseInsensitive) == 0)
        return StaffHistory::Kind::Added;
    if (text.compare(QLatin1String("DELETE"), Qt::CaseInsensitive) == 0)
        return StaffHistory::Kind::Deleted;
    return StaffHistory::Kind::Changed;
}

// The entries of a read, its columns found by name.
bool readEntries(const QString &connection, const QString &sql,
                 std::vector<StaffHistory::Entry> *entries)
{
    const std::shared_ptr<Recordset> rows = GetRecordset(connection, sql);
    if (!rows)
        return false;
    const int key = rows->FieldIndex(QStringLiteral("Clerk_ID"));
    const int time = rows->FieldIndex(QStringLiteral("History_Time"));
    const int user = rows->FieldIndex(QStringLiteral("History_User"));
    const int kind = rows->FieldIndex(QStringLiteral("History_Kind"));
    const int before = rows->FieldIndex(QStringLiteral("History_Before"));
    const int after = rows->FieldIndex(QStringLiteral("History_After"));
    entries->clear();
    entries->reserve(size_t(rows->RecordCount()));
    for (qsizetype r = 0; r < rows->RecordCount(); ++r) {
        StaffHistory::Entry &entry = entries->emplace_back();
        entry.Time = rows->text(r, time);
        entry.User = rows->text(r, user);
        entry.What = kindOf(rows->text(r, kind));
        if (entry.What != StaffHistory::Kind::Added)
            entry.Before = StaffHistory::Values(rows->text(r, before));
        if (after >= 0 && entry.What != StaffHistory::Kind::Deleted)
            entry.After = StaffHistory::Values(rows->text(r, after));
        if (key >= 0)
            entry.Key = rows->text(r, key);
    }
    return true;
}

} // namespace

std::vector<int> StaffHistory::Entry::Fields() const
{
    std::vector<int> fields;
    for (int field = 0; field < ClerkFieldCount; ++field) {
        const QString was = DatabaseValueText(Before.empty() ? QVariant() : Before[size_t(field)]);
        const QString is = DatabaseValueText(After.empty() ? QVariant() : After[size_t(field)]);
        if (was != is)
            fields.push_back(field);
    }
    return fields;
}

bool StaffHistory::Readable(const QString &strConnection)
{
    return QueryRuns(strConnection, HistoryStatements::Probe());
}

bool StaffHistory::Changes(const QString &strConnection, const QString &key,
                           std::vector<Entry> *entries)
{
    if (!IsPlainWholeNumber(key))
        return false;
    if (!readEntries(strConnection, HistoryStatements::Changes(key), entries))
        return false;
    for (Entry &entry : *entries)
        entry.Key = key;
    return true;
}

bool StaffHistory::Deleted(const QString &strConnection, std::vector<Entry> *entries)
{
    return readEntries(strConnection, HistoryStatements::Deleted(), entries);
}

std::vector<QVariant> StaffHistory::Values(const QString &json)
{
    const QJsonObject row = rowObject(json);
    std::vector<QVariant> values;
    values.reserve(size_t(ClerkFieldCount));
    for (const ClerkField &field : ClerkFields)
        values.push_back(fieldValue(row.value(QString::fromLatin1(field.Name).toLower())));
    return values;
}
