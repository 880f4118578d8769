// The report engine and the staff list report, read back from the PDF they produce.

#include "ArdentaError.h"
#include "BuiltinLanguagePack.h"
#include "cryClerk.h"
#include "PdfText.h"
#include "Recordset.h"
#include "ReportExport.h"
#include "Session.h"
#include "TestHelpers.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// name, department, extension, phone, mobile, e-mail
using Staff = QStringList;

// The rows of Vw_Clerk; the columns the report does not show and empty values are null.
std::shared_ptr<Recordset> staffRows(const QList<Staff> &staff)
{
    auto rows = std::make_shared<Recordset>(
        QStringLiteral("Clerk_ID Clerk_NO Clerk_Ext Clerk_UserName Clerk_Dept Clerk_Address "
                       "Clerk_Phone Clerk_Mobile Clerk_Email Clerk_IP Clerk_QQ Clerk_MSN "
                       "Clerk_SKP Clerk_Computer Clerk_Memo")
            .split(QLatin1Char(' ')),
        std::vector<QVariant>{});
    for (const Staff &s : staff) {
        QVariantList values(15);
        values[0] = int(rows->RecordCount()) + 1;
        const int columns[] = {3, 4, 2, 6, 7, 8};
        for (int i = 0; i < 6; ++i)
            values[columns[i]] = s[i].isEmpty() ? QVariant() : QVariant(s[i]);
        rows->appendRecord(values);
    }
    return rows;
}

// A known directory in view order: departments interleaved, one member without a department.
QList<Staff> knownStaff()
{
    QList<Staff> staff;
    for (const char *line :
         {"Abbott|Sales|201|010-5550101|13900000001|abbott@example.com",
          "Brennan|Finance|301|010-5550102|13900000002|brennan@example.com",
          "Castillo|Sales|202|010-5550103||castillo@example.com",
          "张伟|行政部|401|010-5550104|13900000004|zhangwei@example.com", "Dunmore||501|||",
          "Eastwick|Finance|302|010-5550106|13900000006|eastwick@example.com",
          "Fairbanks|Engineering|601|010-5550107|13900000007|fairbanks@example.com",
          "Gallagher|Sales|203|010-5550108|13900000008|gallagher@example.com",
          "李娜|行政部|402|010-5550109|13900000009|lina@example.com"})
        staff << QString::fromUtf8(line).split(QLatin1Char('|'));
    return staff;
}

// Five departments in turn, so that each spreads over several pages.
QList<Staff> manyStaff(int count)
{
    static const char *const depts[] = {"Accounts", "Logistics", "Marketing", "Support",
                                        "Research"};
    QList<Staff> staff;
    for (int i = 1; i <= count; ++i) {
        staff << Staff{QStringLiteral("Person%1").arg(i, 5, 10, QLatin1Char('0')),
                       QLatin1String(depts[i % 5]),
                       QString::number(1000 + i),
                       QStringLiteral("010-%1").arg(i, 7, 10, QLatin1Char('0')),
                       QStringLiteral("139%1").arg(i, 8, 10, QLatin1Char('0')),
                       QStringLiteral("p%1@example.com").arg(i)};
    }
    return staff;
}

// A pack of our own, recording which ids the report asks for.
class RecordingPack : public LanguagePack
{
public:
    QHash<QString, QString> texts;
    QStringList asked;
    int Init(const QString &, const QString &, const QVariant &) override { return 0; }
    QString GetText(const QString &strId) override
    {
        asked << strId;
        return texts.value(strId);
    }
};

void useLanguage(const QString &language)
{
    auto pack = std::make_shared<BuiltinLanguagePack>();
    pack->Init(QString(), language, QVariant());
    gobjLanguagePack = pack;
    auto fonts = std::make_shared<BuiltinFontScheme>();
    fonts->SetLanguage(language);
    gobjFontScheme = fonts;
}

std::unique_ptr<cryClerk> loadedReport(const QList<Staff> &staff)
{
    auto report = std::make_unique<cryClerk>();
    report->SetDataSource(staffRows(staff));
    report->SetPrintDate(QDate(2024, 3, 9));
    report->ReadRecords();
    return report;
}

