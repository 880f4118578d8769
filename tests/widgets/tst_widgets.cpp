// The grid and what every window shares. How windows look: configured grid colours, the
// language's fonts, windows kept on the screen, Qt's own texts, the grid's hidden key column and
// date formats, and the box that says the error log could not be written. Copied cells as
// spreadsheets, editors and mail programs exchange them: tab-separated text read and written, the
// HTML table, and where a block goes in a grid and whether it fits.

#include "common/BuiltinLanguagePack.h"
#include "common/CellBlock.h"
#include "common/ErrLog.h"
#include "common/Session.h"
#include "db/Recordset.h"
#include "TestPacks.h"
#include "widgets/Appearance.h"
#include "widgets/FlexGrid.h"
#include "widgets/MsgBox.h"
#include "widgets/PastePlan.h"
#include "widgets/SharedForm.h"
#include "WindowDriver.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QTextDocument>
#include <QTextTable>
#include <QtTest>

Q_DECLARE_METATYPE(CellRows)

namespace {
// "a|b;c" is the rows [a, b] and [c].
CellRows Rows(const QString &text)
{
    CellRows rows;
    for (const QString &row : text.split(u';'))
        rows.push_back(row.split(u'|'));
    return rows;
}

// Three writable columns as the user sees them: Name (at most 5), Phone (no limit), Memo (3).
std::vector<PastePlan::Column> Columns()
{
    return {{2, 5, {"姓名", "Name"}}, {3, 0, {"电话", "Phone"}}, {4, 3, {"备注", "Memo"}}};
}
} // namespace

