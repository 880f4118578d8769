// The load test's verdict decides whether many users at once lose or mix data, so its checks
// are tried here on rows made to fail them.

#include "LoadCheck.h"

#include <QTest>

using namespace LoadCheck;

Q_DECLARE_METATYPE(StaffRow)

class tst_LoadCheck : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // One row, two fields, first "a" and "x". Writes to field 0: b 1000..1500 ms, c 1200..1800,
    // d 1600..1700 (begun after b's confirmation); to field 1: y 1000..1100 and z 1300..1400.
    void cells_data()
    {
        QTest::addColumn<StaffRow>("final");
        QTest::addColumn<int>("problems");
        QTest::newRow("last_confirmed_kept") << StaffRow{"1", {"d", "z"}} << 0;
        // c and d overlapped, so either may have committed last.
        QTest::newRow("overlapping_writers") << StaffRow{"1", {"c", "z"}} << 0;
        QTest::newRow("overwritten_write_kept") << StaffRow{"1", {"b", "z"}} << 1;
        QTest::newRow("never_confirmed") << StaffRow{"1", {"e", "z"}} << 1;
        QTest::newRow("confirmed_writes_lost") << StaffRow{"1", {"a", "z"}} << 1;
    }
    // b and a write that never saw it both replaced the initial value: a lost update, though
    // the cell ends with a confirmed write.
    void lostUpdate()
    {
        const std::vector<CellWrite> writes{{"1", 0, "b", 1000, 1100, 0, 0, "a"},
                                            {"1", 0, "c", 1200, 1300, 0, 1, "a"}};
        QCOMPARE(CheckCells({StaffRow{"1", {"a"}}}, {StaffRow{"1", {"c"}}}, writes).size(), 1);
    }
    void cells()
    {
        QFETCH(StaffRow, final);
        const std::vector<CellWrite> writes{{"1", 0, "b", 1000, 1500, 0, 0, {}},
                                            {"1", 0, "c", 1200, 1800, 0, 2, {}},
                                            {"1", 0, "d", 1600, 1700, 0, 3, {}},
                                            {"1", 1, "y", 1000, 1100, 0, 4, {}},
                                            {"1", 1, "z", 1300, 1400, 900, 1, {}}};
        QTEST(int(CheckCells({StaffRow{"1", {"a", "x"}}}, {final}, writes).size()), "problems");
        // c and d began after y's change of the row's other field was confirmed, and kept it.
        QCOMPARE(Merges(writes), 2);
    }

    void notices()
    {
        const QStringList both{"n1", "n2"};
        QCOMPARE(CheckNotices(both, both).size(), 0);
        QCOMPARE(CheckNotices({"n1", "n2", "n2"}, both).size(), 1); // stored twice
        QCOMPARE(CheckNotices({"n1"}, both).size(), 1);             // lost
        QCOMPARE(CheckNotices({"n1", "n2", "n3"}, both).size(), 1); // never confirmed
    }
};

QTEST_APPLESS_MAIN(tst_LoadCheck)
#include "tst_loadcheck.moc"
