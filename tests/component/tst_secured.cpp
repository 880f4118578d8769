// A PostgreSQL database secured as an office would secure it, through the host program's
// --init-db --secure and --grant; logins ann and bob (notices), carl (reader) and dave (staff
// editor) are made by the test, and every check runs as one of them, never as a superuser.

#include "db/ConnectionPool.h"
#include "db/ConnectionString.h"
#include "db/Database.h"
#include "DbFixture.h"
#include "notice/frmNotice.h"
#include "staff/frmMain.h"
#include "WindowDriver.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTextEdit>
#include <QtTest>

class tst_Secured : public WindowTestCase
{
    Q_OBJECT
    std::unique_ptr<DbFixture> m_db;
    const QString m_suffix = QStringLiteral("_%1").arg(QCoreApplication::applicationPid());

    QString login(const char *who) const { return QLatin1String(who) + m_suffix; }
    QString as(const char *who) const
    {
        ConnectionSettings settings = ParseConnectionString(m_db->connection());
        settings.userName = login(who);
        return PostgreSqlConnectionString(settings);
    }
    // Rows a statement changed as the login; -1 when the database refused it with an error.
    int sql(const char *who, const QString &statement) const
    {
        int rows = -1;
        WithConnection(as(who), [&](QSqlDatabase &db) {
            QSqlQuery query(db);
            if (query.exec(statement))
                rows = query.numRowsAffected();
        });
        return rows;
    }
    QString m_errors; // of the last ardenta run
    int ardenta(const QStringList &arguments)
    {
        QProcess host;
        host.start(qEnvironmentVariable("ARDENTA_BINARY_DIR") + "/src/host/ardenta", arguments);
        host.waitForFinished(60000);
        m_errors = QString::fromUtf8(host.readAllStandardError());
        return host.exitStatus() == QProcess::NormalExit ? host.exitCode() : -1;
    }
    void session(const char *who, const QString &strOperator)
    {
        StartSession(as(who), strOperator);
    }

private Q_SLOTS:
    // The administrator's steps: securing twice changes nothing, groups by name, and clear
    // refusals for another engine, an unknown group and an unknown login.
    void initTestCase()
    {
        m_db = std::make_unique<DbFixture>("postgresql", false);
        if (m_db->skipped())
            QSKIP(qPrintable(m_db->problem()));
        QVERIFY2(m_db->ready(), qPrintable(m_db->problem()));
        const QString admin = m_db->connection();
        for (const char *who : {"ann", "bob", "carl", "dave"})
            m_db->exec(QStringLiteral("Create Role %1 Login").arg(login(who)));
        for (int i = 0; i < 2; ++i)
            QCOMPARE(ardenta({"--init-db", "--secure", "--connection", admin}), 0);
        for (const auto &[who, group] :
             {std::pair{"ann", "notice"}, {"bob", "notice"}, {"carl", "reader"}, {"dave", "staff"}})
            QCOMPARE(ardenta({"--grant", login(who), group, "--connection", admin}), 0);
        QCOMPARE(ardenta({"--grant", login("ann"), "admin", "--connection", admin}), 2);
        QVERIFY2(m_errors.contains("Unknown group"), qPrintable(m_errors));
        QCOMPARE(ardenta({"--grant", "nobody", "notice", "--connection", admin}), 2);
        QCOMPARE(ardenta({"--init-db", "--secure", "--connection", "sqlite:x.sqlite"}), 2);
        QVERIFY(!QFile::exists("x.sqlite"));
    }

    // Ann cannot change or delete Bob's notice, neither through the module (whose host claims
    // she is Bob: the user sees "Failed!", one entry each) nor with plain SQL, nor publish as
    // him; Bob changes his own.
    void noticesBelongToTheirPublishers()
    {
        const QString bob = login("bob");
        const QString insert =
            "Insert Into Notice(Notice_Publisher,Notice_Content) Values('%1','%2')";
        QCOMPARE(sql("bob", insert.arg(bob, "lunch")), 1);
        QCOMPARE(sql("ann", "Update Notice Set Notice_Content='x'"), 0);
        QCOMPARE(sql("ann", "Delete From Notice"), 0);
        QCOMPARE(sql("ann", insert.arg(bob, "forged")), -1);
        session("ann", bob);
        frmNotice *window = frmNotice::instance();
        QVERIFY(ShowWindow(window));
        user->answerMessage(QMessageBox::Yes);
        user->answerMessage(QMessageBox::Ok);
        Click(window, "cmdDelete");
        Find<QTextEdit>(window, "txtNotice")->setPlainText("changed");
        user->answerMessage(QMessageBox::Ok);
        Click(window, "cmdSave");
        QCOMPARE(user->seenTexts(),
                 (QStringList{"Are You Want To Delete All Records?", "Failed!", "Failed!"}));
        QCOMPARE(home->logEntryCount(), 2);
        QCOMPARE(m_db->scalar("Select Notice_Content From Notice"), "lunch");
        window->close();
        SettleWindows();

        session("bob", bob);
        window = frmNotice::instance();
        Find<QTextEdit>(window, "txtNotice")->setPlainText("lunch at one");
        user->answerMessage(QMessageBox::Ok);
        Click(window, "cmdSave");
        QCOMPARE(m_db->scalar("Select Notice_Content From Notice"), "lunch at one");
    }

