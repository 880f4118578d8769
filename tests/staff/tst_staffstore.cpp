// How the staff directory is written: which rows a save takes, and the store that runs them on
// every backend, as a batch (Transact-SQL) or a call per row (Jet), and deletes.

#include "db/ClerkFields.h"
#include "db/ConnectionPool.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "DbFixture.h"
#include "staff/CollisionQuestion.h"
#include "staff/StaffEdits.h"
#include "staff/StaffHistory.h"
#include "staff/StaffStatements.h"
#include "staff/StaffStore.h"
#include "TestHome.h"

#include <csignal>
#include <numeric>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>
#include <QThread>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// A grid row: the key, then the fields as far as given.
QStringList Row(const QString &key, const QStringList &fields)
{
    QStringList cells{key};
    cells += fields;
    cells.resize(ClerkColumns::RecordCol(ClerkFieldCount));
    return cells;
}

int Field(const char *name)
{
    const int field = ClerkFieldIndex(name);
    Q_ASSERT(field >= 0);
    return field;
}

// A record column by field name.
int Col(const char *name)
{
    return ClerkColumns::RecordCol(Field(name));
}

DBType Dialect(int number)
{
    return ToDBType(qint16(number)).value();
}

using Answer = std::function<bool(const QString &question)>;

// The rows a staff window shows, edited and saved as the window does it: grid row r (from 1)
// is records r - 1, values as the database gave them, in record columns.
struct Sheet
{
    QString connection;
    QList<QVariantList> values;
    QList<QStringList> texts;
    StaffEdits edits;
    std::vector<int> added;
    QStringList asked;

    explicit Sheet(const DbFixture &db)
        : connection(db.connection()), values(db.rows("Select * From Vw_Clerk")), texts(db.staff())
    {
    }
    QString &text(int row, int field) { return texts[row - 1][ClerkColumns::RecordCol(field)]; }
    void edit(int row, int field, const QString &typed)
    {
        edits.CellChanging(row, texts[row - 1][ClerkColumns::RecordKeyCol], field,
                           [&] { return values[row - 1][ClerkColumns::RecordCol(field)]; });
        text(row, field) = typed;
    }
    // Rows added here stay new rows until the sheet is read again.
    StaffStore::SaveResult save(DBType dialect, const Answer &answer,
                                const QList<QStringList> &newRows = {})
    {
        for (const QStringList &row : newRows) {
            texts << row;
            added.push_back(int(texts.size()));
        }
        const StaffStore::GridText grid{
            [this](int row) { return texts[row - 1][ClerkColumns::RecordKeyCol]; },
            [this](int row, int field) { return text(row, field); },
            [this] {
                qint64 highest = 0;
                for (const QStringList &row : texts)
                    highest = qMax(highest, row[ClerkColumns::RecordKeyCol].toLongLong());
                return highest;
            }};
        StaffStore store;
        return store.Save(connection, dialect, edits, added, grid,
                          [&](const std::vector<StaffStore::Collision> &collisions) {
                              asked << CollisionQuestion(collisions, [&](int row) {
                                  return grid.Field(row, Field("Clerk_UserName"));
                              });
                              return answer(asked.back());
                          });
    }
};

bool Never(const QString &)
{
    qWarning("no question was expected");
    return false;
}

const QString Injection = "x'); Delete From Clerk; --\r'";

