// Prints, as one JSON array of {name, sql}, every statement form the module and its host send
// under dialect 0 (Transact-SQL), built by their own statement builders from values that test
// the quoting: quotes, Chinese, blanks that become Null, dates, wildcards, line breaks.

#include "db/ClerkFields.h"
#include "db/SqlDialect.h"
#include "notice/NoticeStatements.h"
#include "office/NoticeWatch.h"
#include "office/NoticeWatchStatements.h"
#include "print/cryClerk.h"
#include "search/NoticeQuery.h"
#include "staff/StaffStatements.h"

#include <cstdio>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const std::pair<const char *, QString> Values[] = {
    {"plain", "Ann"},
    {"quote", "O'Neil"},
    {"quotes_only", "'''"},
    {"chinese", "李娜 王芳"},
    {"blank_is_null", "  "},
    {"empty", QString()},
    {"date", "2024-1-5 9:07"},
    {"number", "-2.5E-3"},
    {"wildcards", "50%_[off]"},
    {"line_breaks", "line 1\r\nline 2\rline 3"},
    {"comment_marks", "a; -- b /* c */ \"d\""},
    {"long", QString(5000, u'x')},
};

QJsonArray statements;

// The statement named form, or form and the value's name.
void Add(const char *form, const QString &sql, const QString &valueName = QString())
{
    statements.append(
        QJsonObject{{"name", QString(QLatin1String(form) + valueName)}, {"sql", sql}});
}

void AddStaff(const QString &name, const QString &value, int index)
{
    QStringList cells{QString()};
    for (int field = 0; field < ClerkFieldCount; ++field)
        cells << value;
    Add("staff.insert.", StaffStatements::Insert(cells), name);
    // Checked against what was read: nothing, the same text, a number, a moment.
    const int first = index % (ClerkFieldCount - 3);
    const std::vector<StaffStatements::FieldWrite> writes{
        {first, value, QVariant()},
        {first + 1, value, QVariant(value)},
        {first + 2, value, QVariant(7)},
        {first + 3, QString(), QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9))}};
    Add("staff.update.", StaffStatements::Update("12", writes), name);
    QStringList other = cells;
    other[1] = QString();
    Add("staff.find_inserted.", StaffStatements::FindInserted({cells, other}, 40), name);
}

void AddNotice(const QString &name, const QString &value)
{
    const QDateTime clientTime(QDate(2024, 3, 5), QTime(14, 7, 9));
    Add("notice.insert.", NoticeStatements::Insert(DBType::TransactSql, value, value, clientTime),
        name);
    Add("notice.update.", NoticeStatements::UpdateContent("7", value), name);
    Add("notice.from_publisher.", NoticeStatements::FromPublisher(value), name);
    Add("notice.from_publisher_since.", NoticeStatements::FromPublisherSince(value, 41), name);
    const QDate from(2024, 3, 1), to(2024, 3, 2);
    Add("search.publisher.", NoticeQuerySQL(value, false, from, to, DBType::TransactSql), name);
    Add("search.publisher_days.", NoticeQuerySQL(value, true, from, to, DBType::TransactSql), name);
}

} // namespace

int main()
{
    int index = 0;
    for (const auto &[name, value] : Values) {
        AddStaff(QLatin1String(name), value, index++);
        AddNotice(QLatin1String(name), value);
    }
    QStringList mixed{QString()};
    for (int field = 0; field < ClerkFieldCount; ++field)
        mixed << Values[size_t(field) % std::size(Values)].second;
    Add("staff.insert.mixed", StaffStatements::Insert(mixed));
    Add("staff.load", StaffStatements::LoadQuery());
    Add("staff.read_rows", StaffStatements::ReadRows({"3", "12", "40"}));
    Add("staff.delete_all", StaffStatements::DeleteAll());
    Add("staff.delete_one", StaffStatements::DeleteOne("12"));
    Add("notice.list", NoticeStatements::ListQuery());
    Add("notice.list_rows", NoticeStatements::ListRows({7, 12}));
    Add("notice.content", NoticeStatements::ContentQuery("7"));
    Add("notice.delete", NoticeStatements::Delete("7"));
    Add("notice.others_online", NoticeStatements::OthersOnline("127.0.0.1"));
    Add("search.all", NoticeQuerySQL(QString(), false, {}, {}, DBType::TransactSql));
    Add("search.days",
        NoticeQuerySQL(QString(), true, QDate(2024, 3, 3), QDate(2024, 3, 1), DBType::TransactSql));
    Add("report.source", cryClerk::SourceQuery());
    Add("watch.newest", NoticeWatchStatements::Newest(SqlEngine::Passthrough, NoticeWatch::Newest));
    Add("watch.from", NoticeWatchStatements::From(41));
    Add("watch.highest_id", NoticeWatchStatements::HighestId());
    const QByteArray json = QJsonDocument(statements).toJson(QJsonDocument::Compact);
    return std::fwrite(json.constData(), 1, size_t(json.size()), stdout) == size_t(json.size()) ? 0
                                                                                                : 1;
}
