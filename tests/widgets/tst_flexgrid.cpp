// The grid control: hidden columns under the user's hands, and values with their date formats.

#include "FlexGrid.h"
#include "Recordset.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QtTest>

namespace {
std::shared_ptr<Recordset> makeRecords(int rows, int cols)
{
    QStringList names;
    for (int c = 0; c < cols; ++c)
        names << QStringLiteral("F%1").arg(c);
    std::vector<QVariant> values;
    values.reserve(size_t(rows) * size_t(cols));
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            values.emplace_back(QStringLiteral("r%1c%2").arg(r).arg(c));
    return std::make_shared<Recordset>(names, std::move(values));
}

} // namespace

class tst_FlexGrid : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The hidden key column stays hidden whatever width it is given, after a reload too, and a
    // drag on its edge moves the visible neighbour's.
    void hiddenColumnStaysHidden()
    {
        QWidget window;
        auto *grid = new FlexGrid(&window);
        grid->setDataSource(makeRecords(5, 4));
        grid->resize(400, 240);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        grid->setColHidden(1, true);
        grid->setColWidth(1, 900);
        QCOMPARE(grid->ColWidth(1), 0);
        QSignalSpy resized(grid, &FlexGrid::AfterUserResize);
        QWidget *headerArea = grid->horizontalHeader()->viewport();
        const QPoint edge(grid->horizontalHeader()->sectionViewportPosition(2), 5);
        const int widthBefore = grid->columnWidth(0);
        QTest::mousePress(headerArea, Qt::LeftButton, {}, edge);
        QTest::mouseMove(headerArea, edge + QPoint(30, 0));
        QTest::mouseRelease(headerArea, Qt::LeftButton, {}, edge + QPoint(30, 0));
        QCOMPARE(grid->columnWidth(0), widthBefore + 30);
        QCOMPARE(resized.last(), (QList<QVariant>{-1, 0}));
        grid->setDataSource(makeRecords(3, 4));
        QVERIFY(grid->isColumnHidden(1));
    }

    // Values of both engines: text, a timestamp, an ISO text; a format shows them as dates.
    void valuesAndDateFormat()
    {
        FlexGrid grid;
        grid.setDataSource(std::make_shared<Recordset>(
            QStringList{QStringLiteral("V")},
            std::vector<QVariant>{QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)),
                                  QStringLiteral("2024-03-06 08:00:00"),
                                  QStringLiteral("2024-03-07T09:30:00.000"), QVariant(0.1 + 0.2),
                                  QVariant(QMetaType(QMetaType::QString))}));
        QCOMPARE(grid.TextMatrix(1, 0), QStringLiteral("2024-03-05 14:07:09"));
        QCOMPARE(grid.TextMatrix(4, 0), QStringLiteral("0.3"));
        grid.setColFormat(0, QStringLiteral("dd.MM.yyyy HH:mm"));
        QStringList shown;
        for (int row = 0; row < 5; ++row)
            shown << grid.model()->index(row, 0).data().toString();
        QCOMPARE(shown, (QStringList{"05.03.2024 14:07", "06.03.2024 08:00", "07.03.2024 09:30",
                                     "0.3", ""}));
        QCOMPARE(grid.TextMatrix(1, 0), QStringLiteral("2024-03-05 14:07:09")); // stored text
    }
};

QTEST_MAIN(tst_FlexGrid)
#include "tst_flexgrid.moc"
