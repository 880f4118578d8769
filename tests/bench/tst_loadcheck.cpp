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
    void rowToken_data();
    void rowToken();
    void staff_data();
    void staff();
    void notices_data();
    void notices();
};

void tst_LoadCheck::rowToken_data()
{
    QTest::addColumn<StaffRow>("row");
    QTest::addColumn<QString>("token");
    QTest::newRow("whole") << WholeRow(QStringLiteral("7"), QStringLiteral("c3s12"))
                           << QStringLiteral("c3s12");
    StaffRow torn = WholeRow(QStringLiteral("7"), QStringLiteral("c3s12"));
    torn.fields[9] = FieldValue(QStringLiteral("c4s2"), QStringLiteral("7"), 9);
    QTest::newRow("torn_by_other_save") << torn << QString();
    QTest::newRow("other_rows_values")
        << StaffRow{QStringLiteral("7"),
                    WholeRow(QStringLiteral("8"), QStringLiteral("c3s12")).fields}
        << QString();
    QTest::newRow("seed_values") << StaffRow{QStringLiteral("1"),
                                             QStringList(14, QStringLiteral("User Name 1"))}
                                 << QString();
}

void tst_LoadCheck::rowToken()
{
    QFETCH(StaffRow, row);
    QFETCH(QString, token);
    QCOMPARE(RowToken(row.key, row.fields), token);
}

void tst_LoadCheck::staff_data()
{
    QTest::addColumn<QList<StaffRow>>("rows");
    QTest::addColumn<int>("problems");
    // The saves of staff(): a 1000..1500 ms, b 1200..1800 ms, c 1600..1700 ms.
    const QString a = QStringLiteral("c0s1");
    const QString b = QStringLiteral("c1s1");
    const QString c = QStringLiteral("c2s1");
    QTest::newRow("last_writer_everywhere")
        << QList<StaffRow>{WholeRow(QStringLiteral("1"), b), WholeRow(QStringLiteral("2"), b)} << 0;
    // b and c overlapped, so either may have committed last, row by row.
    QTest::newRow("overlapping_writers_per_row")
        << QList<StaffRow>{WholeRow(QStringLiteral("1"), c), WholeRow(QStringLiteral("2"), b)} << 0;
    // c began after a was confirmed, so a cannot be the last writer.
    QTest::newRow("overwritten_writer_kept")
        << QList<StaffRow>{WholeRow(QStringLiteral("1"), a), WholeRow(QStringLiteral("2"), c)} << 1;
    StaffRow torn = WholeRow(QStringLiteral("2"), b);
    torn.fields[13] = FieldValue(c, QStringLiteral("2"), 13);
    QTest::newRow("torn_row") << QList<StaffRow>{WholeRow(QStringLiteral("1"), c), torn} << 1;
    QTest::newRow("unconfirmed_token")
        << QList<StaffRow>{WholeRow(QStringLiteral("1"), QStringLiteral("c9s9"))} << 1;
}

void tst_LoadCheck::staff()
{
    QFETCH(QList<StaffRow>, rows);
    QFETCH(int, problems);
    const std::vector<Save> saves{{QStringLiteral("c0s1"), 1000, 1500},
                                  {QStringLiteral("c1s1"), 1200, 1800},
                                  {QStringLiteral("c2s1"), 1600, 1700}};
    QCOMPARE(CheckStaff(rows, saves).size(), problems);
}

void tst_LoadCheck::notices_data()
{
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QStringList>("confirmed");
    QTest::addColumn<int>("problems");
    const QStringList both{QStringLiteral("n1"), QStringLiteral("n2")};
    QTest::newRow("all_once") << both << both << 0;
    QTest::newRow("stored_twice") << (both + QStringList{QStringLiteral("n2")}) << both << 1;
    QTest::newRow("lost") << QStringList{QStringLiteral("n1")} << both << 1;
    QTest::newRow("never_confirmed") << (both + QStringList{QStringLiteral("n3")}) << both << 1;
}

void tst_LoadCheck::notices()
{
    QFETCH(QStringList, stored);
    QFETCH(QStringList, confirmed);
    QFETCH(int, problems);
    QCOMPARE(CheckNotices(stored, confirmed).size(), problems);
}

QTEST_APPLESS_MAIN(tst_LoadCheck)
#include "tst_loadcheck.moc"
