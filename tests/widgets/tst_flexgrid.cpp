// The grid control: rows and text, hidden columns under the user's hands, alignment, dates,
// the current cell and its notifications, cell geometry, colours, and a large load.

#include "FlexGrid.h"
#include "Recordset.h"
#include "Twips.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
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

// A grid of rows x cols filled with "r<row>c<col>" text, shown in a window of its own.
struct ShownGrid
{
    QWidget window;
    FlexGrid *grid = new FlexGrid(&window);
    ShownGrid(int rows, int cols)
    {
        grid->setDataSource(makeRecords(rows, cols));
        grid->setGeometry(30, 40, 400, 240);
        window.resize(500, 320);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
    QPoint cellCenter(int row, int col) const
    {
        return grid->visualRect(grid->model()->index(row - 1, col)).center();
    }
};
} // namespace

class tst_FlexGrid : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void rowsTextAndDataSource()
    {
        FlexGrid grid;
        grid.setDataSource(makeRecords(3, 2));
        QCOMPARE(grid.Rows(), 4);
        QCOMPARE(grid.TextMatrix(0, 1), QStringLiteral("F1"));
        QCOMPARE(grid.TextMatrix(3, 1), QStringLiteral("r2c1"));
        QCOMPARE(grid.TextMatrix(7, 0), QString());
        grid.setDataSource(nullptr);
        QCOMPARE(grid.Rows(), 1);
        QCOMPARE(grid.TextMatrix(0, 1), QStringLiteral("F1")); // the header row stays

        // AddItem splits at tabs; removing rows keeps the current row on a real row.
        grid.setFormatString(QStringLiteral("SN|^Name|>Amount"));
        grid.AddItem(QStringLiteral("1\tone"));
        grid.AddItem();
        grid.AddItem(QStringLiteral("3\tthree\t3\tdropped"));
        QCOMPARE(grid.model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Amount"));
        QCOMPARE(grid.TextMatrix(3, 1), QStringLiteral("three"));
        grid.Select(3, 1);
        grid.RemoveItem(1); // a row above the current one
        QCOMPARE(grid.TextMatrix(grid.Row(), 1), QStringLiteral("three"));
        grid.RemoveItem(2); // the current, bottom row: the row above becomes current
        QCOMPARE(grid.Row(), 1);
        grid.RemoveItem(0); // the header row is not removable
        grid.RemoveItem(1);
        QCOMPARE(grid.Rows(), 1);
        QCOMPARE(grid.Row(), 0);
    }

    void hiddenColumnStaysHiddenUnderUserActions()
    {
        ShownGrid shown(5, 4);
        FlexGrid *grid = shown.grid;
        grid->setColHidden(1, true);
        grid->setColWidth(1, 900); // a width given while hidden does not show the column
        QCOMPARE(grid->ColWidth(1), 0);
        QSignalSpy resized(grid, &FlexGrid::AfterUserResize);
        QSignalSpy moved(grid, &FlexGrid::AfterMoveColumn);
        QHeaderView *header = grid->horizontalHeader();
        QWidget *headerArea = header->viewport();
        const int y = header->height() / 2;

        // Drag the edge where the hidden column sits, between columns 0 and 2, to the right.
        const int edge = header->sectionViewportPosition(2);
        const int widthBefore = grid->columnWidth(0);
        QTest::mousePress(headerArea, Qt::LeftButton, {}, QPoint(edge, y));
        QTest::mouseMove(headerArea, QPoint(edge + 30, y));
        QTest::mouseRelease(headerArea, Qt::LeftButton, {}, QPoint(edge + 30, y));
        QCOMPARE(grid->columnWidth(0), widthBefore + 30); // the visible neighbour took the drag
        QCOMPARE(resized.last(), (QList<QVariant>{-1, 0}));
        // Double-click on that edge fits the neighbour, never the hidden column.
        QTest::mouseDClick(headerArea, Qt::LeftButton, {},
                           QPoint(header->sectionViewportPosition(2), y));
        QCOMPARE(grid->columnWidth(1), 0);

        // Drag column 3 in front of column 0.
        const int from = header->sectionViewportPosition(3) + grid->columnWidth(3) / 2;
        QTest::mousePress(headerArea, Qt::LeftButton, {}, QPoint(from, y));
        QTest::mouseMove(headerArea, QPoint(from - 40, y));
        QTest::mouseMove(headerArea, QPoint(2, y));
        QTest::mouseRelease(headerArea, Qt::LeftButton, {}, QPoint(2, y));
        QCOMPARE(moved.size(), 1);
        QCOMPARE(moved.first(), (QList<QVariant>{3, 0}));
        QCOMPARE(grid->TextMatrix(1, 3), QStringLiteral("r0c3")); // cells keep their column
        grid->setDataSource(makeRecords(3, 4));
        QVERIFY(grid->isColumnHidden(1)); // reloading keeps it hidden
    }

    void alignments_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        QTest::newRow("left_center") << 1 << "abc" << int(Qt::AlignLeft | Qt::AlignVCenter);
        QTest::newRow("center_center") << 4 << "abc" << int(Qt::AlignCenter);
        QTest::newRow("right_center") << 7 << "abc" << int(Qt::AlignRight | Qt::AlignVCenter);
        QTest::newRow("general_number") << 9 << "12.5" << int(Qt::AlignRight | Qt::AlignVCenter);
        QTest::newRow("general_text") << 9 << "a12" << int(Qt::AlignLeft | Qt::AlignVCenter);
    }
    void alignments()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        FlexGrid grid;
        grid.setFormatString(QStringLiteral("A|B|C"));
        grid.AddItem(QStringLiteral("x\t") + text);
        grid.setColAlignment(1, code);
        QTEST(grid.model()->index(0, 1).data(Qt::TextAlignmentRole).toInt(), "expected");
        grid.setFixedAlignment(-1, code);
        grid.setFixedAlignment(0, 1);
        QCOMPARE(grid.model()->headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignLeft | Qt::AlignVCenter));
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

    void currentCellSignals()
    {
        ShownGrid shown(6, 4);
        FlexGrid *grid = shown.grid;
        QSignalSpy moved(grid, &FlexGrid::AfterRowColChange);
        QSignalSpy changed(grid, &FlexGrid::RowColChange);
        QSignalSpy clicked(grid, &FlexGrid::Click);
        grid->Select(2, 3);
        grid->setRow(4);
        QCOMPARE(moved.last(), (QList<QVariant>{2, 3, 4, 3}));
        grid->Select(4, 3); // no move, no notification
        QCOMPARE(changed.size(), 2);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, shown.cellCenter(1, 2));
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(moved.last(), (QList<QVariant>{4, 3, 1, 2}));
        grid->setSelectionByRow(true);
        grid->Select(5, 0);
        QVERIFY(grid->selectionModel()->isRowSelected(4, QModelIndex()));
    }

    void keyDown_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("shift");
        QTest::newRow("delete_all")
            << int(Qt::Key_Delete) << int(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)
            << 46 << 7;
        QTest::newRow("letter") << int(Qt::Key_F) << int(Qt::AltModifier) << 70 << 4;
        QTest::newRow("f5") << int(Qt::Key_F5) << 0 << 116 << 0;
        QTest::newRow("keypad_3") << int(Qt::Key_3) << int(Qt::KeypadModifier) << 99 << 0;
    }
    void keyDown()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        FlexGrid grid;
        QSignalSpy keys(&grid, &FlexGrid::KeyDown);
        QTest::keyPress(&grid, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QVERIFY(!keys.isEmpty()); // the modifier keys come first, with codes of their own
        QTEST(keys.last().at(0).toInt(), "code");
        QTEST(keys.last().at(1).toInt(), "shift");
    }

    // The current cell's place, read in twips, is the cell on screen, scrolled into view first;
    // each scroll reports the new top row.
    void cellGeometryAndScrolling()
    {
        ShownGrid shown(200, 12);
        FlexGrid *grid = shown.grid;
        QSignalSpy scrolled(grid, &FlexGrid::AfterScroll);
        for (const auto &[row, col] : {std::pair{3, 2}, std::pair{150, 11}}) {
            grid->Select(row, col);
            const QRect placed(TwipsToPixels(grid->CellLeft()), TwipsToPixels(grid->CellTop()),
                               TwipsToPixels(grid->CellWidth()), grid->rowHeight(row - 1));
            const QRect cell(grid->columnViewportPosition(col), grid->rowViewportPosition(row - 1),
                             grid->columnWidth(col), grid->rowHeight(row - 1));
            QCOMPARE(placed, cell.translated(grid->viewport()->pos()));
            QVERIFY(grid->viewport()->rect().contains(cell));
        }
        QVERIFY(!scrolled.isEmpty());
        QCOMPARE(scrolled.last().at(2).toInt(), grid->rowAt(0) + 1);
        grid->verticalScrollBar()->setValue(0);
        QCOMPARE(scrolled.last().at(2).toInt(), 1);
    }

    void coloursInWindowsLayout()
    {
        ShownGrid shown(6, 2);
        FlexGrid *grid = shown.grid;
        grid->setColWidth(1, 3000);
        grid->setForeColor(255);
        grid->setBackColor(0xFFFFFF);
        grid->setBackColorAlternate(0xC0E0FF);
        grid->setForeColorFixed(0xFF0000);
        QCOMPARE(grid->palette().color(QPalette::Text), QColor(Qt::red));
        QCOMPARE(grid->ForeColorFixed(), 0xFF0000);
        QCOMPARE(grid->model()->headerData(0, Qt::Horizontal, Qt::ForegroundRole).value<QBrush>(),
                 QBrush(Qt::blue));
        // Rows alternate on screen, and the current row is marked in every column.
        grid->Select(3, 0);
        const QImage image = grid->viewport()->grab().toImage();
        const auto pixel = [&](int row) {
            const QRect cell = grid->visualRect(grid->model()->index(row, 1));
            return image.pixelColor(cell.right() - 4, cell.center().y());
        };
        QCOMPARE(pixel(0), QColor(Qt::white));
        QCOMPARE(pixel(1), QColor(0xFF, 0xE0, 0xC0));
        QVERIFY(pixel(2) != QColor(Qt::white));
    }

    void largeLoadUsesNoCellWidgets()
    {
        FlexGrid grid;
        grid.resize(600, 400);
        grid.setDataSource(makeRecords(100000, 16));
        QCOMPARE(grid.Rows(), 100001);
        QCOMPARE(grid.TextMatrix(100000, 15), QStringLiteral("r99999c15"));
        QCOMPARE(grid.verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
        QCOMPARE(grid.rowHeight(99999), TwipsToPixels(FlexGrid::RowHeightTwips));
        QVERIFY(grid.viewport()->findChildren<QWidget *>().isEmpty());
    }
};

QTEST_MAIN(tst_FlexGrid)
#include "tst_flexgrid.moc"
