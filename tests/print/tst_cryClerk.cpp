// The report engine and the staff list report, read back from the PDF and CSV they produce.

#include "common/ArdentaError.h"
#include "common/Language.h"
#include "print/cryClerk.h"
#include "print/ReportExport.h"
#include "print/ReportFonts.h"
#include "PrintFixture.h"
#include "TestHome.h"
#include "TestPacks.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
std::unique_ptr<cryClerk> LoadedReport(const QList<Staff> &staff)
{
    auto report = std::make_unique<cryClerk>();
    report->SetDataSource(StaffRows(staff));
    report->SetPrintDate(QDate(2024, 3, 9));
    report->ReadRecords();
    return report;
}
} // namespace

class tst_cryClerk : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestHome> m_home;
    QTemporaryDir m_out;

    QStringList pdfPages(const cryClerk &report, const QString &name)
    {
        ExportReportPdf(report, m_out.filePath(name));
        return PdfText::pages(m_out.filePath(name));
    }

private Q_SLOTS:
    void init()
    {
        m_home.reset(); // before the next one takes ARDENTA_HOME
        m_home = std::make_unique<TestHome>();
        UseLanguage("ENG");
    }

    // Without a pack the report's own captions: the title first, the page number last. Long
    // values are cut to their columns.
    void knownStaffOnOnePage()
    {
        Session().gobjLanguagePack.reset();
        const QStringList captions{
            "Inner Information", "SN.", "Name", "Ext", "Tel", "Mobile", "Email", "Page 1 / 1"};
        auto staff = KnownStaff();
        staff[0][0] = "Wolfeschlegelsteinhausenbergerdorffvoralternwarengewissen"
                      "haftschaferswessenschafewarenwohlgepflege";
        staff[0][5] = "a.very.long.address.that.never.fits.in.the.column@"
                      "department.of.long.names.example.com";
        staff[0][2] = "12345678901234567890";
        const auto report = LoadedReport(staff);
        const QStringList pages = pdfPages(*report, "known.pdf");
        QCOMPARE(pages.size(), 1);
        const QString text = pages[0];
        QCOMPARE(text.count(captions[0]), 1);
        // The captions head each of the five groups (one without department), on one line.
        QStringList escaped;
        for (const QString &caption : captions.mid(1, 6))
            escaped << QRegularExpression::escape(caption);
        QCOMPARE(text.count(QRegularExpression(escaped.join("\\s+"))), 5);
        for (const QString dept : {"Sales", "Finance", "Engineering", "行政部"})
            QVERIFY2(text.count(dept) == 1, qPrintable(dept));
        QVERIFY(text.contains("2024-03-09"));
        QVERIFY(text.contains(captions.last()));
        // Each value ends where its column ends, the cut ones with an ellipsis.
        QHash<QString, double> columnEnd;
        for (const ReportSection &section : report->Definition().Sections) {
            for (const ReportObject &o : section.Objects)
                columnEnd[o.Object.Name] =
                    (report->Definition().Margins.left() + o.Rect.right()) * 72 / 25.4;
        }
        QStringList cut;
        for (const auto &word : PdfText::words(m_out.filePath("known.pdf"))) {
            const QString column = word.Text.startsWith("Wolfe")    ? "fldName"
                                   : word.Text.startsWith("a.very") ? "fldEmail"
                                   : word.Text.startsWith("12345")  ? "fldExt"
                                                                    : QString();
            if (column.isEmpty())
                continue;
            QVERIFY2(word.Box.right() <= columnEnd[column], qPrintable(column));
            if (word.Text.endsWith(QChar(0x2026)))
                cut << column;
        }
        QCOMPARE(cut, (QStringList{"fldName", "fldExt", "fldEmail"}));
    }

    // Every text object takes the language's face and size; a font object that fails is logged
    // and the caption still set.
    void initializeSetsFonts()
    {
        UseLanguage("CHS");
        cryClerk report;
        for (const char *name : {"txtTitle", "txtSN", "txtName", "txtEmail"}) {
            const ReportTextObject &o = report.TextObject(QLatin1String(name));
            QCOMPARE(QStringLiteral("%1 %2 %3")
                         .arg(o.Font.family())
                         .arg(o.Font.pointSize())
                         .arg(o.Charset),
                     "WenQuanYi Micro Hei 9 134");
        }
        QVERIFY(report.TextObject("txtTitle").Font.bold()); // only face and size
        QCOMPARE(m_home->logEntryCount(), 0);

        Session().gobjFontScheme = std::make_shared<FixedFontScheme>("x", "Serif", 9);
        ReportTextObject title{"Text1", QFont("DejaVu Sans", 20), 0, QString()};
        IniReportFonts(title);
        QCOMPARE(title.Font.pointSize(), 20);
        QVERIFY(m_home->logText().contains(":IniReportFonts: Text1 Type mismatch"));
    }

    // In Chinese, whose font and page numbers differ most from the report's own.
    void manyPagesNumberedAndInside()
    {
        UseLanguage("CHS");
        const auto report = LoadedReport(ManyStaff(200));
        const QStringList texts = pdfPages(*report, "many.pdf");
        const int pages = report->PageCount();
        QVERIFY(pages >= 4);
        QCOMPARE(texts.size(), pages);
        // Page N / M and the captions on each page, the title on the first only, serials without
        // gaps. The first department goes on over page 1: page 2 heads it again as continued.
        QVERIFY(texts[1].contains("Accounts " + GetLangText("0441", QString())));
        int lastSerial = 0;
        for (int page = 1; page <= pages; ++page) {
            const QString &text = texts[page - 1];
            const QString pageOf = GetLangText("0440", QString()).arg(page).arg(pages);
            QCOMPARE(QString(text).remove(u' ').count(QString(pageOf).remove(u' ')), 1);
            QVERIFY(text.contains(report->TextObject("txtEmail").Text));
            QCOMPARE(text.count(report->TextObject("txtTitle").Text), page == 1 ? 1 : 0);
            for (const QString &line : text.split(u'\n')) {
                if (line.contains("Person"))
                    QCOMPARE(line.simplified().section(u' ', 0, 0).toInt(), ++lastSerial);
            }
        }
        QCOMPARE(lastSerial, 200);
        // No two texts on top of each other, none too short for its font, none off the page.
        QVERIFY2(report->Definition().layoutProblems().isEmpty(),
                 qPrintable(report->Definition().layoutProblems().join(u'\n')));
        std::vector<QSizeF> paper;
        const auto words = PdfText::words(m_out.filePath("many.pdf"), &paper);
        QVERIFY(words.size() > 1000);
        const QMarginsF margins = report->Definition().Margins * (72 / 25.4);
        for (const auto &word : words) {
            const QRectF inside =
                QRectF(QPointF(0, 0), paper[size_t(word.Page - 1)]).marginsRemoved(margins);
            QVERIFY2(inside.adjusted(-1, -1, 1, 1).contains(word.Box), qPrintable(word.Text));
        }
    }

    // A definition that does not parse, and rows that lack a column the report shows: refused.
    void badInputIsRefused()
    {
        QVERIFY_THROWS_EXCEPTION(ArdentaError, ReportDefinition::fromJson(R"({"sections": [)"));
        QStringList columns = StaffRows({})->ColumnNames();
        columns.removeAll("Clerk_Email");
        cryClerk report;
        report.SetDataSource(std::make_shared<Recordset>(columns, std::vector<QVariant>(14, 1)));
        QVERIFY_THROWS_EXCEPTION(ArdentaError, report.ReadRecords());
    }

    // Captions (the department after the serial), then the rows in report order, quoted where
    // needed, UTF-8 with a byte order mark.
    void csvMatchesGoldenFile()
    {
        UseLanguage("CHS");
        auto staff = KnownStaff();
        staff[1][0] = "Brennan, Bo";
        staff[1][3] = "010-5550102\next. 9";
        staff[1][5] = "\"Bo\" brennan@example.com";
        const auto report = LoadedReport(staff);
        const QString csv = m_out.filePath("staff.csv");
        ExportReportCsv(*report, csv);
        QFile written(csv);
        QFile golden(QFINDTESTDATA("../data/staff-chs.csv"));
        QVERIFY(written.open(QIODevice::ReadOnly) && golden.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), golden.readAll());
        // The export proposes the title and the day in the documents folder, or the home
        // folder while there is none (a file dialog would open in the working folder).
        const QString documents = m_out.filePath("Dokumente");
        QVERIFY(QDir().mkpath(m_home->file("config")));
        QFile dirs(m_home->file("config/user-dirs.dirs"));
        QVERIFY(dirs.open(QIODevice::WriteOnly));
        dirs.write("XDG_DOCUMENTS_DIR=\"" + documents.toUtf8() + "\"\n");
        dirs.close();
        const QString name = "内部通讯录 2024-03-09.pdf";
        QCOMPARE(DefaultExportPath(*report, QDate(2024, 3, 9)), QDir::home().filePath(name));
        QVERIFY(QDir().mkpath(documents));
        QCOMPARE(DefaultExportPath(*report, QDate(2024, 3, 9)), QDir(documents).filePath(name));
    }
};

QTEST_MAIN(tst_cryClerk)
#include "tst_cryClerk.moc"
