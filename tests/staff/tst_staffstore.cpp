// How the staff directory is written: which rows a save takes, and the store that runs them on
// every backend, as a batch (dialect 0) or a call per row (dialect 1), and deletes.

#include "common/Session.h"
#include "db/ConnectionPool.h"
#include "DbFixture.h"
#include "staff/StaffEdits.h"
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
    cells.resize(15);
    return cells;
}

// The rows a staff window shows, edited and saved as the window does it: grid row r (from 1)
// is rows[r - 1], key first, values as the database gave them.
struct Sheet
{
    QList<QVariantList> values;
    QList<QStringList> texts;
    StaffEdits edits;
    QStringList asked;

    explicit Sheet(const DbFixture &db)
        : values(db.rows(QStringLiteral("Select * From Vw_Clerk"))), texts(db.staff())
    {
    }
    void edit(int row, int field, const QString &text)
    {
        edits.CellChanging(row, texts[row - 1][0], field,
                           [&] { return values[row - 1][field + 1]; });
        texts[row - 1][field + 1] = text;
    }
    StaffStore::SaveResult save(int dialect, const std::function<bool(const QString &)> &answer,
                                const QList<QStringList> &newRows = {})
    {
        std::vector<int> added;
        for (const QStringList &row : newRows) {
            texts << row;
            added.push_back(int(texts.size()));
        }
        StaffStore store;
        return store.Save(
            edits, added, [this](int row, int cell) { return texts[row - 1][cell]; },
            qint16(dialect),
            [&](const QString &question) {
                asked << question;
                return answer(question);
            });
    }
};

bool Never(const QString &)
{
    qWarning("no question was expected");
    return false;
}

