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
    {"plain", QStringLiteral("Ann")},
    {"quote", QStringLiteral("O'Neil")},
    {"quotes_only", QStringLiteral("'''")},
    {"chinese", QStringLiteral("李娜 王芳")},
    {"blank_is_null", QStringLiteral("  ")},
    {"empty", QString()},
    {"date", QStringLiteral("2024-1-5 9:07")},
    {"number", QStringLiteral("-2.5E-3")},
    {"wildcards", QStringLiteral("50%_[off]")},
    {"line_breaks", QStringLiteral("line 1\r\nline 2\rline 3")},
    {"comment_marks", QStringLiteral("a; -- b /* c */ \"d\"")},
    {"long", QString(5000, u'x')},
};

QJsonArray statements;

void Add(const QString &name, const QString &sql)
{
    statements.append(QJsonObject{{QStringLiteral("name"), name}, {QStringLiteral("sql"), sql}});
}

void AddStaff(const QString &name, const QString &value, int index)
{
    QStringList cells{QString()};
    for (int field = 0; field < ClerkFieldCount; ++field)
        cells << value;
    Add(QStringLiteral("staff.insert.") + name, StaffStatements::Insert(cells));
    // Checked against what was read: nothing, the same text, a number, a moment.
    const int first = index % (ClerkFieldCount - 3);
    const std::vector<StaffStatements::FieldWrite> writes{
        {first, value, QVariant()},
        {first + 1, value, QVariant(value)},
        {first + 2, value, QVariant(7)},
        {first + 3, QString(), QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9))}};
    Add(QStringLiteral("staff.update.") + name,
        StaffStatements::Update(QStringLiteral("12"), writes));
    QStringList other = cells;
    other[1] = QString();
    Add(QStringLiteral("staff.find_inserted.") + name,
        StaffStatements::FindInserted({cells, other}, 40));
}

void AddNotice(const QString &name, const QString &value)
{
    const QDateTime clientTime(QDate(2024, 3, 5), QTime(14, 7, 9));
    Add(QStringLiteral("notice.insert.") + name,
        NoticeStatements::Insert(DBType::TransactSql, value, value, clientTime));
    Add(QStringLiteral("notice.update.") + name,
        NoticeStatements::UpdateContent(QStringLiteral("7"), value));
    Add(QStringLiteral("notice.from_publisher.") + name, NoticeStatements::FromPublisher(value));
    Add(QStringLiteral("notice.from_publisher_since.") + name,
        NoticeStatements::FromPublisherSince(value, 41));
    const QDate from(2024, 3, 1), to(2024, 3, 2);
    Add(QStringLiteral("search.publisher.") + name,
        NoticeQuerySQL(value, false, from, to, DBType::TransactSql));
    Add(QStringLiteral("search.publisher_days.") + name,
        NoticeQuerySQL(value, true, from, to, DBType::TransactSql));
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
    Add(QStringLiteral("staff.insert.mixed"), StaffStatements::Insert(mixed));
    Add(QStringLiteral("staff.load"), StaffStatements::LoadQuery());
    Add(QStringLiteral("staff.read_rows"),
        StaffStatements::ReadRows(
            {QStringLiteral("3"), QStringLiteral("12"), QStringLiteral("40")}));
    Add(QStringLiteral("staff.delete_all"), StaffStatements::DeleteAll());
    Add(QStringLiteral("staff.delete_one"), StaffStatements::DeleteOne(QStringLiteral("12")));
    Add(QStringLiteral("notice.list"), NoticeStatements::ListQuery());
    Add(QStringLiteral("notice.list_rows"), NoticeStatements::ListRows({7, 12}));
    Add(QStringLiteral("notice.content"), NoticeStatements::ContentQuery(QStringLiteral("7")));
    Add(QStringLiteral("notice.delete"), NoticeStatements::Delete(QStringLiteral("7")));
    Add(QStringLiteral("notice.others_online"),
        NoticeStatements::OthersOnline(QStringLiteral("127.0.0.1")));
    Add(QStringLiteral("search.all"),
        NoticeQuerySQL(QString(), false, {}, {}, DBType::TransactSql));
    Add(QStringLiteral("search.days"),
        NoticeQuerySQL(QString(), true, QDate(2024, 3, 3), QDate(2024, 3, 1), DBType::TransactSql));
    Add(QStringLiteral("report.source"), cryClerk::SourceQuery());
    Add(QStringLiteral("watch.newest"),
        NoticeWatchStatements::Newest(SqlEngine::Passthrough, NoticeWatch::Newest));
    Add(QStringLiteral("watch.from"), NoticeWatchStatements::From(41));
    Add(QStringLiteral("watch.highest_id"), NoticeWatchStatements::HighestId());
    const QByteArray json = QJsonDocument(statements).toJson(QJsonDocument::Compact);
    return std::fwrite(json.constData(), 1, size_t(json.size()), stdout) == size_t(json.size()) ? 0
                                                                                                : 1;
}
