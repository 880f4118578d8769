// The notice search driven through its window, with the notice window following the results.

#include "Clock.h"
#include "DbFixture.h"
#include "frmQueryNotice.h"
#include "NoticeQuery.h"
#include "NoticeTestSupport.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

class tst_QueryNotice : public WindowTestCase
{
    Q_OBJECT

private Q_SLOTS:
    // Only the statement shows how the dialects write the bounds.
    void statementPerDialect()
    {
        const QString head = QStringLiteral(
            "Select '' as list,Notice_ID,Notice_DateTime,Notice_Publisher From Notice  Where ");
        const QString tail = QStringLiteral(" Order By Notice_DateTime Desc");
        const QDate from(2024, 2, 29), to(2024, 3, 31);
        QCOMPARE(NoticeQuerySQL(QStringLiteral(" it's "), true, from, to, 0),
                 head +
                     "Notice_Publisher Like '%it''s%' And  Notice_DateTime>='2024-02-29 00:00:00' "
                     "And Notice_DateTime<='2024-03-31 23:59:59'" +
                     tail);
        QCOMPARE(NoticeQuerySQL(QStringLiteral("ops"), true, from, to, 1),
                 head +
                     "Notice_Publisher Like '%ops%' And  Notice_DateTime>=#2024-02-29 00:00:00# "
                     "And Notice_DateTime<=#2024-03-31 23:59:59#" +
                     tail);
    }

    // The search opens narrow. Several matches widen it and the notice window follows its row;
    // one match is selected in the notice window and the search closes; none leaves it as it
    // was. The publisher's case and the day bounds of each dialect depend on the backend.
    void search_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("publisher");
        QTest::addColumn<QDate>("from"); // no range when null
        QTest::addColumn<QDate>("to");
        QTest::addColumn<int>("dialect");
        QTest::addColumn<QStringList>("listed");
        const QDate none, first(2024, 3, 1), second(2024, 3, 2), third(2024, 3, 3);
        for (const QString &engine : Backends()) {
            AddBackendRow(QStringLiteral("upper_case_part"), engine)
                << "LIC" << none << none << 0 << QStringList{"a2", "a1"};
            for (int dialect : {0, 1})
                AddBackendRow(QStringLiteral("whole_days_dialect%1").arg(dialect), engine)
                    << "" << first << second << dialect << QStringList{"a2", "b1", "a1"};
        }
        const auto row = [](const char *name) -> QTestData & {
            return QTest::newRow(name) << QStringLiteral("sqlite");
        };
        row("no_criteria_lists_all")
            << "" << none << none << 0 << QStringList{"c3", "a2", "b1", "a1"};
        row("one_match_closes") << "bob" << none << none << 0 << QStringList{"b1"};
        row("from_after_to") << "" << third << first << 0 << QStringList();
    }
    void search()
    {
        QFETCH(QString, publisher);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(int, dialect);
        QFETCH(QStringList, listed);
        DB_FIXTURE(db);
        StartNoticeSession();
        Session().gintDBType = qint16(dialect);
        db.addNotice(QStringLiteral("2024-03-01 08:00:00"), QStringLiteral("alice"), "a1");
        db.addNotice(QStringLiteral("2024-03-01 23:59:59"), QStringLiteral("bob"), "b1");
        db.addNotice(QStringLiteral("2024-03-02 00:00:00"), QStringLiteral("alice"), "a2");
        db.addNotice(QStringLiteral("2024-03-03 12:00:00"), QStringLiteral("carol"), "c3");
        SetClock([] { return QDateTime(QDate(2024, 3, 31), QTime(9, 30)); });
        Click(OpenNoticeWindow(), "cmdFind");
        frmQueryNotice *search = frmQueryNotice::loadedInstance();
        SetClock({});

        // Opening: narrow, on top, the operator selected, dates of the last month, clamped.
        QCOMPARE(search->WidthTwips(), 3615);
        QVERIFY(search->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        auto *box = Find<QLineEdit>(search, "txtPublisher");
        QCOMPARE(box->selectedText(), QStringLiteral("ops"));
        auto *dtpFrom = Find<QDateEdit>(search, "dtpFrom");
        auto *dtpTo = Find<QDateEdit>(search, "dtpTo");
        QCOMPARE(dtpFrom->date(), QDate(2024, 2, 29));
        QCOMPARE(dtpTo->date(), QDate(2024, 3, 31));
        QVERIFY(!dtpFrom->isEnabled());

        QTest::keyClick(box, Qt::Key_Delete);
        TypeText(box, publisher);
        if (from.isValid()) {
            Click(search, "chkTime");
            QVERIFY(dtpFrom->isEnabled());
            dtpFrom->setDate(from);
            dtpTo->setDate(to);
        }
        const QString shownBefore = Text()->toPlainText();
        Click(search, "cmdQuery");
        SettleWindows();
        QCOMPARE(home->logEntryCount(), 0);

        if (listed.size() == 1) {
            QCOMPARE(frmQueryNotice::loadedInstance(), nullptr);
            QCOMPARE(Text()->toPlainText(), listed[0]);
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
        if (listed.isEmpty())
            return;
        grid->setFocus();
        grid->Select(1, 2);
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(Text()->toPlainText(), listed[1]);
        Text()->setPlainText(QStringLiteral("x"));
        QTest::keyClick(grid, Qt::Key_Right); // same row: nothing handed over
        QCOMPARE(Text()->toPlainText(), QStringLiteral("x"));
    }

    // A chosen notice reaches a notice window that was closed meanwhile: it loads again.
    void handOverLoadsNoticeWindow()
    {
        DbFixture db;
        Session().gstrConnection = db.connection();
        StartNoticeSession();
        db.addNotice(QStringLiteral("2024-03-01 08:00:00"), QStringLiteral("ops"), "only");
        Click(OpenNoticeWindow(), "cmdFind");
        frmQueryNotice *search = frmQueryNotice::loadedInstance();
        delete frmNotice::loadedInstance();
        Click(search, "cmdQuery");
        QVERIFY(frmNotice::loadedInstance());
        QCOMPARE(Text()->toPlainText(), QStringLiteral("only"));
    }
};

QTEST_MAIN(tst_QueryNotice)
#include "tst_querynotice.moc"