// Runs work in a child process, which ends with work's answer; `started` gets the child's pid
// once work is about to begin. No connection may be open across the fork.
int InChild(const std::function<int()> &work, const std::function<void(pid_t)> &started = {})
{
    ConnectionPool::CloseAll();
    int ready[2];
    if (::pipe(ready) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ready[0]);
        [[maybe_unused]] const ssize_t sent = ::write(ready[1], "g", 1);
        ::_exit(work());
    }
    ::close(ready[1]);
    char byte;
    if (child > 0 && ::read(ready[0], &byte, 1) == 1 && started)
        started(child);
    ::close(ready[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Ten thousand new names, N0 to N9999.
int SaveNewNames(const QString &connection)
{
    StaffStore store;
    std::vector<int> rows(10000);
    std::iota(rows.begin(), rows.end(), 0);
    const StaffStore::GridText grid{[](int) { return QString(); },
                                    [](int r, int field) {
                                        return field == Field("Clerk_UserName")
                                                   ? QStringLiteral("N%1").arg(r)
                                                   : QString();
                                    },
                                    [] { return qint64(0); }};
    const auto never = [](const std::vector<StaffStore::Collision> &) { return false; };
    return store.Save(connection, DBType::TransactSql, StaffEdits(), rows, grid, never).Saved ? 0
                                                                                              : 1;
}
// A cell of a sheet: grid row (from 1), field name, text.
struct SheetCell
{
    int Row;
    const char *Field;
    const char *Value;
};

// A colleague's statement (its Where names Anna's row), run after this user's load unless
// ColleagueFirst; this user's edits; his answer to the one question ("" when none may come);
// how many rows the table holds afterwards, and what it holds.
struct ColleagueCase
{
    const char *Name;
    const char *Colleague;
    std::vector<SheetCell> Edits;
    const char *Answer;
    int Rows;
    std::vector<SheetCell> Expected;
    bool ColleagueFirst = false;
};

// clang-format off
const ColleagueCase ColleagueCases[] = {
    // Typed back as read: no change, so the colleague's name stays.
    {"unchanged_writes_nothing", "Update Clerk Set Clerk_UserName='Ann',Clerk_Dept='Ops'",
     {{1, "Clerk_UserName", "Annie"}, {1, "Clerk_UserName", "Anna"}, {1, "Clerk_Dept", ""}}, "",
     2, {{1, "Clerk_UserName", "Ann"}, {1, "Clerk_Dept", "Ops"}}},
    {"other_row_survives", "Update Clerk Set Clerk_Dept='Ops'", {{2, "Clerk_Phone", "201"}}, "",
     2, {{1, "Clerk_Dept", "Ops"}, {2, "Clerk_Phone", "201"}}},
    {"other_field_merged", "Update Clerk Set Clerk_Dept='Ops'", {{1, "Clerk_Phone", "101"}}, "",
     2, {{1, "Clerk_Dept", "Ops"}, {1, "Clerk_Phone", "101"}}},
    {"same_field_yes_mine", "Update Clerk Set Clerk_Phone='150'",
     {{1, "Clerk_Phone", "101"}, {1, "Clerk_Memo", "m"}}, "yes",
     2, {{1, "Clerk_Phone", "101"}, {1, "Clerk_Memo", "m"}}},
    {"same_field_no_theirs", "Update Clerk Set Clerk_Phone='150'",
     {{1, "Clerk_Phone", "101"}, {1, "Clerk_Memo", "m"}}, "no",
     2, {{1, "Clerk_Phone", "150"}, {1, "Clerk_Memo", "m"}}},
    // A colleague wrote what this user typed: no question, the row's other field is written.
    {"same_value_settles", "Update Clerk Set Clerk_Phone='101'",
     {{1, "Clerk_Phone", " 101 "}, {1, "Clerk_Memo", "m"}}, "",
     2, {{1, "Clerk_Phone", "101"}, {1, "Clerk_Memo", "m"}}},
    {"deleted_yes_inserted", "Delete From Clerk", {{1, "Clerk_Phone", "101"}}, "yes",
     2, {{2, "Clerk_Phone", "101"}}},
    {"deleted_no_let_go", "Delete From Clerk", {{1, "Clerk_Phone", "101"}}, "no", 1, {}},
    // Values read as they were stored, not as FormatStr writes them: no false conflict.
    {"as_read_no_conflict",
     "Update Clerk Set Clerk_NO='  E1 ',Clerk_Dept='2024-1-5',"
     "Clerk_Address='2024-01-05 13:45:00',Clerk_Memo='研发 O''Neil'",
     {{1, "Clerk_NO", "E2"}, {1, "Clerk_Dept", "IT"}, {1, "Clerk_Address", "Main St"},
      {1, "Clerk_Memo", "备注"}}, "",
     2, {{1, "Clerk_NO", "E2"}, {1, "Clerk_Dept", "IT"}, {1, "Clerk_Address", "Main St"},
         {1, "Clerk_Memo", "备注"}}, true},
};
// clang-format on
} // namespace

class tst_StaffStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Blanks leave a new row out, a tab does not; a key must be a plain whole number.
    void rowKinds()
    {
        using Kind = StaffStatements::RowKind;
        QCOMPARE(StaffStatements::Classify(Row("   ", {" ", "  "})), Kind::Blank);
        QCOMPARE(StaffStatements::Classify(Row("", {"\t"})), Kind::Insert);
        for (const char *key : {"1 or 1=1", "１", "1234567890123456789"})
            QCOMPARE(StaffStatements::Classify(Row(QString::fromUtf8(key), {"a"})), Kind::BadKey);
    }

    // A colleague writes between this user's load and save. Rows Anna (1) and Dan (2).
    void colleagueBetweenLoadAndSave_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<int>("dialect");
        QTest::addColumn<int>("index");
        // Each case under both dialects, each backend under both.
        int n = 0;
        for (const QString &engine : Backends()) {
            for (size_t i = 0; i < std::size(ColleagueCases); ++i) {
                const int dialect = (n++ + int(Backends().indexOf(engine))) % 2;
                AddBackendRow(QString::fromLatin1(ColleagueCases[i].Name) + "_d" +
                                  QString::number(dialect),
                              engine)
                    << dialect << int(i);
            }
        }
    }
    void colleagueBetweenLoadAndSave()
    {
        QFETCH(int, dialect);
        QFETCH(int, index);
        const ColleagueCase &c = ColleagueCases[index];
        TestHome home;
        DB_FIXTURE(db);
        db.addStaff({"E1", "", "Anna", "", "", "100", "", "", "", "", "", "", "", "m1"});
        db.addStaff({"E2", "", "Dan", "", "", "200"});
        db.exec("Update Clerk Set Clerk_Dept=Null"); // shown as "", read as null
        const QString colleague = QString::fromUtf8(c.Colleague) + " Where Clerk_UserName='Anna'";
        if (c.ColleagueFirst)
            db.exec(colleague);
        Sheet sheet(db);
        for (const SheetCell &edit : c.Edits)
            sheet.edit(edit.Row, Field(edit.Field), QString::fromUtf8(edit.Value));
        if (!c.ColleagueFirst)
            db.exec(colleague);
        const QString answer = QLatin1String(c.Answer);
        const auto result =
            sheet.save(Dialect(dialect), [&](const QString &) { return answer == u"yes"; });
        QVERIFY(result.Saved);
        QCOMPARE(sheet.asked.size(), answer.isEmpty() ? 0 : 1);
        QCOMPARE(home.logEntryCount(), 0); // a collision is a question, not a failure
        const QList<QStringList> after = db.staff();
        QCOMPARE(after.size(), c.Rows);
        for (const SheetCell &want : c.Expected) {
            QCOMPARE(after.value(want.Row - 1).value(ClerkColumns::RecordCol(Field(want.Field))),
                     QString::fromUtf8(want.Value));
        }
        // No takes theirs into the grid, or lets the deleted row go; Yes on a deleted row
        // inserts it again, which a reload shows.
        const bool deleted = colleague.startsWith(QLatin1String("Delete"));
        QCOMPARE(result.Gone,
                 deleted && answer == u"no" ? std::vector<int>{1} : std::vector<int>{});
        QCOMPARE(result.Reload, deleted && answer == u"yes");
        if (answer.isEmpty())
            return;
        QVERIFY2(sheet.asked[0].contains(deleted ? "Row 1 (Anna):\n  (deleted)"
                                                 : "Row 1 (Anna):\n  Phone: read "
                                                   "'100', theirs '150', yours '101'"),
                 qPrintable(sheet.asked[0]));
        if (!deleted && answer == u"no")
            QVERIFY(std::any_of(result.Cells.cbegin(), result.Cells.cend(), [](const auto &cell) {
                return cell.GridRow == 1 && cell.Field == Field("Clerk_Phone") &&
                       cell.Value == "150";
            }));
    }

    // A row the database leaves alone without an error (a rule) fails once, logged; a row that
    // changes again while its question is open is asked about once more, then fails.
    void refusedAndChangedAgain()
    {
        TestHome home;
        DbFixture db;
        db.addNames({"Anna", "Dan"});
        db.exec("Create Trigger Keep Before Update On Clerk When "
                "Old.Clerk_UserName='Dan' Begin Select Raise(Ignore); End");
        Sheet sheet(db);
        sheet.edit(2, Field("Clerk_UserName"), "Danny");
        sheet.edit(1, Field("Clerk_Phone"), "1");
        StaffStore::SaveResult result = sheet.save(DBType::TransactSql, Never);
        QVERIFY(!result.Saved && sheet.asked.isEmpty());
        QCOMPARE(db.staff()[1][Col("Clerk_UserName")], "Dan");
        QCOMPARE(db.staff()[0][Col("Clerk_Phone")], "1");
        QCOMPARE(result.Settled, std::vector<int>{1}); // Dan's row keeps what was typed
        QCOMPARE(home.logEntryCount(), 1);

        Sheet again(db);
        again.edit(1, Field("Clerk_Phone"), "2");
        db.exec("Update Clerk Set Clerk_Phone='x' Where Clerk_UserName='Anna'");
        int round = 0;
        result = again.save(DBType::TransactSql, [&](const QString &) {
            db.exec(QStringLiteral("Update Clerk Set Clerk_Phone='y%1' Where "
                                   "Clerk_UserName='Anna'")
                        .arg(++round));
            return true;
        });
        QCOMPARE(again.asked.size(), 2);
        QVERIFY(again.asked[1].contains("read 'x', theirs 'y1', yours '2'"));
        QVERIFY(!result.Saved);
        QCOMPARE(db.staff()[0][Col("Clerk_Phone")], "y2");
        QCOMPARE(home.logEntryCount(), 2);
    }

    // Saved rows with hostile and blank texts, a new row, a blank row and a bad key: what was
    // written is handed back as the database holds it, so a second save writes nothing.
    void save_data() { BackendDialectRows({0, 1}); }
    void save()
    {
        QFETCH(int, dialect);
        TestHome home;
        DB_FIXTURE(db);
        db.addNames({"Anna", "Dan"});
        const QList<QStringList> before = db.staff();
        Sheet sheet(db);
        sheet.edit(1, Field("Clerk_NO"), " E1 ");
        sheet.edit(1, Field("Clerk_UserName"), Injection);
        sheet.edit(1, Field("Clerk_Dept"), "研发部");
        sheet.edit(1, Field("Clerk_Address"), "2024-1-5");
        sheet.texts[1][ClerkColumns::RecordKeyCol] = "2 or 1=1";
        sheet.edit(2, Field("Clerk_UserName"), "  ");
        const auto result =
            sheet.save(Dialect(dialect), Never, {Row("", {"", "", "Zoe"}), Row("", {" "})});
        QVERIFY(result.Saved && result.Reload);
        QCOMPARE(home.logEntryCount(), 1); // the bad key, and nothing else
        QVERIFY(home.logText().contains("Row 2, Clerk_ID=2 or 1=1"));
        const QList<QStringList> after = db.staff();
        QCOMPARE(after.size(), 3);
        QCOMPARE(after[0].mid(Col("Clerk_NO"), 5),
                 (QStringList{"E1", QString(), Injection, "研发部", "2024-01-05 00:00:00"}));
        QCOMPARE(after[1], before[1]);
        QCOMPARE(after[2][Col("Clerk_UserName")], "Zoe");
        QVERIFY(after[2][Col("Clerk_NO")].isNull()); // blank cells are stored as null
        QCOMPARE(result.Cells.front().Value, QVariant("E1"));
    }

    // A statement the database refuses (a second "R" in a unique column). Two saved rows, both
    // edited, and a new one make one dialect-0 call of two updates, then the insert: it keeps none
    // of them and logs the pass whole; dialect 1 keeps the rows before the refused one. A database
    // that cannot be reached is logged under the window's routine.
    void failedSave_data() { BackendDialectRows({0, 1}); }
    void failedSave()
    {
        QFETCH(int, dialect);
        TestHome home;
        DB_FIXTURE(db);
        db.addStaff({"R", QString(), "Anna"});
        db.addNames({"Dan"});
        db.exec("Create Unique Index Reject On Clerk(Clerk_NO)");
        const QList<QStringList> before = db.staff();
        Sheet sheet(db);
        sheet.edit(1, Field("Clerk_UserName"), "Anna2");
        sheet.edit(2, Field("Clerk_UserName"), "Dan2");
        QVERIFY(!sheet.save(Dialect(dialect), Never, {Row("", {"R", "", "Zoe"})}).Saved);
        QCOMPARE(home.logEntryCount(), 1);
        const QString log = home.logText();
        // Two blanks before Where, as the statement has always been written.
        const qsizetype first = log.indexOf(QLatin1String("  Where Clerk_ID=") + before[0][0]);
        const qsizetype second = log.indexOf(QLatin1String("  Where Clerk_ID=") + before[1][0]);
        if (dialect == 0) {
            QVERIFY(first >= 0 && first < second && second < log.indexOf(u"Insert Into Clerk("));
            QCOMPARE(db.staff(), before);
        } else {
            QCOMPARE(first, -1);
            QCOMPARE(db.staff()[1][Col("Clerk_UserName")], "Dan2");
        }

        Sheet offline(db);
        offline.connection = "sqlite:/nonexistent/staff.db";
        offline.edit(1, Field("Clerk_UserName"), "Anna3");
        QVERIFY(!offline.save(Dialect(dialect), Never).Saved);
        QCOMPARE(home.logEntryCount(), 2);
        QVERIFY(home.logText().contains("SaveData,模块:frmMain"));
        QVERIFY(home.logText().endsWith(" And Clerk_UserName='" +
                                        db.staff()[0][Col("Clerk_UserName")] + "'\r\r\n" +
                                        QString(79, u'=') + "\r\n"));
    }

    // A save that fails after its inserts ran may have committed them (Jet's calls before the
    // failing one are; a dropped connection may have committed a whole pass): the next save finds
    // such a row, even one changed since, and inserts only what is not there yet.
    void failedSaveInsertsOnce_data() { BackendDialectRows({0, 1}); }
    void failedSaveInsertsOnce()
    {
        QFETCH(int, dialect);
        TestHome home;
        DB_FIXTURE(db);
        db.addStaff({"R", QString(), "Anna"});
        db.exec("Create Unique Index Reject On Clerk(Clerk_NO)");
        Sheet sheet(db);
        auto result = sheet.save(Dialect(dialect), Never,
                                 {Row("", {"Z1", "", "Zoe"}), Row("", {"R", "", "Dup"})});
        QVERIFY(!result.Saved && !result.Reload);
        QCOMPARE(db.count("Clerk"), dialect == 1 ? 2 : 1);
        QCOMPARE(result.MaybeInserted.size(), size_t(2));
        for (const auto &[row, cells] : result.MaybeInserted)
            sheet.edits.MaybeInserted(row, cells);
        sheet.text(2, Field("Clerk_Phone")) = "555";
        sheet.text(3, Field("Clerk_NO")) = "D1";
        result = sheet.save(Dialect(dialect), Never);
        QVERIFY(result.Saved && result.Reload);
        const QList<QStringList> after = db.staff();
        QCOMPARE(after.size(), 3);
        QCOMPARE(after[1].mid(Col("Clerk_NO"), 6), (QStringList{"Z1", {}, "Zoe", {}, {}, "555"}));
        QCOMPARE(after[2].mid(Col("Clerk_NO"), 3), (QStringList{"D1", {}, "Dup"}));
        QCOMPARE(home.logEntryCount(), 1); // the refused insert
    }

    // Each insert, change and delete of a Clerk row leaves one entry, newest first, whoever
    // writes (the test's own connection, as psql would: its login); a change that changes
    // nothing leaves none. The module's connections name the operator declared last (PostgreSQL;
    // SQLite knows no users). A row put back under its key is no longer listed as deleted, and
    // putting it back again changes nothing. Without the history the database still passes, and
    // the next --init-db brings it back (on SQLite naming a column added since).
    void historyOfEveryChange_data() { BackendRows(); }
    void historyOfEveryChange()
    {
        using Kind = StaffHistory::Kind;
        TestHome home;
        DB_FIXTURE(db);
        db.addStaff({"E1", "", "Anna", "", "", "100"});
        const QStringList anna = db.staff()[0];
        db.exec("Update Clerk Set Clerk_Phone='101'");
        db.exec("Update Clerk Set Clerk_Phone='101'");
        for (const char *name : {"Anna Smith", "Bob"}) {
            ConnectionPool::DeclareOperator(db.connection(), QString::fromUtf8(name));
            QVERIFY(ExcuteSQL(db.connection(), name[0] == 'A' ? "Update Clerk Set Clerk_Memo='m'"
                                                              : StaffStatements::DeleteAll()));
        }
        std::vector<StaffHistory::Entry> entries;
        QVERIFY(StaffHistory::Changes(db.connection(), anna[0], &entries));
        QCOMPARE(entries.size(), size_t(4));
        const QString login = db.onPostgreSql() ? db.scalar("Select session_user").toString() : "";
        const QList<std::tuple<Kind, QString, std::vector<int>>> expected{
            {Kind::Deleted, db.onPostgreSql() ? "Bob" : "", {0, 2, 5, 13}},
            {Kind::Changed, db.onPostgreSql() ? "Anna Smith" : "", {Field("Clerk_Memo")}},
            {Kind::Changed, login, {Field("Clerk_Phone")}},
            {Kind::Added, login, {0, 2, 5}}};
        for (size_t i = 0; i < entries.size(); ++i) {
            const auto &[kind, user, fields] = expected[qsizetype(i)];
            QCOMPARE(std::tuple(entries[i].What, entries[i].User, entries[i].Fields()),
                     std::tuple(kind, user, fields));
            QVERIFY(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$")
                        .match(entries[i].Time)
                        .hasMatch());
        }
        QCOMPARE(entries[2].Before[size_t(Field("Clerk_Phone"))], QVariant("100"));
        QCOMPARE(entries[2].After[size_t(Field("Clerk_Phone"))], QVariant("101"));

        QVERIFY(StaffHistory::Deleted(db.connection(), &entries));
        QCOMPARE(entries.size(), size_t(1));
        QCOMPARE(entries[0].Key, anna[0]);
        QStringList cells{anna[0]};
        for (const QVariant &value : entries[0].Before)
            cells << value.toString();
        for (const int restored : {1, 0}) {
            int rows = -1;
            QVERIFY(ExcuteSQL(db.connection(), StaffStatements::Restore(cells), &rows));
            QCOMPARE(rows, restored);
        }
        QCOMPARE(db.staff()[0].mid(0, 8), (anna.mid(0, 6) << "101" << QString()));
        QVERIFY(StaffHistory::Deleted(db.connection(), &entries) && entries.empty());

        const QStringList drop = db.onPostgreSql()
                                     ? QStringList{"Drop Trigger clerk_history On Clerk",
                                                   "Drop Trigger clerk_history_update On Clerk"}
                                     : QStringList{"Drop Trigger Clerk_History_Insert",
                                                   "Drop Trigger Clerk_History_Update",
                                                   "Drop Trigger Clerk_History_Delete",
                                                   "Alter Table Clerk Add Clerk_X Text"};
        for (const QString &statement : drop + QStringList{"Drop Table Clerk_History"})
            db.exec(statement);
        QString message;
        QVERIFY2(CheckDatabase(db.connection(), &message), qPrintable(message));
        QVERIFY(!StaffHistory::Readable(db.connection()));
        QVERIFY(InitDatabase(db.connection(), &message));
        QVERIFY2(message.endsWith(QLatin1String("added the history of staff changes.")),
                 qPrintable(message));
        db.exec(QStringLiteral("Update Clerk Set %1='102'")
                    .arg(db.onPostgreSql() ? "Clerk_Phone" : "Clerk_X"));
        const QString after = db.scalar("Select History_After From Clerk_History").toString();
        QVERIFY2(
            after.contains(db.onPostgreSql() ? "\"clerk_phone\":\"102\"" : "\"Clerk_X\":\"102\""),
            qPrintable(after));
        QVERIFY(InitDatabase(db.connection(), &message));
        QVERIFY2(message.endsWith(QLatin1String("nothing was changed.")), qPrintable(message));
        QCOMPARE(home.logEntryCount(), 0);
    }

    // The disk fills half-way through a save (a file-size limit in a child): the save is rolled
    // back, the file stays sound, one entry is logged.
    void diskFullDuringSave_data()
    {
        QTest::addColumn<QString>("engine");
        for (const char *engine : {"sqlite", "odbc-sqlite"})
            QTest::newRow(engine) << QString::fromLatin1(engine);
    }
    void diskFullDuringSave()
    {
        TestHome home;
        DB_FIXTURE(db);
        db.addNames({"Anna"});
        // Megabytes already in the file keep the limit above the size of the log entry.
        db.exec("Create Table Padding(x)");
        db.exec("Insert Into Padding Values(zeroblob(4194304))");
        const QList<QStringList> before = db.staff();
        const rlim_t limit = rlim_t(QFileInfo(db.sqliteFile()).size() + 32768);
        const QString connection = db.connection();
        const int status = InChild([limit, &connection] {
            std::signal(SIGXFSZ, SIG_IGN); // a refused write, not a killed process
            const rlimit fileSize{limit, limit};
            return ::setrlimit(RLIMIT_FSIZE, &fileSize) == 0 ? SaveNewNames(connection) : 2;
        });
        QCOMPARE(status, 1);
        QCOMPARE(db.staff(), before);
        QCOMPARE(db.scalar("PRAGMA integrity_check").toString(), "ok");
        QCOMPARE(home.logEntryCount(), 1);
        QVERIFY(home.logText().contains("ExcuteSQL,模块:modPublic"));
    }

    // The process is killed at several points of a dialect-0 save of 10,000 rows: afterwards
    // the database holds all of the save or none of it.
    void killedDuringSave_data() { BackendRows(); }
    void killedDuringSave()
    {
        TestHome home;
        DB_FIXTURE(db);
        db.addNames({"Anna"});
        QElapsedTimer whole;
        whole.start();
        QCOMPARE(InChild([&db] { return SaveNewNames(db.connection()); }), 0);
        const qint64 took = whole.elapsed();
        QCOMPARE(db.count("Clerk"), 10001);
        for (const int percent : {10, 40, 70, 95}) {
            db.exec("Delete From Clerk Where Clerk_UserName<>'Anna'");
            const int status = InChild([&db] { return SaveNewNames(db.connection()); },
                                       [&](pid_t child) {
                                           QThread::msleep(took * percent / 100);
                                           ::kill(child, SIGKILL);
                                       });
            QVERIFY(status == 0 || status == 128 + SIGKILL);
            // A server notices the lost client in its own time; what it keeps must not change.
            QTest::qWait(200);
            const int added = db.count("Clerk") - 1;
            QVERIFY2(added == 0 || added == 10000, qPrintable(QString::number(added)));
        }
    }
};

QTEST_GUILESS_MAIN(tst_StaffStore)
#include "tst_staffstore.moc"
