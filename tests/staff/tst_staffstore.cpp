// How the staff directory is written: the statement text of each row, and the store that runs
// them on every backend, as a batch (dialect 0) or a call per row (dialect 1), and deletes.

#include "common/ArdentaError.h"
#include "common/Session.h"
#include "db/ConnectionPool.h"
#include "db/Database.h"
#include "DbFixture.h"
#include "staff/StaffStatements.h"
#include "staff/StaffStore.h"
#include "TestHome.h"

#include <csignal>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTest>
#include <QThread>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using Kind = StaffStatements::RowKind;
Q_DECLARE_METATYPE(Kind)

namespace {
// A grid row: the key, then the fields as far as given.
QStringList Row(const QString &key, const QStringList &fields)
{
    QStringList cells{key};
    cells += fields;
    cells.resize(15);
    return cells;
}

StaffStore::SaveResult Save(StaffStore &store, const QList<QStringList> &grid, int dialect)
{
    return store.Save(
        int(grid.size()), [&grid](int row) { return grid[row]; }, qint16(dialect));
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
    const auto row = [](int r) { return Row("", {"", "", QStringLiteral("N%1").arg(r)}); };
    return store.Save(10000, row, dialect).Saved ? 0 : 1;
}
} // namespace

class tst_StaffStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void appendRow_data()
    {
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("statement"); // "" for a row that adds none
        QTest::newRow("update_whole_row_key_unquoted")
            << Row(" 17 ", {"A-1", " 42 ", "O'Neil", "", "   ", "", "", "", "", "", "", "", "",
                            QStringLiteral("备注")})
            << Kind::Update
            << QStringLiteral("Update Clerk Set Clerk_NO='A-1',Clerk_Ext='42',"
                              "Clerk_UserName='O''Neil',Clerk_Dept=Null,Clerk_Address=Null,"
                              "Clerk_Phone=Null,Clerk_Mobile=Null,Clerk_Email=Null,Clerk_IP=Null,"
                              "Clerk_QQ=Null,Clerk_MSN=Null,Clerk_SKP=Null,Clerk_Computer=Null,"
                              "Clerk_Memo='备注'  Where Clerk_ID=17\r");
        QTest::newRow("insert_names_all_fields")
            << Row("", {"", "", "Anna"}) << Kind::Insert
            << QStringLiteral("Insert Into Clerk(Clerk_NO,Clerk_Ext,Clerk_UserName,Clerk_Dept,"
                              "Clerk_Address,Clerk_Phone,Clerk_Mobile,Clerk_Email,Clerk_IP,"
                              "Clerk_QQ,Clerk_MSN,Clerk_SKP,Clerk_Computer,Clerk_Memo) Values("
                              "Null,Null,'Anna',Null,Null,Null,Null,Null,Null,Null,Null,Null,"
                              "Null,Null)\r");
        QTest::newRow("new_row_blanks_only") << Row("   ", {" ", "  "}) << Kind::Blank << "";
        // A tab is not a blank to the original's trimming.
        QTest::newRow("new_row_tab_only") << Row("", {"\t"}) << Kind::Insert << "*";
        QTest::newRow("key_injection") << Row("1 or 1=1", {"a"}) << Kind::BadKey << "";
        QTest::newRow("key_fullwidth_digit") << Row("１", {}) << Kind::BadKey << "";
        QTest::newRow("key_too_many_digits")
            << Row("1234567890123456789", {}) << Kind::BadKey << "";
    }
    void appendRow()
    {
        QFETCH(QStringList, cells);
        QFETCH(QString, statement);
        QString text = QStringLiteral("before\r");
        QTEST(StaffStatements::AppendRow(text, cells), "kind");
        QVERIFY(text.startsWith(QLatin1String("before\r")));
        if (statement == QLatin1String("*"))
            QCOMPARE(text.count(u'\r'), 2);
        else
            QCOMPARE(text.mid(7), statement);
    }

    // A saved row rewritten with a hostile text, a new row, a blank row and a bad key; saved
    // again, nothing changes. Other dialects write nothing.
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
        const QList<QStringList> grid{Row(before[0][0], {"E1", "", Injection, "研发部"}),
                                      Row(before[1][0], before[1].mid(1)), Row("", {"", "", "Zoe"}),
                                      Row("", {" "}), Row("2 or 1=1", {"", "", "Bad"})};
        StaffStore store;
        const auto result = Save(store, grid, dialect);
        QVERIFY(result.Saved);
        QCOMPARE(result.Reload, dialect != 2);
        QCOMPARE(home.logEntryCount(), 1); // the bad key, and nothing else
        QVERIFY(home.logText().contains(QStringLiteral("Row 5, Clerk_ID=2 or 1=1")));
        if (dialect == 2) {
            QCOMPARE(db.staff(), before);
            return;
        }
        const QList<QStringList> after = db.staff();
        QCOMPARE(after.size(), 3);
        QCOMPARE(after[0].mid(1, 4), (QStringList{"E1", QString(), Injection, "研发部"}));
        QCOMPARE(after[1], before[1]);
        QCOMPARE(after[2][3], QStringLiteral("Zoe"));
        QVERIFY(after[2][1].isNull()); // blank cells are stored as null
        QVERIFY(store.DeleteOne(after[0][0]) && db.staff().size() == 2);
        QCOMPARE(store.LastStatement(), "Delete From Clerk Where Clerk_ID=" + after[0][0]);
        QVERIFY(store.DeleteAll() && db.count(QStringLiteral("Clerk")) == 0);
    }

    // A row the database refuses: dialect 0 keeps none of the batch and logs it whole, in grid
    // order; dialect 1 keeps the rows before it. A database that cannot be reached is logged
    // under the window's routine.
    void failedSave_data() { BackendDialectRows({0, 1}); }
    void failedSave()
    {
        QFETCH(int, dialect);
        TestHome home;
        DB_FIXTURE(db);
        db.addNames({QStringLiteral("Anna"), QStringLiteral("Dan")});
        db.exec(
            db.onPostgreSql()
                ? QStringLiteral("ALTER TABLE Clerk ADD CONSTRAINT Reject CHECK "
                                 "(Clerk_NO IS NULL OR Clerk_NO <> 'REJECT')")
                : QStringLiteral("CREATE TRIGGER Reject BEFORE INSERT ON Clerk WHEN "
                                 "NEW.Clerk_NO = 'REJECT' BEGIN SELECT RAISE(ABORT, 'no'); END"));
        const QList<QStringList> before = db.staff();
        const QList<QStringList> grid{Row(before[0][0], {"", "", "Anna2"}),
                                      Row(before[1][0], {"", "", "Dan2"}),
                                      Row("", {"REJECT", "", "Zoe"})};
        StaffStore store;
        QVERIFY(!Save(store, grid, dialect).Saved);
        QCOMPARE(home.logEntryCount(), 1);
        const QString log = home.logText();
        const qsizetype first = log.indexOf(QLatin1String("Where Clerk_ID=") + before[0][0]);
        const qsizetype second = log.indexOf(QLatin1String("Where Clerk_ID=") + before[1][0]);
        QVERIFY(log.contains(QStringLiteral("ExcuteSQL,模块:modPublic")));
        if (dialect == 0) {
            QVERIFY(first >= 0 && first < second && second < log.indexOf(u"Insert Into Clerk("));
            QCOMPARE(db.staff(), before);
        } else {
            QCOMPARE(first, -1);
            QCOMPARE(db.staff()[1][3], QStringLiteral("Dan2"));
        }

        Session().gstrConnection = QStringLiteral("sqlite:/nonexistent/staff.db");
        QVERIFY(!Save(store, grid.mid(0, 1), dialect).Saved);
        QCOMPARE(home.logEntryCount(), 2);
        QVERIFY(home.logText().contains(QStringLiteral("SaveData,模块:frmMain")));
        QVERIFY(home.logText().endsWith(QLatin1String("Where Clerk_ID=") + before[0][0] +
                                        QStringLiteral("\r\r\n") + QString(79, u'=') + "\r\n"));
    }

    // The disk fills half-way through a save (a file-size limit in a child): the save is rolled
    // back, the file stays sound, one entry is logged.
    void diskFullDuringSave_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::newRow("sqlite") << QStringLiteral("sqlite");
        QTest::newRow("odbc-sqlite") << QStringLiteral("odbc-sqlite");
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
