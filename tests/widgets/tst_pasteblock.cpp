// Copied cells as spreadsheets, editors and mail programs exchange them: tab-separated text read
// and written, the HTML table, and where a block goes in a grid and whether it fits.

#include "common/CellBlock.h"
#include "widgets/PastePlan.h"

#include <QTextDocument>
#include <QTextTable>
#include <QtTest>

Q_DECLARE_METATYPE(CellRows)

namespace {
// "a|b;c" is the rows [a, b] and [c].
CellRows Rows(const QString &spec)
{
    CellRows rows;
    for (const QString &row : spec.split(u';'))
        rows.push_back(row.split(u'|'));
    return rows;
}

// Three writable columns as the user sees them: Name (at most 5), Phone (no limit), Memo (3).
std::vector<PastePlan::Column> Columns()
{
    return {{2, 5, {QStringLiteral("姓名"), QStringLiteral("Name")}},
            {3, 0, {QStringLiteral("电话"), QStringLiteral("Phone")}},
            {4, 3, {QStringLiteral("备注"), QStringLiteral("Memo")}}};
}
} // namespace

class tst_PasteBlock : public QObject
{
    Q_OBJECT
private Q_SLOTS:
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
                 QStringLiteral("Name\tMemo\nO'Neil <b>&\t\"say \"\"hi\"\"\nnext\"\n张三\t\n"));
        const QString html = CellBlock::WriteHtml(rows, 1);
        QCOMPARE(html.count(QLatin1String("<th>")), 2);
        QTextDocument document;
        document.setHtml(html);
        const QList<QTextFrame *> frames = document.rootFrame()->childFrames();
        QCOMPARE(frames.size(), 1);
        const auto *table = qobject_cast<QTextTable *>(frames.front());
        QVERIFY(table && table->rows() == 3 && table->columns() == 2);
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 2; ++c) {
                const QTextTableCell cell = table->cellAt(r, c);
                QTextCursor cursor = cell.firstCursorPosition();
                cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
                QCOMPARE(cursor.selectedText().replace(QChar::LineSeparator, u'\n'),
                         rows[size_t(r)][c]);
            }
        }
    }

    // Rows 1 to 4 are saved, row 5 is the new-entry row.
    void plan_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("firstRow");
        QTest::addColumn<int>("problem");
        QTest::addColumn<int>("misfitLine");
        QTest::addColumn<int>("misfitValue");
        QTest::addColumn<int>("firstLine");
        QTest::addColumn<int>("added");
        const int none = int(PastePlan::Misfit::None);
        const int noColumn = int(PastePlan::Misfit::NoColumn);
        const int tooLong = int(PastePlan::Misfit::TooLong);
        QTest::newRow("saved_rows_only") << "a\tb\nc\td\n" << 1 << none << 0 << 0 << 0 << 0;
        QTest::newRow("into_entry_row") << "a\n" << 5 << none << 0 << 0 << 0 << 1;
        QTest::newRow("past_entry_row") << "a\nb\nc\n" << 4 << none << 0 << 0 << 0 << 2;
        QTest::newRow("blank_lines_below_make_no_rows") << "a\n \t\n\n\t\t\t\t\n"
                                                        << 5 << none << 0 << 0 << 0 << 1;
        QTest::newRow("blank_lines_clear_saved_rows") << "\n\n" << 3 << none << 0 << 0 << 0 << 0;
        QTest::newRow("pack_captions_skipped")
            << "姓名\t电话\nx\ty" << 5 << none << 0 << 0 << 1 << 1;
        QTest::newRow("english_captions_skipped") << "Name\tPhone\tMemo\nx\n"
                                                  << 1 << none << 0 << 0 << 1 << 0;
        QTest::newRow("one_caption_is_a_value") << "Name\n" << 5 << none << 0 << 0 << 0 << 1;
        QTest::newRow("memo_has_no_limit")
            << "a\t" + QString(5000, u'x') << 1 << none << 0 << 0 << 0 << 0;
        QTest::newRow("too_wide") << "a\tb\tc\nd\te\tf\tg\n" << 1 << noColumn << 2 << 4 << 0 << 0;
        QTest::newRow("too_long") << "ok\nabcdef\n" << 1 << tooLong << 2 << 1 << 0 << 0;
        QTest::newRow("too_long_after_header")
            << "Name\tPhone\tMemo\nx\ty\tlong" << 1 << tooLong << 2 << 3 << 1 << 0;
    }
    void plan()
    {
        QFETCH(QString, text);
        QFETCH(int, firstRow);
        QFETCH(int, problem);
        QFETCH(int, misfitLine);
        QFETCH(int, misfitValue);
        QFETCH(int, firstLine);
        QFETCH(int, added);
        const PastePlan plan(CellBlock::ReadTabText(text), firstRow, 6, Columns());
        QCOMPARE(int(plan.Problem()), problem);
        QCOMPARE(plan.MisfitLine(), misfitLine);
        QCOMPARE(plan.MisfitValue(), misfitValue);
        QCOMPARE(plan.MisfitColumn() != nullptr, problem == int(PastePlan::Misfit::TooLong));
        QCOMPARE(plan.FirstLine(), firstLine);
        QCOMPARE(plan.AddedRows(), added);
        if (QByteArray(QTest::currentDataTag()).startsWith("blank_lines"))
            QCOMPARE(plan.EndLine() - plan.FirstLine(), firstRow == 5 ? 1 : 2);
        QCOMPARE(plan.ColumnOf(2), 4);
    }
};

QTEST_MAIN(tst_PasteBlock)
#include "tst_pasteblock.moc"
