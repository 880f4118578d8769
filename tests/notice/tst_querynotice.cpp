// The notice search: its statement, its controls at opening, and searches driven through the
// window with the notice window following the results, on every database engine.

#include "Clock.h"
#include "frmNotice.h"
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
    frmNotice *notices = frmNotice::instance();
    notices->show();
    Click(notices, "cmdFind");
    frmQueryNotice *search = frmQueryNotice::loadedInstance();
    if (search && !QTest::qWaitForWindowExposed(search))
        qWarning("search window not exposed");
    return search;
}

void SetPublisher(frmQueryNotice *search, const QString &text)
{
    QLineEdit *box = Control<QLineEdit>(search, "txtPublisher");
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    TypeText(box, text);
}

void SetRange(frmQueryNotice *search, QDate from, QDate to)
{
    QTest::mouseClick(Control<QCheckBox>(search, "chkTime"), Qt::LeftButton);
    Control<QDateEdit>(search, "dtpFrom")->setDate(from);
    Control<QDateEdit>(search, "dtpTo")->setDate(to);
}

QString ShownNotice()
{
    return Control<QTextEdit>(frmNotice::instance(), "txtNotice")->toPlainText();
}

// Notices over three days, newest "c3" from carol.
void AddSample(const DbFixture &db)
{
    AddNotice(db, QStringLiteral("2024-03-01 08:00:00"), QStringLiteral("alice"), "a1");
    AddNotice(db, QStringLiteral("2024-03-01 23:59:59"), QStringLiteral("bob"), "b1");
    AddNotice(db, QStringLiteral("2024-03-02 00:00:00"), QStringLiteral("alice"), "a2");
    AddNotice(db, QStringLiteral("2024-03-03 12:00:00"), QStringLiteral("carol"), "c3");
}

} // namespace

class QueryNoticeTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        delete frmQueryNotice::loadedInstance();
        delete frmNotice::loadedInstance();
        SetClock({});
        SettleWindows();
    }

    void statementForms_data()
    {
        QTest::addColumn<QString>("publisher");
        QTest::addColumn<bool>("range");
        QTest::addColumn<int>("dialect");
        QTest::addColumn<QString>("where");
        const QString none;
        QTest::newRow("no_criteria") << "" << false << 0 << none;
        QTest::newRow("blanks_are_empty") << "   " << false << 1 << none;
        QTest::newRow("publisher_trimmed")
            << " ops " << false << 0 << "Notice_Publisher Like '%ops%'";
        QTest::newRow("quote_doubled_wildcards_kept")
            << "o'_%" << false << 0 << "Notice_Publisher Like '%o''_%%'";
        QTest::newRow("dates_quoted_dialect0")
            << "" << true << 0
            << "Notice_DateTime>='2024-02-29 00:00:00' And Notice_DateTime<='2024-03-31 23:59:59'";
        QTest::newRow("dates_hashed_dialect1")
            << "" << true << 1
            << "Notice_DateTime>=#2024-02-29 00:00:00# And Notice_DateTime<=#2024-03-31 23:59:59#";
        QTest::newRow("publisher_and_dates_dialect1")
            << "ops" << true << 1
            << "Notice_Publisher Like '%ops%' And  Notice_DateTime>=#2024-02-29 00:00:00# And "
               "Notice_DateTime<=#2024-03-31 23:59:59#";
    }
    void statementForms()
    {
        QFETCH(QString, publisher);
        QFETCH(bool, range);
        QFETCH(int, dialect);
        QFETCH(QString, where);
        const QString base = QStringLiteral(
            "Select '' as list,Notice_ID,Notice_DateTime,Notice_Publisher From Notice ");
        const QString order = QStringLiteral(" Order By Notice_DateTime Desc");
        QCOMPARE(NoticeQuerySQL(publisher, range, QDate(2024, 2, 29), QDate(2024, 3, 31), dialect),
                 base + (where.isEmpty() ? QString() : QStringLiteral(" Where ") + where) + order);
    }

    void opensNarrowWithOperatorAndLastMonth_data() { EngineRows(); }
    void opensNarrowWithOperatorAndLastMonth()
    {
        TestHome home;
        DB_FIXTURE(db);
        StartNoticeSession();
        SetClock([] { return QDateTime(QDate(2024, 3, 31), QTime(9, 30)); });
        frmQueryNotice *search = OpenSearch();
        QVERIFY(search);

        QCOMPARE(search->WidthTwips(), 3615);
        QVERIFY(search->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QLineEdit *publisher = Control<QLineEdit>(search, "txtPublisher");
        QCOMPARE(publisher->selectedText(), QStringLiteral("ops"));
        QDateEdit *from = Control<QDateEdit>(search, "dtpFrom");
        QDateEdit *to = Control<QDateEdit>(search, "dtpTo");
        QCOMPARE(from->date(), QDate(2024, 2, 29)); // clamped to the month's end
        QCOMPARE(to->date(), QDate(2024, 3, 31));
        QVERIFY(!from->isEnabled() && !to->isEnabled());
        QCOMPARE(Control<QLabel>(search, "lblFrom")->text(), QStringLiteral("From"));
        QCOMPARE(Control<QLabel>(search, "lblTo")->text(), QStringLiteral("To"));

        QTest::mouseClick(Control<QCheckBox>(search, "chkTime"), Qt::LeftButton);
        QVERIFY(from->isEnabled() && to->isEnabled());
        QTest::mouseClick(Control<QCheckBox>(search, "chkTime"), Qt::LeftButton);
        QVERIFY(!from->isEnabled());
        QCOMPARE(from->date(), QDate(2024, 2, 29));

        QTest::keyClick(publisher, Qt::Key_Escape);
        SettleWindows();
        QCOMPARE(frmQueryNotice::loadedInstance(), nullptr);
    }

    void severalMatchesWidenAndFollowRow_data()
    {
        AddEngineColumn();
        QTest::addColumn<QString>("publisher");
        QTest::addColumn<QStringList>("listed");
        for (const QString &engine : TestEngines()) {
            AddEngineRow(QStringLiteral("no_criteria_lists_all"), engine)
                << "" << QStringList{"c3", "a2", "b1", "a1"};
            AddEngineRow(QStringLiteral("blank_publisher_counts_as_empty"), engine)
                << "   " << QStringList{"c3", "a2", "b1", "a1"};
            AddEngineRow(QStringLiteral("part_of_name"), engine)
                << "lic" << QStringList{"a2", "a1"};
        }
    }
    void severalMatchesWidenAndFollowRow()
    {
        QFETCH(QString, publisher);
        QFETCH(QStringList, listed);
        TestHome home;
        DB_FIXTURE(db);
        StartNoticeSession();
        AddSample(db);
        frmQueryNotice *search = OpenSearch();
        SetPublisher(search, publisher);
        Click(search, "cmdQuery");

        QCOMPARE(search->WidthTwips(), 6405);
        FlexGrid *grid = Grid(search);
        QCOMPARE(grid->Rows(), int(listed.size()) + 1);
        for (int r = 1; r < grid->Rows(); ++r) {
            QCOMPARE(grid->TextMatrix(r, 0), QString::number(r));
            QCOMPARE(grid->TextMatrix(r, 1), NoticeId(db, listed[r - 1]));
        }
        QCOMPARE(ShownNotice(), listed[0]);

        grid->setFocus();
        grid->Select(1, 2);
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(ShownNotice(), listed[1]);
        Control<QTextEdit>(frmNotice::instance(), "txtNotice")->setPlainText(QStringLiteral("x"));
        QTest::keyClick(grid, Qt::Key_Right); // same row: nothing handed over
        QCOMPARE(ShownNotice(), QStringLiteral("x"));
        QVERIFY(frmQueryNotice::loadedInstance());
    }

    void oneMatchSelectsAndCloses_data() { EngineRows(); }
    void oneMatchSelectsAndCloses()
    {
        TestHome home;
        DB_FIXTURE(db);
        StartNoticeSession();
        AddSample(db);
        frmQueryNotice *search = OpenSearch();
        SetPublisher(search, QStringLiteral("bob"));
        Click(search, "cmdQuery");
        SettleWindows();

        QCOMPARE(frmQueryNotice::loadedInstance(), nullptr);
        QCOMPARE(ShownNotice(), QStringLiteral("b1"));
        FlexGrid *notices = Grid(frmNotice::instance());
        QCOMPARE(notices->TextMatrix(notices->Row(), 1), NoticeId(db, QStringLiteral("b1")));
    }

    void dateRangeCoversWholeDays_data()
    {
        AddEngineColumn();
        QTest::addColumn<int>("dialect");
        for (const QString &engine : TestEngines()) {
            AddEngineRow(QStringLiteral("dialect0"), engine) << 0;
            AddEngineRow(QStringLiteral("dialect1"), engine) << 1;
        }
    }
    void dateRangeCoversWholeDays()
    {
        QFETCH(int, dialect);
        TestHome home;
        DB_FIXTURE(db);
        StartNoticeSession();
        gintDBType = qint16(dialect);
        AddSample(db);
        frmQueryNotice *search = OpenSearch();
        SetPublisher(search, QString());
        SetRange(search, QDate(2024, 3, 1), QDate(2024, 3, 2));
        Click(search, "cmdQuery");

        FlexGrid *grid = Grid(search);
        QCOMPARE(grid->Rows(), 4);
        QCOMPARE(grid->TextMatrix(1, 1), NoticeId(db, QStringLiteral("a2")));
        QCOMPARE(grid->TextMatrix(3, 1), NoticeId(db, QStringLiteral("a1")));
        QCOMPARE(home.logEntryCount(), 0);
    }

    void noMatchStaysNarrowAndOpen_data()
    {
        AddEngineColumn();
        QTest::addColumn<QString>("publisher");
        QTest::addColumn<bool>("reversedRange");
        for (const QString &engine : TestEngines()) {
            AddEngineRow(QStringLiteral("from_after_to"), engine) << "" << true;
            AddEngineRow(QStringLiteral("quote_in_publisher"), engine) << "x' Or '1'='1" << false;
        }
    }
    void noMatchStaysNarrowAndOpen()
    {
        QFETCH(QString, publisher);
        QFETCH(bool, reversedRange);
        TestHome home;
        DB_FIXTURE(db);
        StartNoticeSession();
        AddSample(db);
        frmQueryNotice *search = OpenSearch();
        SetPublisher(search, publisher);
        if (reversedRange)
            SetRange(search, QDate(2024, 3, 3), QDate(2024, 3, 1));
        const QString shownBefore = ShownNotice();
        Click(search, "cmdQuery");
        SettleWindows();

        QCOMPARE(frmQueryNotice::loadedInstance(), search);
        QCOMPARE(search->WidthTwips(), 3615);
        QCOMPARE(Grid(search)->Rows(), 1);
        QCOMPARE(ShownNotice(), shownBefore);
        QCOMPARE(db.count(QStringLiteral("Notice")), 4);
        QCOMPARE(home.logEntryCount(), 0); // the quote did not break the statement
    }
};

QTEST_MAIN(QueryNoticeTest)
#include "tst_querynotice.moc"
