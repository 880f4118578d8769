// The notice search driven through its window, with the notice window following the results.

#include "common/Clock.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "NoticeTestSupport.h"
#include "search/frmQueryNotice.h"
#include "search/NoticeQuery.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QtTest>

namespace {
void AddNotices(const DbFixture &db)
{
    db.addNotice("2024-02-28 09:00:00", "Tom O'Neil", "t0");
    db.addNotice("2024-03-01 08:00:00", "alice", "a1");
    db.addNotice("2024-03-01 23:59:59", "bob", "b1");
    db.addNotice("2024-03-02 23:59:59", "alice", "a2");
    db.addNotice("2024-03-03 12:00:00", "carol", "c3");
}
} // namespace

class tst_QueryNotice : public WindowTestCase
{
    Q_OBJECT

private Q_SLOTS:
    // The statement on every engine: a part of the publisher's name in any case, quotes
    // included; whole days in either dialect's way of writing them; without criteria all, newest
    // first; a range that ends before it begins, none.
    void query_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("publisher");
        QTest::addColumn<QDate>("from"); // no range when null
        QTest::addColumn<QDate>("to");
        QTest::addColumn<int>("dialect");
        QTest::addColumn<QStringList>("listed");
        const QDate none, first(2024, 3, 1), second(2024, 3, 2), third(2024, 3, 3);
        for (const QString &engine : Backends()) {
            AddBackendRow("upper_case_part", engine)
                << "LIC" << none << none << 0 << QStringList{"a2", "a1"};
            AddBackendRow("quote", engine) << "O'N" << none << none << 0 << QStringList{"t0"};
            for (int dialect : {0, 1})
                AddBackendRow(QStringLiteral("whole_days_dialect%1").arg(dialect), engine)
                    << "" << first << second << dialect << QStringList{"a2", "b1", "a1"};
        }
        AddBackendRow("no_criteria", "sqlite")
            << "" << none << none << 0 << QStringList{"c3", "a2", "b1", "a1", "t0"};
        AddBackendRow("from_after_to", "sqlite") << "" << third << first << 0 << QStringList();
    }
    void query()
    {
        QFETCH(QString, publisher);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(int, dialect);
        DB_FIXTURE(db);
        AddNotices(db);
        const QString content = "Select Notice_Content From Notice Where Notice_ID=";
        QStringList found;
        const auto rs =
            GetRecordset(db.connection(), NoticeQuerySQL(publisher, from.isValid(), from, to,
                                                         ToDBType(qint16(dialect)).value()));
        for (; rs && !rs->Eof(); rs->MoveNext())
            found << db.scalar(content + rs->Fields("Notice_ID").toString()).toString();
        QTEST(found, "listed");
        QCOMPARE(home->logEntryCount(), 0);
    }

    // The search opens narrow, on top, with the operator selected and the last month's days.
    // Several matches widen it and the notice window follows its row; one is shown and closes
    // the search; none leaves it as it was. The search goes with the notice window that opened it.
    void searchWindow_data()
    {
        QTest::addColumn<QString>("publisher");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("several") << "alice" << QStringList{"a2", "a1"};
        QTest::newRow("one") << "bob" << QStringList{"b1"};
        QTest::newRow("none") << "nobody" << QStringList();
    }
    void searchWindow()
    {
        QFETCH(QString, publisher);
        QFETCH(QStringList, listed);
        DbFixture db;
        StartNoticeSession(db);
        AddNotices(db);
        SetClock([] { return QDateTime(QDate(2024, 3, 31), QTime(9, 30)); });
        Click(OpenNoticeWindow(), "cmdFind");
        frmQueryNotice *search = frmQueryNotice::loadedInstance();
        SetClock({});
        // Opening: on top, the operator selected, dates of the last month, clamped.
        QVERIFY(search->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        auto *box = Find<QLineEdit>(search, "txtPublisher");
        QCOMPARE(box->selectedText(), "ops");
        auto *dtpFrom = Find<QDateEdit>(search, "dtpFrom");
        auto *dtpTo = Find<QDateEdit>(search, "dtpTo");
        QCOMPARE(dtpFrom->date(), QDate(2024, 2, 29));
        QCOMPARE(dtpTo->date(), QDate(2024, 3, 31));
        QVERIFY(!dtpFrom->isEnabled());

        QTest::keyClick(box, Qt::Key_Delete);
        TypeText(box, publisher);
        if (!listed.isEmpty()) { // the days 2024-03-01 and 2024-03-02
            Click(search, "chkTime");
            QVERIFY(dtpFrom->isEnabled());
            dtpFrom->setDate(QDate(2024, 3, 1));
            dtpTo->setDate(QDate(2024, 3, 2));
        }
        const QString shownBefore = Text()->toPlainText();
        Click(search, "cmdQuery");
        SettleWindows();
        QCOMPARE(home->logEntryCount(), 0);
        if (listed.size() == 1) {
            QCOMPARE(Text()->toPlainText(), listed[0]);
            QVERIFY(!frmQueryNotice::loadedInstance());
            return;
        }
        QCOMPARE(search->WidthTwips(), listed.isEmpty() ? 3615 : 6405);
        FlexGrid *grid = Grid(search);
        QCOMPARE(grid->Rows(), int(listed.size()) + 1);
        for (int r = 1; r < grid->Rows(); ++r) {
            QCOMPARE(grid->TextMatrix(r, 0), QString::number(r));
            QCOMPARE(grid->TextMatrix(r, 1), db.noticeId(listed[r - 1]));
        }
        QCOMPARE(Text()->toPlainText(), listed.value(0, shownBefore));
        if (listed.isEmpty()) {
            delete frmNotice::loadedInstance();
            SettleWindows();
            QCOMPARE(frmQueryNotice::loadedInstance(), nullptr);
            return;
        }
        grid->setFocus();
        grid->Select(1, 2);
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(Text()->toPlainText(), listed[1]);
        Text()->setPlainText("x");
        QTest::keyClick(grid, Qt::Key_Right); // same row: nothing handed over
        QCOMPARE(Text()->toPlainText(), "x");
    }
};

QTEST_MAIN(tst_QueryNotice)
#include "tst_querynotice.moc"
