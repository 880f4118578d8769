// The load test's verdict decides whether many users at once lose or mix data, so its checks
// are tried here on rows made to fail them.

#include "LoadCheck.h"

#include <QTest>

using namespace LoadCheck;

namespace {
StaffRow WholeRow(const QString &key, const QString &token)
{
    StaffRow row{key, {}};
    for (int f = 0; f < 14; ++f)
        row.fields << FieldValue(token, key, f);
    return row;
}
} // namespace

Q_DECLARE_METATYPE(StaffRow)

class tst_LoadCheck : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The saves: a 1000..1500 ms, b 1200..1800 ms, c 1600..1700 ms.
    void staff_data()
    {
        QTest::addColumn<QList<StaffRow>>("rows");
        QTest::addColumn<int>("problems");
        const QString a = QStringLiteral("c0s1"), b = QStringLiteral("c1s1"),
                      c = QStringLiteral("c2s1");
        QTest::newRow("last_writer_everywhere") << QList{WholeRow("1", b), WholeRow("2", b)} << 0;
        // b and c overlapped, so either may have committed last, row by row.
        QTest::newRow("overlapping_writers_per_row")
            << QList{WholeRow("1", c), WholeRow("2", b)} << 0;
        // c began after a was confirmed, so a cannot be the last writer.
        QTest::newRow("overwritten_writer_kept") << QList{WholeRow("1", a), WholeRow("2", c)} << 1;
        StaffRow torn = WholeRow("2", b);
        torn.fields[13] = FieldValue(c, "2", 13);
        QTest::newRow("torn_row") << QList{WholeRow("1", c), torn} << 1;
        QTest::newRow("other_rows_values") << QList{StaffRow{"1", WholeRow("2", b).fields}} << 1;
        QTest::newRow("unconfirmed_token") << QList{WholeRow("1", "c9s9")} << 1;
    }
    void staff()
    {
        QFETCH(QList<StaffRow>, rows);
        const std::vector<Save> saves{
            {"c0s1", 1000, 1500}, {"c1s1", 1200, 1800}, {"c2s1", 1600, 1700}};
        QTEST(int(CheckStaff(rows, saves).size()), "problems");
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