    // A reader's save fails and changes nothing; an editor's works.
    void onlyEditorsChangeStaff()
    {
        QCOMPARE(sql("dave", "Insert Into Clerk(Clerk_UserName) Values('Anna')"), 1);
        for (const char *who : {"carl", "dave"}) {
            session(who, login(who));
            frmMain *window = frmMain::instance();
            QVERIFY(ShowWindow(window));
            // A reader cannot read the history: his menu does not offer it.
            bool history = false;
            for (const QAction *a : window->findChildren<QAction *>())
                history = history || (a->text() == u"History\u2026" && a->isVisible());
            QCOMPARE(history, qstrcmp(who, "dave") == 0);
            window->EditCell(1, 4, QLatin1String(who));
            user->answerMessage(QMessageBox::Ok);
            Click(window, "cmdSave");
            if (qstrcmp(who, "carl") == 0)
                user->answerMessage(QMessageBox::Yes); // the change he could not save goes
            window->close();
            SettleWindows();
        }
        QCOMPARE(
            user->seenTexts(),
            (QStringList{"Failed!", "Your changes are not saved. Throw them away?", "Saved!"}));
        QCOMPARE(m_db->scalar("Select Clerk_UserName From Clerk"), "dave");
    }

    // The history names the login, whatever operator the module declares or a program sets;
    // editors read it, and neither they nor readers change, add or delete its rows.
    void historyNamesTheLogin()
    {
        m_db->exec("Insert Into Clerk(Clerk_UserName) Values('Eve')");
        ConnectionPool::DeclareOperator(as("dave"), login("bob"));
        QVERIFY(ExcuteSQL(as("dave"), "Update Clerk Set Clerk_Phone='1' Where "
                                      "Clerk_UserName='Eve'"));
        QCOMPARE(sql("dave", "Update Clerk Set Clerk_Phone=set_config('ardenta.operator','x',"
                             "false) Where Clerk_UserName='Eve'"),
                 1);
        const QString users = "Select string_agg(Coalesce(History_User,'-'), ',' Order By "
                              "History_ID) From Clerk_History Where History_Kind='UPDATE' And "
                              "History_Before Like '%\"Eve\"%'";
        QCOMPARE(m_db->scalar(users).toString(), login("dave") + u',' + login("dave"));
        QVERIFY(sql("dave", "Select History_ID From Clerk_History") > 0);
        QCOMPARE(sql("carl", "Select History_ID From Clerk_History"), -1);
        for (const char *who : {"carl", "dave"})
            for (const char *statement :
                 {"Update Clerk_History Set History_User='x'", "Delete From Clerk_History",
                  "Insert Into Clerk_History(Clerk_ID,History_Kind) Values(1,'DELETE')"})
                QCOMPARE(sql(who, QLatin1String(statement)), -1);
    }

    // The host takes the login for the operator and refuses another name; Ann's host still ages
    // out the row of Bob's crashed machine, but leaves his live one alone.
    void hostWorksAsTheLogin()
    {
        QCOMPARE(ardenta({"--connection", as("ann"), "--operator", login("bob")}), 2);
        QVERIFY2(m_errors.contains("logged in as"), qPrintable(m_errors));
        const QString row = "Insert Into OnLine(UserIP,UserName,LastSeen) "
                            "Values('%1','%2',LOCALTIMESTAMP - interval '%3')";
        QCOMPARE(sql("bob", row.arg("127.0.0.9", login("bob"), "10 minutes")), 1);
        QCOMPARE(sql("bob", row.arg("127.0.0.10", login("bob"), "1 second")), 1);
        home->writeSettings(false, "[Presence]\nRefreshSeconds=1\n");
        QProcess host;
        host.start(qEnvironmentVariable("ARDENTA_BINARY_DIR") + "/src/host/ardenta",
                   {"--connection", as("ann"), "--address", "127.0.0.8", "--flag", "1"});
        const QString online = "Select string_agg(UserIP, ',' Order By UserIP) From OnLine";
        QTRY_COMPARE_WITH_TIMEOUT(m_db->scalar(online), "127.0.0.10,127.0.0.8", 20000);
        host.terminate();
        QVERIFY(host.waitForFinished(10000));
        QCOMPARE(home->logEntryCount(), 0);
    }
};

QTEST_MAIN(tst_Secured)
#include "tst_secured.moc"