class tst_widgets : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void setGridColorAppliesOnlyConfigured()
    {
        TestHome home;
        FlexGrid grid;
        const qint32 designBack = grid.BackColor();
        Session().glngGridFontColor = 255; // red in the low byte
        Session().glngGridFixedFontColor = 0xFF0000;
        Session().glngGridAlternate = 0x00C0E0FF;
        SetGridColor(&grid);
        QCOMPARE(grid.palette().color(QPalette::Text), QColor(Qt::red));
        QCOMPARE(grid.palette().color(QPalette::AlternateBase), QColor(0xFF, 0xE0, 0xC0));
        grid.setFormatString("A");
        QCOMPARE(grid.model()->headerData(0, Qt::Horizontal, Qt::ForegroundRole).value<QBrush>(),
                 QBrush(Qt::blue));
        QCOMPARE(grid.BackColor(), designBack);
    }

    // The window and small captions take the language's face and size; captions of 10 points
    // and more keep their size. Without a usable font object one entry is logged per window.
    void formFonts()
    {
        TestHome home;
        QWidget window;
        QFont designFont = window.font();
        designFont.setPointSize(8);
        window.setFont(designFont);
        QList<QLabel *> labels;
        for (int points : {9, 10, 12}) {
            labels << new QLabel("x", &window);
            labels.last()->setObjectName(QStringLiteral("lbl%1").arg(points));
            labels.last()->setFont(QFont("DejaVu Serif", points));
        }
        iniFormFonts(&window);
        QCOMPARE(home.logEntryCount(), 1);
        QVERIFY(home.logText().startsWith("函数/过程:modPubic,模块:\r\n"));
        QCOMPARE(labels[0]->font().family(), "DejaVu Serif");

        Session().gobjFontScheme =
            std::make_shared<FixedFontScheme>("134", "WenQuanYi Micro Hei", 11);
        iniFormFonts(&window);
        QCOMPARE(window.font().pointSize(), 11);
        QList<int> sizes;
        for (QLabel *label : labels) {
            QCOMPARE(label->font().family(), "WenQuanYi Micro Hei");
            sizes << label->font().pointSize();
        }
        QCOMPARE(sizes, (QList<int>{11, 10, 12}));
    }

    // A folder where the log should be, or a log on a full disk.
    void unwritableLogShowsCriticalBox_data()
    {
        QTest::addColumn<bool>("diskFull");
        QTest::newRow("folder_in_the_way") << false;
        QTest::newRow("disk_full") << true;
    }
    void unwritableLogShowsCriticalBox()
    {
        QFETCH(bool, diskFull);
        TestHome home;
        Session().gstrPopupTitle = "Ardenta";
        const QString log = home.file("Errlog.txt");
        QVERIFY(diskFull ? QFile::link("/dev/full", log) : QDir().mkdir(log));
        InstallErrLogBox();
        DialogAnswerer user;
        user.answerMessage(QMessageBox::Ok);
        WriteErrLog("boom", "SaveData", "frmMain");
        user.answerMessage(QMessageBox::Ok); // the caller went on: a second failure, a second box
        WriteErrLog("boom", "SaveData", "frmMain");
        QCOMPARE(user.problems(), QString());
        QCOMPARE(user.seen().front().title, "Ardenta");
        QCOMPARE(user.seen().front().icon, QMessageBox::Critical);
        QCOMPARE(user.seenTexts(),
                 QStringList(2, "Record error log found error,please restart popup!"));
    }

    // A window larger than the screen and placed off it is brought inside; one nobody placed is
    // left to the window manager.
    void windowsFitOnScreen()
    {
        QWidget window;
        const QRect area = window.screen()->availableGeometry();
        window.setMinimumSize(300, 200);
        window.resize(area.width() * 2, area.height() * 2);
        FitOnScreen(&window);
        QVERIFY(window.width() < area.width() && window.height() < area.height());
        QVERIFY(!window.testAttribute(Qt::WA_Moved));
        window.move(area.left() - 100, area.bottom() - 10);
        FitOnScreen(&window);
        QVERIFY(area.contains(QRect(window.pos(), window.size())));
    }

    // The shipped CHS pack brings Qt's own texts in Chinese, ENG takes them away again.
    void qtTextsFollowThePack()
    {
        TestHome home;
        BuiltinLanguagePack pack;
        QStringList yes;
        for (const char *language : {"CHS", "ENG"}) {
            pack.Init(QString(), QLatin1String(language), QVariant());
            QMessageBox box(QMessageBox::Question, "t", "q", QMessageBox::Yes | QMessageBox::No);
            yes << box.button(QMessageBox::Yes)->text();
        }
        QVERIFY2(yes[0].contains(QRegularExpression("\\p{Han}")), qPrintable(yes[0]));
        QCOMPARE(yes[1], "&Yes");
    }

    // Values of both engines: text, a timestamp, an ISO text; a format shows them as dates.
    void valuesAndDateFormat()
    {
        FlexGrid grid;
        grid.setDataSource(std::make_shared<Recordset>(
            QStringList{"V"},
            std::vector<QVariant>{QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)),
                                  "2024-03-06 08:00:00", "2024-03-07T09:30:00.000",
                                  QVariant(0.1 + 0.2), QVariant(QMetaType(QMetaType::QString))}));
        grid.setColFormat(0, "dd.MM.yyyy HH:mm");
        QStringList shown;
        for (int row = 0; row < 5; ++row)
            shown << grid.model()->index(row, 0).data().toString();
        QCOMPARE(shown, (QStringList{"05.03.2024 14:07", "06.03.2024 08:00", "07.03.2024 09:30",
                                     "0.3", ""}));
        QCOMPARE(grid.TextMatrix(1, 0), "2024-03-05 14:07:09"); // stored text
    }

    // The hidden key column stays hidden whatever width it is given, after a reload too, and a
    // drag on its edge moves the visible neighbour's.
    void hiddenColumnStaysHidden()
    {
        const auto records = [](int rows) { // of four text columns
            return std::make_shared<Recordset>(QStringList{"A", "B", "C", "D"},
                                               std::vector<QVariant>(size_t(rows) * 4, "x"));
        };
        QWidget window;
        auto *grid = new FlexGrid(&window);
        grid->setDataSource(records(5));
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
        grid->setDataSource(records(3));
        QVERIFY(grid->isColumnHidden(1));
    }

    void readTabText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<CellRows>("rows");
        QTest::newRow("spreadsheet_crlf") << "a\tb\r\nc\td\r\n" << Rows("a|b;c|d");
        QTest::newRow("no_line_break_at_end") << "a\tb\nc" << Rows("a|b;c");
        QTest::newRow("old_mac_cr") << "a\rb\r" << Rows("a;b");
        QTest::newRow("one_empty_line_dropped") << "a\n\n" << Rows("a;");
        QTest::newRow("empty_line_between") << "a\n\nb" << Rows("a;;b");
        QTest::newRow("tab_at_end") << "a\t" << Rows("a|");
        QTest::newRow("quoted_tab_break_quote") << "\"x\ty\"\t\"1\r\n2\"\t\"say \"\"hi\"\"\"\n"
                                                << CellRows{{"x\ty", "1\r\n2", "say \"hi\""}};
        QTest::newRow("text_after_closing_quote") << "\"ab\"cd\te" << Rows("abcd|e");
        QTest::newRow("quote_inside_plain_cell") << "5\" screen\tx" << Rows("5\" screen|x");
        QTest::newRow("unclosed_quote_is_a_character")
            << "a\t\"big\nx" << CellRows{{"a", "\"big"}, {"x"}};
        QTest::newRow("nul_dropped") << QString::fromUtf16(u"a\0b\tc", 5) << Rows("ab|c");
        QTest::newRow("chinese") << "张三\t研发部\n" << Rows("张三|研发部");
        QTest::newRow("empty") << "" << CellRows{};
    }
    // What is read writes back as text that reads the same.
    void readTabText()
    {
        QFETCH(QString, text);
        QFETCH(CellRows, rows);
        QCOMPARE(CellBlock::ReadTabText(text), rows);
        QCOMPARE(CellBlock::ReadTabText(CellBlock::WriteTabText(rows)), rows);
    }

    // Only cells that need it are quoted; the HTML table holds the same texts, header first.
    void writeTextAndHtml()
    {
        const CellRows rows{{"Name", "Memo"}, {"O'Neil <b>&", "say \"hi\"\nnext"}, {"张三", ""}};
        QCOMPARE(CellBlock::WriteTabText(rows),
                 "Name\tMemo\nO'Neil <b>&\t\"say \"\"hi\"\"\nnext\"\n张三\t\n");
        const QString html = CellBlock::WriteHtml(rows, 1);
        QCOMPARE(html.count("<th>"), 2);
        QTextDocument document;
        document.setHtml(html);
        const QList<QTextFrame *> frames = document.rootFrame()->childFrames();
        QCOMPARE(frames.size(), 1);
        const auto *table = qobject_cast<QTextTable *>(frames.front());
        QVERIFY(table && table->rows() == 3 && table->columns() == 2);
        for (int i = 0; i < 6; ++i) {
            const QTextTableCell cell = table->cellAt(i / 2, i % 2);
            QTextCursor cursor = cell.firstCursorPosition();
            cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
            QCOMPARE(cursor.selectedText().replace(QChar::LineSeparator, u'\n'),
                     rows[size_t(i / 2)][i % 2]);
        }
    }

    // Rows 1 to 4 are saved, row 5 is the new-entry row. "plan" is the problem, the misfit's
    // line and value, the first line pasted and the rows added.
    void plan_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("firstRow");
        QTest::addColumn<QList<int>>("plan");
        const int none = int(PastePlan::Misfit::None), tooLong = int(PastePlan::Misfit::TooLong);
        const auto row = [](const char *tag, const QString &text, int firstRow, QList<int> plan) {
            QTest::newRow(tag) << text << firstRow << plan;
        };
        row("saved_rows_only", "a\tb\nc\td\n", 1, {none, 0, 0, 0, 0});
        row("into_entry_row", "a\n", 5, {none, 0, 0, 0, 1});
        row("past_entry_row", "a\nb\nc\n", 4, {none, 0, 0, 0, 2});
        row("blank_lines_below_make_no_rows", "a\n \t\n\n\t\t\t\t\n", 5, {none, 0, 0, 0, 1});
        row("blank_lines_clear_saved_rows", "\n\n", 3, {none, 0, 0, 0, 0});
        row("pack_captions_skipped", "姓名\t电话\nx\ty", 5, {none, 0, 0, 1, 1});
        row("english_captions_skipped", "Name\tPhone\tMemo\nx\n", 1, {none, 0, 0, 1, 0});
        row("one_caption_is_a_value", "Name\n", 5, {none, 0, 0, 0, 1});
        row("memo_has_no_limit", "a\t" + QString(5000, u'x'), 1, {none, 0, 0, 0, 0});
        row("too_wide", "a\tb\tc\nd\te\tf\tg\n", 1, {int(PastePlan::Misfit::NoColumn), 2, 4, 0, 0});
        row("too_long", "ok\nabcdef\n", 1, {tooLong, 2, 1, 0, 0});
        row("too_long_after_header", "Name\tPhone\tMemo\nx\ty\tlong", 1, {tooLong, 2, 3, 1, 0});
    }
    void plan()
    {
        QFETCH(QString, text);
        QFETCH(int, firstRow);
        QFETCH(QList<int>, plan);
        const PastePlan made(CellBlock::ReadTabText(text), firstRow, 6, Columns());
        QCOMPARE((QList<int>{int(made.Problem()), made.MisfitLine(), made.MisfitValue(),
                             made.FirstLine(), made.AddedRows()}),
                 plan);
        QCOMPARE(made.MisfitColumn() != nullptr, plan[0] == int(PastePlan::Misfit::TooLong));
        if (QByteArray(QTest::currentDataTag()).startsWith("blank_lines"))
            QCOMPARE(made.EndLine() - made.FirstLine(), firstRow == 5 ? 1 : 2);
        QCOMPARE(made.ColumnOf(2), 4);
    }
};

QTEST_MAIN(tst_widgets)
#include "tst_widgets.moc"