const QString Injection = QStringLiteral("x'); Delete From Clerk; --\r'");

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
int SaveNewNames(qint16 dialect)
{
    StaffStore store;
    std::vector<int> rows(10000);
    std::iota(rows.begin(), rows.end(), 0);
    const auto cell = [](int r, int c) {
        return c == 3 ? QStringLiteral("N%1").arg(r) : QString();
    };
    return store.Save(StaffEdits(), rows, cell, dialect, Never).Saved ? 0 : 1;
}
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

    // A colleague writes between this user's load and save. Rows Anna (1) and Dan (2); fields
    // by ClerkFields index: 2 name, 3 department, 5 phone, 13 memo. Edits and expectations are
    // "row:field=value" joined by ";", or "count=N"; answer is the user's to the one question,
    // "" when none may come.
    void colleagueBetweenLoadAndSave_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<int>("dialect");
        QTest::addColumn<QString>("colleague");
        QTest::addColumn<QString>("edits");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("expected");
        const QString anna = QStringLiteral(" Where Clerk_UserName='Anna'");
        const QString dept = "Update Clerk Set Clerk_Dept='Ops'" + anna;
        const QString phone = "Update Clerk Set Clerk_Phone='150'" + anna;
        const QString gone = "Delete From Clerk" + anna;
        const QString cases[][5] = {
            // Typed back as read: no change, so the colleague's name stays.
            {"unchanged_writes_nothing",
             "Update Clerk Set Clerk_UserName='Ann',Clerk_Dept='Ops'" + anna,
             "1:2=Annie;1:2=Anna;1:3=", "", "1:2=Ann;1:3=Ops"},
            {"other_row_survives", dept, "2:5=201", "", "1:3=Ops;2:5=201"},
            {"other_field_merged", dept, "1:5=101", "", "1:3=Ops;1:5=101"},
            {"same_field_yes_mine", phone, "1:5=101;1:13=m", "yes", "1:5=101;1:13=m"},
            {"same_field_no_theirs", phone, "1:5=101;1:13=m", "no", "1:5=150;1:13=m"},
            {"deleted_yes_inserted", gone, "1:5=101", "yes", "count=2;2:5=101"},
            {"deleted_no_let_go", gone, "1:5=101", "no", "count=1"},
            // Values read as they were stored, not as FormatStr writes them: no false conflict.
            {"as_read_no_conflict",
             "Update Clerk Set Clerk_NO='  E1 ',Clerk_Dept='2024-1-5',Clerk_Address='2024-01-05 "
             "13:45:00',Clerk_Memo='研发 O''Neil'" +
                 anna,
             "1:0=E2;1:3=IT;1:4=Main St;1:13=备注", "", "1:0=E2;1:3=IT;1:4=Main St;1:13=备注"},
        };
        // Each case under both dialects, each backend under both.
        int n = 0;
        for (const QString &engine : Backends()) {
            for (const auto &c : cases) {
                const int dialect = (n++ + int(Backends().indexOf(engine))) % 2;
                AddBackendRow(c[0] + "_d" + QString::number(dialect), engine)
                    << dialect << c[1] << c[2] << c[3] << c[4];
            }
        }
    }
    void colleagueBetweenLoadAndSave()
    {
        QFETCH(int, dialect);
        QFETCH(QString, colleague);
        QFETCH(QString, answer);
        TestHome home;
        DB_FIXTURE(db);
        db.addStaff({"E1", "", "Anna", "", "", "100", "", "", "", "", "", "", "", "m1"});
        db.addStaff({"E2", "", "Dan", "", "", "200"});
        db.exec(QStringLiteral("Update Clerk Set Clerk_Dept=Null")); // shown as "", read as null
        const bool asRead = QByteArray(QTest::currentDataTag()).startsWith("as_read");
        if (asRead)
            db.exec(colleague);
        Sheet sheet(db);
        const QRegularExpression split(QStringLiteral("[:=]"));
        QFETCH(QString, edits);
        for (const QString &edit : edits.split(u';')) {
            const QStringList parts = edit.split(split);
            sheet.edit(parts[0].toInt(), parts[1].toInt(), parts[2]);
        }
        if (!asRead)
            db.exec(colleague);
        const auto result = sheet.save(dialect, [&](const QString &) { return answer == u"yes"; });
        QVERIFY(result.Saved);
        QCOMPARE(sheet.asked.size(), answer.isEmpty() ? 0 : 1);
        QCOMPARE(home.logEntryCount(), 0); // a collision is a question, not a failure
        const QList<QStringList> after = db.staff();
        QFETCH(QString, expected);
        for (const QString &want : expected.split(u';')) {
            const QStringList parts = want.split(split);
            if (parts[0] == QLatin1String("count"))
                QCOMPARE(after.size(), parts[1].toInt());
            else
                QCOMPARE(after.value(parts[0].toInt() - 1).value(parts[1].toInt() + 1), parts[2]);
        }
        // No takes theirs into the grid, or lets the deleted row go; Yes on a deleted row
        // inserts it again, which a reload shows.
        const bool deleted = colleague.startsWith(QLatin1String("Delete"));
        QCOMPARE(result.Gone,
                 deleted && answer == u"no" ? std::vector<int>{1} : std::vector<int>{});
        QCOMPARE(result.Reload, deleted && answer == u"yes");
        if (answer.isEmpty())
            return;
        QVERIFY2(sheet.asked[0].contains(deleted
                                             ? QStringLiteral("Row 1 (Anna):\n  (deleted)")
                                             : QStringLiteral("Row 1 (Anna):\n  Phone: read "
                                                              "'100', theirs '150', yours '101'")),
                 qPrintable(sheet.asked[0]));
        if (!deleted && answer == u"no")
            QVERIFY(std::any_of(result.Cells.cbegin(), result.Cells.cend(), [](const auto &c) {
                return c.GridRow == 1 && c.Field == 5 && c.Value == QStringLiteral("150");
            }));
    }

    // A row the database leaves alone without an error (a rule) fails once, logged; a row that
    // changes again while its question is open is asked about once more, then fails.
    void refusedAndChangedAgain()
    {
        TestHome home;
        DbFixture db;
        Session().gstrConnection = db.connection();
        db.addNames({QStringLiteral("Anna"), QStringLiteral("Dan")});
        db.exec(QStringLiteral("Create Trigger Keep Before Update On Clerk When "
                               "Old.Clerk_UserName='Dan' Begin Select Raise(Ignore); End"));
        Sheet sheet(db);
        sheet.edit(2, 2, QStringLiteral("Danny"));
        sheet.edit(1, 5, QStringLiteral("1"));
        StaffStore::SaveResult result = sheet.save(0, Never);
        QVERIFY(!result.Saved && sheet.asked.isEmpty());
        QCOMPARE(db.staff()[1][3], QStringLiteral("Dan"));
        QCOMPARE(db.staff()[0][6], QStringLiteral("1"));
        QCOMPARE(result.Settled, std::vector<int>{1}); // Dan's row keeps what was typed
        QCOMPARE(home.logEntryCount(), 1);

        Sheet again(db);
        again.edit(1, 5, QStringLiteral("2"));
        db.exec(QStringLiteral("Update Clerk Set Clerk_Phone='x' Where Clerk_UserName='Anna'"));
        int round = 0;
        result = again.save(0, [&](const QString &) {
            db.exec(QStringLiteral("Update Clerk Set Clerk_Phone='y%1' Where "
                                   "Clerk_UserName='Anna'")
                        .arg(++round));
            return true;
        });
        QCOMPARE(again.asked.size(), 2);
        QVERIFY(again.asked[1].contains(QStringLiteral("read 'x', theirs 'y1', yours '2'")));
        QVERIFY(!result.Saved);
        QCOMPARE(db.staff()[0][6], QStringLiteral("y2"));
        QCOMPARE(home.logEntryCount(), 2);
    }

    // Saved rows with hostile and blank texts, a new row, a blank row and a bad key: what was
    // written is handed back as the database holds it, so a second save writes nothing.
    void save_data()
    {
        BackendDialectRows({0, 1});
        AddBackendRow(QStringLiteral("dialect2"), QStringLiteral("sqlite")) << 2;
    }
    void save()
    {
        QFETCH(int, dialect);
        TestHome home;
        DB_FIXTURE(db);
        db.addNames({QStringLiteral("Anna"), QStringLiteral("Dan")});
        const QList<QStringList> before = db.staff();
        Sheet sheet(db);
        sheet.edit(1, 0, QStringLiteral(" E1 "));
        sheet.edit(1, 2, Injection);
        sheet.edit(1, 3, QStringLiteral("研发部"));
        sheet.edit(1, 4, QStringLiteral("2024-1-5"));
        sheet.texts[1][0] = QStringLiteral("2 or 1=1");
        sheet.edit(2, 2, QStringLiteral("  "));
        const auto result = sheet.save(dialect, Never, {Row("", {"", "", "Zoe"}), Row("", {" "})});
        QVERIFY(result.Saved);
        QCOMPARE(result.Reload, dialect != 2);
        QCOMPARE(home.logEntryCount(), 1); // the bad key, and nothing else
        QVERIFY(home.logText().contains(QStringLiteral("Row 2, Clerk_ID=2 or 1=1")));
        if (dialect == 2) {
            QCOMPARE(db.staff(), before);
            return;
        }
        const QList<QStringList> after = db.staff();
        QCOMPARE(after.size(), 3);
        QCOMPARE(after[0].mid(1, 5),
                 (QStringList{"E1", QString(), Injection, "研发部", "2024-01-05 00:00:00"}));
        QCOMPARE(after[1], before[1]);
        QCOMPARE(after[2][3], QStringLiteral("Zoe"));
        QVERIFY(after[2][1].isNull()); // blank cells are stored as null
        QCOMPARE(result.Cells.front().Value, QVariant(QStringLiteral("E1")));
        StaffStore store;
        QVERIFY(store.DeleteOne(after[0][0]) && db.staff().size() == 2);
        QCOMPARE(store.LastStatement(), "Delete From Clerk Where Clerk_ID=" + after[0][0]);
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
        db.addStaff({QStringLiteral("R"), QString(), QStringLiteral("Anna")});
        db.addNames({QStringLiteral("Dan")});
        db.exec(QStringLiteral("Create Unique Index Reject On Clerk(Clerk_NO)"));
        const QList<QStringList> before = db.staff();
        Sheet sheet(db);
        sheet.edit(1, 2, QStringLiteral("Anna2"));
        sheet.edit(2, 2, QStringLiteral("Dan2"));
        QVERIFY(!sheet.save(dialect, Never, {Row("", {"R", "", "Zoe"})}).Saved);
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
            QCOMPARE(db.staff()[1][3], QStringLiteral("Dan2"));
        }

        Session().gstrConnection = QStringLiteral("sqlite:/nonexistent/staff.db");
        Sheet offline(db);
        offline.edit(1, 2, QStringLiteral("Anna3"));
        QVERIFY(!offline.save(dialect, Never).Saved);
        QCOMPARE(home.logEntryCount(), 2);
        QVERIFY(home.logText().contains(QStringLiteral("SaveData,模块:frmMain")));
        QVERIFY(home.logText().endsWith(" And Clerk_UserName='" + db.staff()[0][3] + "'\r\r\n" +
                                        QString(79, u'=') + "\r\n"));
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
        db.addNames({QStringLiteral("Anna")});
        // Megabytes already in the file keep the limit above the size of the log entry.
        db.exec(QStringLiteral("Create Table Padding(x)"));
        db.exec(QStringLiteral("Insert Into Padding Values(zeroblob(4194304))"));
        const QList<QStringList> before = db.staff();
        const rlim_t limit = rlim_t(QFileInfo(db.sqliteFile()).size() + 32768);
        const int status = InChild([limit] {
            std::signal(SIGXFSZ, SIG_IGN); // a refused write, not a killed process
            const rlimit fileSize{limit, limit};
            return ::setrlimit(RLIMIT_FSIZE, &fileSize) == 0 ? SaveNewNames(0) : 2;
        });
        QCOMPARE(status, 1);
        QCOMPARE(db.staff(), before);
        QCOMPARE(db.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), "ok");
        QCOMPARE(home.logEntryCount(), 1);
        QVERIFY(home.logText().contains(QStringLiteral("ExcuteSQL,模块:modPublic")));
    }

    // The process is killed at several points of a dialect-0 save of 10,000 rows: afterwards
    // the database holds all of the save or none of it.
    void killedDuringSave_data() { BackendRows(); }
    void killedDuringSave()
    {
        TestHome home;
        DB_FIXTURE(db);
        db.addNames({QStringLiteral("Anna")});
        QElapsedTimer whole;
        whole.start();
        QCOMPARE(InChild([] { return SaveNewNames(0); }), 0);
        const qint64 took = whole.elapsed();
        QCOMPARE(db.count(QStringLiteral("Clerk")), 10001);
        for (const int percent : {10, 40, 70, 95}) {
            db.exec(QStringLiteral("Delete From Clerk Where Clerk_UserName<>'Anna'"));
            const int status = InChild([] { return SaveNewNames(0); },
                                       [&](pid_t child) {
                                           QThread::msleep(took * percent / 100);
                                           ::kill(child, SIGKILL);
                                       });
            QVERIFY(status == 0 || status == 128 + SIGKILL);
            // A server notices the lost client in its own time; what it keeps must not change.
            QTest::qWait(200);
            const int added = db.count(QStringLiteral("Clerk")) - 1;
            QVERIFY2(added == 0 || added == 10000, qPrintable(QString::number(added)));
        }
    }
};

QTEST_GUILESS_MAIN(tst_StaffStore)
#include "tst_staffstore.moc"