int leadingNumber(const QString &line)
{
    return line.simplified().section(QLatin1Char(' '), 0, 0).toInt();
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
        m_home = std::make_unique<TestHome>();
        useLanguage(QStringLiteral("ENG"));
    }

    void knownStaffOnOnePage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("captions"); // title first
        const QStringList eng{"Inner Information", "SN.", "Name", "Ext", "Tel", "Mobile", "Email"};
        QTest::newRow("no_pack_defaults") << QString() << eng;
        QTest::newRow("ENG") << "ENG" << eng;
        QTest::newRow("CHS") << "CHS" << QStringList{"内部通讯录", "序号", "姓名",    "分机",
                                                     "电话",       "手机", "电子邮件"};
    }
    void knownStaffOnOnePage()
    {
        QFETCH(QString, language);
        QFETCH(QStringList, captions);
        if (language.isEmpty())
            gobjLanguagePack.reset();
        else
            useLanguage(language);
        const auto staff = knownStaff();
        const auto report = loadedReport(staff);
        const QStringList pages = pdfPages(*report, QStringLiteral("known.pdf"));
        QCOMPARE(pages.size(), 1);
        const QString text = pages[0];
        QCOMPARE(text.count(captions[0]), 1);
        // The captions repeat over each of the five groups (one without department), in
        // column order on one line.
        QStringList escaped;
        for (const QString &caption : captions.mid(1))
            escaped << QRegularExpression::escape(caption);
        QCOMPARE(text.count(QRegularExpression(escaped.join(QStringLiteral("\\s+")))), 5);
        for (const QString dept : {"Sales", "Finance", "Engineering", "行政部"})
            QVERIFY2(text.count(dept) == 1, qPrintable(dept));

        // Every member once, grouped by department, numbered 1..N across the report.
        QStringList order;
        QList<int> serials;
        for (const QString &line : text.split(QLatin1Char('\n'))) {
            for (const Staff &s : staff) {
                if (line.contains(s[0])) {
                    order << s[0];
                    serials << leadingNumber(line);
                    QVERIFY2(line.contains(s[2]) && line.contains(s[5]), qPrintable(line));
                }
            }
        }
        QCOMPARE(order, (QStringList{"Dunmore", "Fairbanks", "Brennan", "Eastwick", "Abbott",
                                     "Castillo", "Gallagher", "张伟", "李娜"}));
        QCOMPARE(serials, (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
        QVERIFY(text.contains(QStringLiteral("2024-03-09")));
        QVERIFY(text.contains(QStringLiteral("Page 1 / 1")));
    }

    void initializeAsksIdsInOrderAndSetsFonts()
    {
        auto pack = std::make_shared<RecordingPack>();
        useLanguage(QStringLiteral("CHS")); // for the font scheme
        gobjLanguagePack = pack;
        pack->texts = {{"0438", "Staff"}, {"0439", ""}, {"0062", "Cell"}};
        cryClerk report;
        QCOMPARE(pack->asked,
                 (QStringList{"0438", "0053", "0439", "0436", "0057", "0062", "0114"}));
        // The pack's answer stands, an empty one too.
        QCOMPARE(report.TextObject(QStringLiteral("txtTitle")).Text, QStringLiteral("Staff"));
        QCOMPARE(report.TextObject(QStringLiteral("txtName")).Text, QString());
        QCOMPARE(report.TextObject(QStringLiteral("txtMobile")).Text, QStringLiteral("Cell"));
        for (const auto &caption : cryClerk::Captions()) {
            const ReportTextObject &o = report.TextObject(QLatin1String(caption.Object));
            QCOMPARE(QStringLiteral("%1 %2 %3")
                         .arg(o.Font.family())
                         .arg(o.Font.pointSize())
                         .arg(o.Charset),
                     QStringLiteral("WenQuanYi Micro Hei 9 134"));
        }
        QVERIFY(report.TextObject(QStringLiteral("txtTitle")).Font.bold()); // only face and size
        QCOMPARE(m_home->logEntryCount(), 0);
    }

    void manyPagesNumberedAndInside_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("ENG") << "ENG";
        QTest::newRow("CHS") << "CHS";
    }
    void manyPagesNumberedAndInside()
    {
        QFETCH(QString, language);
        useLanguage(language);
        const auto report = loadedReport(manyStaff(200));
        const QStringList texts = pdfPages(*report, QStringLiteral("many.pdf"));
        const int pages = report->PageCount();
        QVERIFY(pages >= 4);
        QCOMPARE(texts.size(), pages);
        // Page N / M on each page, the title on the first only, serials without gaps.
        int lastSerial = 0;
        for (int page = 1; page <= pages; ++page) {
            const QString &text = texts[page - 1];
            QCOMPARE(text.count(QStringLiteral("Page %1 / %2").arg(page).arg(pages)), 1);
            QCOMPARE(text.count(report->TextObject(QStringLiteral("txtTitle")).Text),
                     page == 1 ? 1 : 0);
            for (const QString &line : text.split(QLatin1Char('\n'))) {
                if (line.contains(QLatin1String("Person")))
                    QCOMPARE(leadingNumber(line), ++lastSerial);
            }
        }
        QCOMPARE(lastSerial, 200);
        // Each department spreads over several pages under one header.
        for (const QString dept : {"Accounts", "Logistics", "Marketing", "Support", "Research"})
            QCOMPARE(texts.join(QLatin1Char('\n')).count(dept), 1);

        // No two texts on top of each other, none too short for its font.
        QVERIFY2(report->Definition().layoutProblems().isEmpty(),
                 qPrintable(report->Definition().layoutProblems().join(QLatin1Char('\n'))));
        // And what the PDF really holds.
        std::vector<QSizeF> paper;
        const auto words = PdfText::words(m_out.filePath(QStringLiteral("many.pdf")), &paper);
        QVERIFY(words.size() > 1000);
        QCOMPARE(int(paper.size()), pages);
        const QMarginsF margins = report->Definition().Margins * (72 / 25.4);
        for (const auto &word : words) {
            const QRectF inside =
                QRectF(QPointF(0, 0), paper[size_t(word.Page - 1)]).marginsRemoved(margins);
            QVERIFY2(inside.adjusted(-1, -1, 1, 1).contains(word.Box),
                     qPrintable(QStringLiteral("%1 on page %2").arg(word.Text).arg(word.Page)));
        }
    }

    void longValuesAreElided()
    {
        auto staff = knownStaff();
        staff[0][0] = QStringLiteral("Wolfeschlegelsteinhausenbergerdorffvoralternwarengewissen"
                                     "haftschaferswessenschafewarenwohlgepflege");
        staff[0][5] = QStringLiteral("a.very.long.address.that.never.fits.in.the.column@"
                                     "department.of.long.names.example.com");
        staff[0][2] = QStringLiteral("12345678901234567890");
        const auto report = loadedReport(staff);
        ExportReportPdf(*report, m_out.filePath(QStringLiteral("long.pdf")));
        // Each value ends where its column ends, the cut ones with an ellipsis.
        QHash<QString, double> columnEnd;
        for (const ReportSection &section : report->Definition().Sections) {
            for (const ReportObject &o : section.Objects)
                columnEnd[o.Object.Name] =
                    (report->Definition().Margins.left() + o.Rect.right()) * 72 / 25.4;
        }
        QStringList cut;
        for (const auto &word : PdfText::words(m_out.filePath(QStringLiteral("long.pdf")))) {
            const QString column = word.Text.startsWith(QLatin1String("Wolfe"))    ? "fldName"
                                   : word.Text.startsWith(QLatin1String("a.very")) ? "fldEmail"
                                   : word.Text.startsWith(QLatin1String("12345"))  ? "fldExt"
                                                                                   : QString();
            if (column.isEmpty())
                continue;
            QVERIFY2(word.Box.right() <= columnEnd[column], qPrintable(column));
            if (word.Text.endsWith(QChar(0x2026)))
                cut << column;
        }
        QCOMPARE(cut, (QStringList{"fldName", "fldExt", "fldEmail"}));
    }

    void badInputIsRefused()
    {
        QVERIFY_THROWS_EXCEPTION(ArdentaError, ReportDefinition::fromJson(R"({"sections": [)"));
        QVERIFY_THROWS_EXCEPTION(
            ArdentaError, ReportDefinition::fromJson(R"({"sections": [{"kind": "Detail", )"
                                                     R"("objects": [{"kind": "field"}]}]})"));
        // A record set that lacks a bound column: refused, and nothing is written.
        QStringList columns = staffRows({})->ColumnNames();
        columns.removeAll(QStringLiteral("Clerk_Email"));
        cryClerk report;
        report.SetDataSource(
            std::make_shared<Recordset>(columns, std::vector<QVariant>(14, QVariant(1))));
        QVERIFY_THROWS_EXCEPTION(ArdentaError, report.ReadRecords());
        QVERIFY_THROWS_EXCEPTION(ArdentaError, ExportReportPdf(report, m_out.filePath("none.pdf")));
        QVERIFY(!QFile::exists(m_out.filePath("none.pdf")));
    }

    void exportRoundTrip()
    {
        useLanguage(QStringLiteral("CHS"));
        auto staff = knownStaff();
        // Quoted: a comma, a quote, a line break.
        staff[1][0] = QStringLiteral("Brennan, \"Bo\"");
        staff[1][3] = QStringLiteral("010-5550102\next. 9");
        const auto report = loadedReport(staff);
        const QString csv = m_out.filePath(QStringLiteral("staff.csv"));
        ExportReportCsv(*report, csv);
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        // Captions, then the rows in report order, numbered across the report.
        const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), int(staff.size()) + 2); // nothing after the last CRLF
        QCOMPARE(lines[0], QStringLiteral("序号,姓名,分机,电话,手机,电子邮件"));
        QCOMPARE(lines[1], QStringLiteral("1,Dunmore,501,,,"));
        QCOMPARE(lines[3],
                 QStringLiteral("3,\"Brennan, \"\"Bo\"\"\",301,\"010-5550102\next. 9\",13900000002,"
                                "brennan@example.com"));
        QCOMPARE(lines[9], QStringLiteral("9,李娜,402,010-5550109,13900000009,lina@example.com"));

        const QString pdfText = pdfPages(*report, QStringLiteral("staff.pdf")).join('\n');
        for (const Staff &member : staff)
            QVERIFY2(pdfText.contains(member[0]), qPrintable(member[0]));
        // A file that cannot be written is reported.
        QVERIFY_THROWS_EXCEPTION(ArdentaError,
                                 ExportReportCsv(*report, m_out.filePath("missing/dir/x.csv")));
    }
};

QTEST_MAIN(tst_cryClerk)
#include "tst_cryClerk.moc"
