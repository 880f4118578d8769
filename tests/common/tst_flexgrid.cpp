#include "FlexGrid.h"
#include "Recordset.h"
#include "Twips.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
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
};

} // namespace

class tst_FlexGrid : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void rowsTextAndDataSource()
    {
        FlexGrid grid;
        grid.setFormatString(QStringLiteral("SN|ID|^Name|>Amount"));
        QCOMPARE(grid.Cols(), 4);
        QCOMPARE(grid.model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Amount"));
        grid.setRows(5);
        grid.setTextMatrix(4, 3, QStringLiteral("x"));
        grid.setRows(3); // cuts the bottom rows
        QCOMPARE(grid.model()->rowCount(), 2);
        grid.setRows(5);
        QCOMPARE(grid.TextMatrix(4, 3), QString()); // grown rows are empty
        QCOMPARE(grid.TextMatrix(7, 0), QString());

        grid.setDataSource(makeRecords(3, 2));
        QCOMPARE(grid.Rows(), 4);
        QCOMPARE(grid.TextMatrix(0, 1), QStringLiteral("F1"));
        QCOMPARE(grid.TextMatrix(3, 1), QStringLiteral("r2c1"));
        grid.setDataSource(nullptr);
        QCOMPARE(grid.Rows(), 1);
        QCOMPARE(grid.TextMatrix(0, 1), QStringLiteral("F1")); // the header row stays

        // AddItem splits at tabs; removing rows keeps the current row on a real row.
        grid.AddItem(QStringLiteral("1\tone"));
        grid.AddItem();
        grid.AddItem(QStringLiteral("3\tthree\tdropped"));
        QCOMPARE(grid.Rows(), 4);
        QCOMPARE(grid.TextMatrix(3, 1), QStringLiteral("three"));
        grid.Select(3, 1);
        grid.RemoveItem(1); // a row above the current one
        QCOMPARE(grid.Row(), 2);
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
        grid->setColWidth(0, 600);
        QCOMPARE(grid->columnWidth(0), TwipsToPixels(600));
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
        QVERIFY(grid->isColumnHidden(1));
        QCOMPARE(grid->columnWidth(0), widthBefore + 30); // the visible neighbour took the drag
        QVERIFY(!resized.isEmpty());
        QCOMPARE(resized.last(), (QList<QVariant>{-1, 0}));

        // Double-click on that edge fits the neighbour to its text, never the hidden column.
        const int newEdge = header->sectionViewportPosition(2);
        QTest::mouseDClick(headerArea, Qt::LeftButton, {}, QPoint(newEdge, y));
        QVERIFY(grid->isColumnHidden(1));
        QCOMPARE(grid->columnWidth(1), 0);

        // Drag column 3 in front of column 0.
        const int from = header->sectionViewportPosition(3) + grid->columnWidth(3) / 2;
        QTest::mousePress(headerArea, Qt::LeftButton, {}, QPoint(from, y));
        QTest::mouseMove(headerArea, QPoint(from - 40, y));
        QTest::mouseMove(headerArea, QPoint(2, y));
        QTest::mouseRelease(headerArea, Qt::LeftButton, {}, QPoint(2, y));
        QCOMPARE(header->visualIndex(3), 0);
        QCOMPARE(moved.size(), 1);
        QCOMPARE(moved.first(), (QList<QVariant>{3, 0}));
        QVERIFY(grid->isColumnHidden(1));
        QCOMPARE(grid->TextMatrix(1, 3), QStringLiteral("r0c3")); // cells keep their column

        // Reloading keeps the column hidden too.
        grid->setDataSource(makeRecords(3, 4));
        QVERIFY(grid->isColumnHidden(1));
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
        QFETCH(int, expected);
        FlexGrid grid;
        grid.setFormatString(QStringLiteral("A|B|C"));
        grid.AddItem(QStringLiteral("x\t") + text);
        grid.setColAlignment(1, code);
        QCOMPARE(grid.model()->index(0, 1).data(Qt::TextAlignmentRole).toInt(), expected);

        grid.setFixedAlignment(-1, code);
        grid.setFixedAlignment(0, 1);
        QCOMPARE(grid.model()->headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignLeft | Qt::AlignVCenter));
        if (code != 9) // general alignment depends on the header text
            QCOMPARE(grid.model()->headerData(2, Qt::Horizontal, Qt::TextAlignmentRole).toInt(),
                     expected);
    }

    void dataSourceValues_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("null_is_empty") << QVariant(QMetaType(QMetaType::QString)) << "";
        QTest::newRow("text_untouched") << QVariant(QStringLiteral(" a b ")) << " a b ";
        QTest::newRow("timestamp_general_form")
            << QVariant(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9))) << "2024-03-05 14:07:09";
        QTest::newRow("date_short_form") << QVariant(QDate(2024, 3, 5)) << "2024-03-05";
        QTest::newRow("integer") << QVariant(qlonglong(12345678901)) << "12345678901";
        QTest::newRow("double_plain") << QVariant(0.1 + 0.2) << "0.3";
    }
    void dataSourceValues()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, shown);
        FlexGrid grid;
        grid.setDataSource(std::make_shared<Recordset>(QStringList{QStringLiteral("Value")},
                                                       std::vector<QVariant>{value}));
        QCOMPARE(grid.TextMatrix(1, 0), shown);
    }

    void colFormatShowsDatesOfBothEngines()
    {
        FlexGrid grid;
        grid.setDataSource(std::make_shared<Recordset>(
            QStringList{QStringLiteral("Notice_DateTime")},
            std::vector<QVariant>{QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)),
                                  QStringLiteral("2024-03-06 08:00:00"),
                                  QStringLiteral("2024-03-07T09:30:00.000"),
                                  QStringLiteral("not a date"), QVariant()}));
        grid.setColFormat(0, QStringLiteral("dd.MM.yyyy HH:mm"));
        QStringList shown;
        for (int row = 0; row < 5; ++row)
            shown << grid.model()->index(row, 0).data().toString();
        QCOMPARE(shown, (QStringList{"05.03.2024 14:07", "06.03.2024 08:00", "07.03.2024 09:30",
                                     "not a date", ""}));
        QCOMPARE(grid.TextMatrix(1, 0), QStringLiteral("2024-03-05 14:07:09")); // stored text
    }

    void currentCellSignals()
    {
        ShownGrid shown(6, 4);
        FlexGrid *grid = shown.grid;
        QSignalSpy moved(grid, &FlexGrid::AfterRowColChange);
        QSignalSpy changed(grid, &FlexGrid::RowColChange);
        QSignalSpy clicked(grid, &FlexGrid::Click);

        const QList<QVariant> before{grid->Row(), grid->Col()};
        grid->Select(2, 3);
        QCOMPARE(moved.takeFirst(), (before + QList<QVariant>{2, 3}));
        grid->setRow(4);
        QCOMPARE(moved.takeFirst(), (QList<QVariant>{2, 3, 4, 3}));
        QCOMPARE(grid->Col(), 3);
        grid->Select(4, 3); // no move, no notification
        QVERIFY(moved.isEmpty());
        QCOMPARE(changed.size(), 2);

        const QRect cell = grid->visualRect(grid->model()->index(0, 2));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(moved.takeFirst(), (QList<QVariant>{4, 3, 1, 2}));

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
        QTest::newRow("return") << int(Qt::Key_Return) << 0 << 13 << 0;
        QTest::newRow("letter") << int(Qt::Key_F) << int(Qt::AltModifier) << 70 << 4;
        QTest::newRow("f5") << int(Qt::Key_F5) << 0 << 116 << 0;
        QTest::newRow("keypad_3") << int(Qt::Key_3) << int(Qt::KeypadModifier) << 99 << 0;
    }
    void keyDown()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, code);
        QFETCH(int, shift);
        FlexGrid grid;
        QSignalSpy keys(&grid, &FlexGrid::KeyDown);
        QTest::keyPress(&grid, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QVERIFY(!keys.isEmpty()); // the modifier keys come first, with codes of their own
        QCOMPARE(keys.last(), (QList<QVariant>{code, shift}));
    }

    // The editor placed from Cell* covers exactly the cell, also after scrolling it into view;
    // each scroll reports the new top row and left column.
    void cellGeometryAndScrolling()
    {
        ShownGrid shown(200, 12);
        FlexGrid *grid = shown.grid;
        grid->setColHidden(1, true);
        QSignalSpy scrolled(grid, &FlexGrid::AfterScroll);
        auto *editor = new QLineEdit(&shown.window);
        for (const auto &[row, col] : {std::pair{3, 2}, std::pair{150, 11}}) {
            grid->Select(row, col);
            editor->setGeometry(grid->x() + TwipsToPixels(grid->CellLeft()),
                                grid->y() + TwipsToPixels(grid->CellTop()),
                                TwipsToPixels(grid->CellWidth()),
                                TwipsToPixels(grid->CellHeight()));
            const QRect cell(grid->columnViewportPosition(col), grid->rowViewportPosition(row - 1),
                             grid->columnWidth(col), grid->rowHeight(row - 1));
            const QRect covered(grid->viewport()->mapFrom(&shown.window, editor->pos()),
                                editor->size());
            QCOMPARE(covered, cell);
            QVERIFY(grid->viewport()->rect().contains(cell)); // scrolled into view first
            QCOMPARE(grid->cellRect(row, col), editor->geometry().translated(-grid->pos()));
        }
        const int top = grid->rowAt(0) + 1;
        QVERIFY(!scrolled.isEmpty());
        QVERIFY(top > 100 && scrolled.last().at(3).toInt() > 0);
        QCOMPARE(scrolled.first().at(0).toInt(), 1);
        QCOMPARE(scrolled.last().at(2).toInt(), top);
        QVERIFY(grid->cellRect(0, 0).isEmpty()); // scrolled out to the right
        grid->ShowCell(0, 0);
        QCOMPARE(grid->cellRect(0, 0).topLeft(), grid->horizontalHeader()->pos());
        grid->verticalScrollBar()->setValue(0);
        QCOMPARE(scrolled.last().at(0).toInt(), top);
        QCOMPARE(scrolled.last().at(2).toInt(), 1);
        QVERIFY(grid->cellRect(2, 1).isEmpty()); // hidden
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
        QCOMPARE(grid->model()
                     ->headerData(0, Qt::Horizontal, Qt::ForegroundRole)
                     .value<QBrush>()
                     .color(),
                 QColor(Qt::blue));

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
        const auto records = makeRecords(100000, 16);
        FlexGrid grid;
        grid.resize(600, 400);
        QElapsedTimer timer;
        timer.start();
        grid.setDataSource(records);
        qDebug() << "100000 x 16 loaded in" << timer.elapsed() << "ms";
        QCOMPARE(grid.model()->rowCount(), 100000);
        QCOMPARE(grid.Rows(), 100001);
        QCOMPARE(grid.TextMatrix(100000, 15), QStringLiteral("r99999c15"));
        QCOMPARE(grid.verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
        QCOMPARE(grid.rowHeight(99999), TwipsToPixels(FlexGrid::RowHeightTwips));
        QVERIFY(grid.viewport()->findChildren<QWidget *>().isEmpty());
    }
};

QTEST_MAIN(tst_FlexGrid)
#include "tst_flexgrid.moc"
