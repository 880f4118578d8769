// The notice search: its statement, its controls at opening, and searches driven through the
// window with the notice window following the results, on every database engine.

#include "Clock.h"
#include "frmQueryNotice.h"
#include "NoticeQuery.h"
#include "NoticeTestSupport.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

namespace {

frmQueryNotice *OpenSearch()
{
    Click(OpenNoticeWindow(), "cmdFind");
    frmQueryNotice *search = frmQueryNotice::loadedInstance();
    if (search && !QTest::qWaitForWindowExposed(search))
        qWarning("search window not exposed");
    return search;
}

} // namespace

class QueryNoticeTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { CloseNoticeWindows(); }

    // The rows below run these; only the statement shows how the dialects write the bounds.
    void dateBoundsPerDialect()
    {
        const QString head = QStringLiteral(
            "Select '' as list,Notice_ID,Notice_DateTime,Notice_Publisher From Notice  Where ");
        const QString tail = QStringLiteral(" Order By Notice_DateTime Desc");
        const QDate from(2024, 2, 29), to(2024, 3, 31);
        QCOMPARE(NoticeQuerySQL(QString(), true, from, to, 0),
                 head +
                     "Notice_DateTime>='2024-02-29 00:00:00' And "
                     "Notice_DateTime<='2024-03-31 23:59:59'" +
                     tail);
        QCOMPARE(NoticeQuerySQL(QStringLiteral("ops"), true, from, to, 1),
                 head +
                     "Notice_Publisher Like '%ops%' And  Notice_DateTime>=#2024-02-29 00:00:00# "
                     "And Notice_DateTime<=#2024-03-31 23:59:59#" +
                     tail);
    }

    // The search opens narrow. Several matches widen it and the notice window follows its row;
    // one match is selected in the notice window and the search closes; none leaves it as it was.
    void search_data()
    {
        AddEngineColumn();
        QTest::addColumn<QString>("publisher");
        QTest::addColumn<QDate>("from"); // no range when null
        QTest::addColumn<QDate>("to");
        QTest::addColumn<int>("dialect");
        QTest::addColumn<QStringList>("listed");
        const QStringList all{"c3", "a2", "b1", "a1"};
        const QDate none, first(2024, 3, 1), second(2024, 3, 2), third(2024, 3, 3);
        for (const QString &engine : TestEngines()) {
            const auto row = [&](const char *name) -> QTestData & {
                return AddEngineRow(QLatin1String(name), engine);
            };
            row("no_criteria_lists_all") << "" << none << none << 0 << all;
            row("blank_publisher_counts_as_empty") << "   " << none << none << 0 << all;
            row("part_of_name") << "lic" << none << none << 0 << QStringList{"a2", "a1"};
            row("one_match_closes") << "bob" << none << none << 0 << QStringList{"b1"};
            row("whole_days_dialect0")
                << "" << first << second << 0 << QStringList{"a2", "b1", "a1"};
            row("whole_days_dialect1")
                << "" << first << second << 1 << QStringList{"a2", "b1", "a1"};
            row("from_after_to") << "" << third << first << 0 << QStringList();
            row("quote_in_publisher") << "x' Or '1'='1" << none << none << 0 << QStringList();
        }
    }
    void search()
    {
        QFETCH(QString, publisher);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(int, dialect);
        QFETCH(QStringList, listed);
        TestHome home;
        DB_FIXTURE(db);
        StartNoticeSession();
        gintDBType = qint16(dialect);
        AddNotice(db, QStringLiteral("2024-03-01 08:00:00"), QStringLiteral("alice"), "a1");
        AddNotice(db, QStringLiteral("2024-03-01 23:59:59"), QStringLiteral("bob"), "b1");
        AddNotice(db, QStringLiteral("2024-03-02 00:00:00"), QStringLiteral("alice"), "a2");
        AddNotice(db, QStringLiteral("2024-03-03 12:00:00"), QStringLiteral("carol"), "c3");
        SetClock([] { return QDateTime(QDate(2024, 3, 31), QTime(9, 30)); });
        frmQueryNotice *search = OpenSearch();

        // Opening: narrow, on top, the operator selected, dates of the last month, clamped.
        QCOMPARE(search->WidthTwips(), 3615);
        QVERIFY(search->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QLineEdit *box = Control<QLineEdit>(search, "txtPublisher");
        QCOMPARE(box->selectedText(), QStringLiteral("ops"));
        QDateEdit *dtpFrom = Control<QDateEdit>(search, "dtpFrom");
        QCOMPARE(dtpFrom->date(), QDate(2024, 2, 29));
        QCOMPARE(Control<QDateEdit>(search, "dtpTo")->date(), QDate(2024, 3, 31));
        QCOMPARE(Control<QLabel>(search, "lblFrom")->text(), QStringLiteral("From"));
        QCOMPARE(Control<QLabel>(search, "lblTo")->text(), QStringLiteral("To"));
        QVERIFY(!dtpFrom->isEnabled());

        QTest::keyClick(box, Qt::Key_Delete);
        TypeText(box, publisher);
        if (from.isValid()) {
            QTest::mouseClick(Control<QCheckBox>(search, "chkTime"), Qt::LeftButton);
            QVERIFY(dtpFrom->isEnabled());
            dtpFrom->setDate(from);
            Control<QDateEdit>(search, "dtpTo")->setDate(to);
        }
        const QString shownBefore = Text()->toPlainText();
        Click(search, "cmdQuery");
        SettleWindows();
        QCOMPARE(db.count(QStringLiteral("Notice")), 4);
        QCOMPARE(home.logEntryCount(), 0); // no statement broke, quotes included

        if (listed.size() == 1) {
            QCOMPARE(frmQueryNotice::loadedInstance(), nullptr);
            QCOMPARE(Text()->toPlainText(), listed[0]);
            FlexGrid *notices = Grid(frmNotice::instance());
            QCOMPARE(notices->TextMatrix(notices->Row(), 1), NoticeId(db, listed[0]));
            return;
        }
        QCOMPARE(frmQueryNotice::loadedInstance(), search);
        QCOMPARE(search->WidthTwips(), listed.isEmpty() ? 3615 : 6405);
        FlexGrid *grid = Grid(search);
        QCOMPARE(grid->Rows(), int(listed.size()) + 1);
        for (int r = 1; r < grid->Rows(); ++r) {
            QCOMPARE(grid->TextMatrix(r, 0), QString::number(r));
            QCOMPARE(grid->TextMatrix(r, 1), NoticeId(db, listed[r - 1]));
        }
        if (listed.isEmpty()) {
            QCOMPARE(Text()->toPlainText(), shownBefore);
            return;
        }
        QCOMPARE(Text()->toPlainText(), listed[0]);
        grid->setFocus();
        grid->Select(1, 2);
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(Text()->toPlainText(), listed[1]);
        Text()->setPlainText(QStringLiteral("x"));
        QTest::keyClick(grid, Qt::Key_Right); // same row: nothing handed over
        QCOMPARE(Text()->toPlainText(), QStringLiteral("x"));
    }
};

QTEST_MAIN(QueryNoticeTest)
#include "tst_querynotice.moc"
