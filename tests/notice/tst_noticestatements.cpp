// The notice window's statements on every backend: a hostile text stays a mere value in each of
// them, the server's or the client's time goes in, and whole days bound a search.

#include "Database.h"
#include "DbFixture.h"
#include "NoticeQuery.h"
#include "NoticeStatements.h"
#include "Recordset.h"
#include "Session.h"
#include "TestHome.h"
#include "ValueFormat.h"

#include <QTest>

class tst_NoticeStatements : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void hostileText_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("text");
        for (const QString &engine : Backends()) {
            AddBackendRow(QStringLiteral("close_and_delete"), engine)
                << "x'); Delete From Notice; --";
            AddBackendRow(QStringLiteral("or_true"), engine) << "' Or '1'='1";
            AddBackendRow(QStringLiteral("cr_batch"), engine) << "'\rDelete From OnLine\r'";
            AddBackendRow(QStringLiteral("hash_date"), engine) << "#2024-1-1#'); --";
        }
    }
    void hostileText()
    {
        QFETCH(QString, text);
        TestHome home;
        DB_FIXTURE(db);
        db.exec(QStringLiteral("Insert Into OnLine(UserIP) Values('127.0.0.2')"));
        const QDateTime client(QDate(2024, 1, 1), QTime(9, 0));
        QVERIFY(ExcuteSQL(NoticeStatements::Insert(0, text, text, client)));
        QVERIFY(ExcuteSQL(NoticeStatements::Insert(1, text, QStringLiteral("y"), client)));
        const QString id = db.noticeId(QStringLiteral("y"));
        QVERIFY(ExcuteSQL(NoticeStatements::UpdateContent(id, text)));
        QCOMPARE(db.rows(QStringLiteral("Select Notice_Publisher,Notice_Content From Notice")),
                 (QList<QVariantList>{{text, text}, {text, text}}));
        const auto others = GetRecordset(NoticeStatements::OthersOnline(text));
        QVERIFY(others && others->RecordCount() == 1);
        const auto found = GetRecordset(NoticeQuerySQL(text, false, {}, {}, 0));
        QVERIFY(found && found->RecordCount() == 2);
        QVERIFY(ExcuteSQL(NoticeStatements::Delete(id)));
        QCOMPARE(db.count(QStringLiteral("Notice")), 1);
        QCOMPARE(db.count(QStringLiteral("OnLine")), 1);
        QCOMPARE(home.logEntryCount(), 0);
    }

    // Dialect 0 takes the server's clock, dialect 1 the client's; both dialects' search bounds
    // take whole days.
    void timesAndDays_data() { BackendRows(); }
    void timesAndDays()
    {
        TestHome home;
        DB_FIXTURE(db);
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        QVERIFY(ExcuteSQL(NoticeStatements::Insert(0, "ops", "server", QDateTime())));
        const QDateTime after = QDateTime::currentDateTime().addSecs(1);
        const QDateTime server = QDateTime::fromString(
            Nulltostr(db.scalar(QStringLiteral("Select Notice_DateTime From Notice"))),
            u"yyyy-MM-dd HH:mm:ss");
        QVERIFY2(server >= before && server <= after, qPrintable(server.toString()));
        QVERIFY(ExcuteSQL(NoticeStatements::Delete(db.noticeId(QStringLiteral("server")))));
        for (const char *time : {"2024-01-04 23:59:59", "2024-01-05 00:00:00",
                                 "2024-01-06 23:59:59", "2024-01-07 00:00:00"}) {
            const QString text = QLatin1String(time);
            QVERIFY(ExcuteSQL(NoticeStatements::Insert(
                1, "Admin", text, QDateTime::fromString(text, u"yyyy-MM-dd HH:mm:ss"))));
        }
        for (int dialect : {0, 1}) {
            const auto found = GetRecordset(NoticeQuerySQL(
                QStringLiteral("adm"), true, QDate(2024, 1, 5), QDate(2024, 1, 6), dialect));
            QStringList got;
            for (; found && !found->Eof(); found->MoveNext())
                got << Nulltostr(found->Fields(QStringLiteral("Notice_DateTime")));
            QCOMPARE(got, (QStringList{"2024-01-06 23:59:59", "2024-01-05 00:00:00"}));
        }
    }
};

QTEST_GUILESS_MAIN(tst_NoticeStatements)
#include "tst_noticestatements.moc"
