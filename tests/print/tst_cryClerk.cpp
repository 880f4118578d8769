// The report engine and the staff list report, read back from the PDF they produce.

#include "ArdentaError.h"
#include "BuiltinLanguagePack.h"
#include "cryClerk.h"
#include "PdfText.h"
#include "Recordset.h"
#include "ReportExport.h"
#include "Session.h"
#include "TestHelpers.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPdfWriter>
#include <QPrinter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Staff
{
    QString Name, Dept, Ext, Phone, Mobile, Email;
};

// The rows of Vw_Clerk, with the columns the report does not show left null.
std::shared_ptr<Recordset> staffRows(const std::vector<Staff> &staff)
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
        values[2] = s.Ext;
        values[3] = s.Name;
        values[4] = s.Dept.isEmpty() ? QVariant() : QVariant(s.Dept);
        values[6] = s.Phone;
        values[7] = s.Mobile;
        values[8] = s.Email;
        rows->appendRecord(values);
    }
    return rows;
}

// A known directory in view order: departments interleaved, one member without a department.
std::vector<Staff> knownStaff()
{
    std::vector<Staff> staff;
    for (const char *line :
         {"Abbott|Sales|201|010-5550101|13900000001|abbott@example.com",
          "Brennan|Finance|301|010-5550102|13900000002|brennan@example.com",
          "Castillo|Sales|202|010-5550103||castillo@example.com",
          "张伟|行政部|401|010-5550104|13900000004|zhangwei@example.com", "Dunmore||501|||",
          "Eastwick|Finance|302|010-5550106|13900000006|eastwick@example.com",
          "Fairbanks|Engineering|601|010-5550107|13900000007|fairbanks@example.com",
          "Gallagher|Sales|203|010-5550108|13900000008|gallagher@example.com",
          "李娜|行政部|402|010-5550109|13900000009|lina@example.com"}) {
        const QStringList f = QString::fromUtf8(line).split(QLatin1Char('|'));
        staff.push_back({f[0], f[1], f[2], f[3], f[4], f[5]});
    }
    return staff;
}

std::vector<Staff> manyStaff(int count)
{
    static const QString depts[] = {QStringLiteral("Accounts"), QStringLiteral("Logistics"),
                                    QStringLiteral("Marketing"), QStringLiteral("Support"),
                                    QStringLiteral("Research")};
    std::vector<Staff> staff;
    for (int i = 1; i <= count; ++i) {
        staff.push_back({QStringLiteral("Person%1").arg(i, 5, 10, QLatin1Char('0')), depts[i % 5],
                         QString::number(1000 + i),
                         QStringLiteral("010-%1").arg(i, 7, 10, QLatin1Char('0')),
                         QStringLiteral("139%1").arg(i, 8, 10, QLatin1Char('0')),
                         QStringLiteral("p%1@example.com").arg(i)});
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

std::unique_ptr<cryClerk> loadedReport(const std::vector<Staff> &staff)
{
    auto report = std::make_unique<cryClerk>();
    report->SetDataSource(staffRows(staff));
    report->SetPrintDate(QDate(2024, 3, 9));
    report->ReadRecords();
    return report;
}

} // namespace

class tst_cryClerk : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void captions_data();
    void captions();
    void initializeAsksIdsInOrderAndSetsFonts();
    void everyMemberOnceGroupedWithSerials();
    void multiPageNumbering();
    void textStaysInsideThePage();
    void longValuesAreElided();
    void sameTextOnEveryDevice();
    void missingColumnIsRefused();
    void definitionErrors_data();
    void definitionErrors();
    void layoutCheckFindsFaults_data();
    void layoutCheckFindsFaults();
    void csvField_data();
    void csvField();
    void exportRoundTrip();
    void tenThousandRows();

private:
    std::unique_ptr<TestHome> m_home;
    QTemporaryDir m_out;
};

void tst_cryClerk::initTestCase()
{
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(),
             "poppler-utils (pdftotext) is needed to read the reports back");
}

void tst_cryClerk::init()
{
    m_home = std::make_unique<TestHome>();
    useLanguage(QStringLiteral("ENG"));
}

void tst_cryClerk::captions_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("no_pack_defaults")
        << QString()
        << QStringList{"Inner Information", "SN.", "Name", "Ext", "Tel", "Mobile", "Email"};
    QTest::newRow("ENG")
        << "ENG"
        << QStringList{"Inner Information", "SN.", "Name", "Ext", "Tel", "Mobile", "Email"};
    QTest::newRow("CHS") << "CHS"
                         << QStringList{QStringLiteral("内部通讯录"), QStringLiteral("序号"),
                                        QStringLiteral("姓名"),       QStringLiteral("分机"),
                                        QStringLiteral("电话"),       QStringLiteral("手机"),
                                        QStringLiteral("电子邮件")};
}

void tst_cryClerk::captions()
{
    QFETCH(QString, language);
    QFETCH(QStringList, expected);
    if (language.isEmpty())
        gobjLanguagePack.reset();
    else
        useLanguage(language);

    const auto report = loadedReport(knownStaff());
    const QString pdf = m_out.filePath(QStringLiteral("captions.pdf"));
    ExportReportPdf(*report, pdf);
    const QString text = PdfText::pages(pdf).join(QLatin1Char('\n'));

    QVERIFY2(text.contains(expected[0]), qPrintable(text));
    // The captions repeat over every department, in column order on one line.
    QStringList escaped;
    for (const QString &caption : expected.mid(1))
        escaped << QRegularExpression::escape(caption);
    int count = 0;
    for (auto it = QRegularExpression(escaped.join(QStringLiteral("\\s+"))).globalMatch(text);
         it.hasNext(); it.next())
        ++count;
    QCOMPARE(count, 5); // Sales, Finance, 行政部, Engineering, and the one without department
}

void tst_cryClerk::initializeAsksIdsInOrderAndSetsFonts()
{
    auto pack = std::make_shared<RecordingPack>();
    gobjLanguagePack = pack;
    useLanguage(QStringLiteral("CHS")); // for the font scheme
    gobjLanguagePack = pack;
    cryClerk report;
    QCOMPARE(pack->asked, (QStringList{"0438", "0053", "0439", "0436", "0057", "0062", "0114"}));

    for (const auto &caption : cryClerk::Captions()) {
        const ReportTextObject &object = report.TextObject(QLatin1String(caption.Object));
        QCOMPARE(object.Font.family(), QStringLiteral("WenQuanYi Micro Hei"));
        QCOMPARE(object.Font.pointSize(), 9);
        QCOMPARE(object.Charset, 134);
    }
    QVERIFY(report.TextObject(QStringLiteral("txtTitle")).Font.bold()); // only face and size change
    QCOMPARE(m_home->logEntryCount(), 0);

    // An empty answer leaves just that caption empty.
    pack->texts = {{"0438", "Staff"}, {"0439", ""}, {"0062", "Cell"}};
    cryClerk answered;
    QCOMPARE(answered.TextObject(QStringLiteral("txtName")).Text, QString());
    QCOMPARE(answered.TextObject(QStringLiteral("txtTitle")).Text, QStringLiteral("Staff"));
    QCOMPARE(answered.TextObject(QStringLiteral("txtMobile")).Text, QStringLiteral("Cell"));
}

void tst_cryClerk::everyMemberOnceGroupedWithSerials()
{
    const auto staff = knownStaff();
    const auto report = loadedReport(staff);
    QCOMPARE(report->PageCount(), 1);
    const QString pdf = m_out.filePath(QStringLiteral("known.pdf"));
    ExportReportPdf(*report, pdf);
    const QStringList lines = PdfText::pages(pdf).join(QLatin1Char('\n')).split(QLatin1Char('\n'));
    const QString text = lines.join(QLatin1Char('\n'));

    for (const Staff &s : staff)
        QVERIFY2(text.count(s.Name) == 1, qPrintable(s.Name));
    for (const QString dept : {"Sales", "Finance", "Engineering", "行政部"})
        QVERIFY2(text.count(dept) == 1, qPrintable(dept));

    // Detail lines in department order, numbered 1..N across the report.
    QStringList order;
    QList<int> serials;
    for (const QString &line : lines) {
        for (const Staff &s : staff) {
            if (line.contains(s.Name)) {
                order << s.Name;
                serials << line.simplified().section(QLatin1Char(' '), 0, 0).toInt();
                QVERIFY2(s.Email.isEmpty() || line.contains(s.Email), qPrintable(line));
                QVERIFY2(line.contains(s.Ext), qPrintable(line));
            }
        }
    }
    QCOMPARE(order,
             (QStringList{"Dunmore", "Fairbanks", "Brennan", "Eastwick", "Abbott", "Castillo",
                          "Gallagher", QStringLiteral("张伟"), QStringLiteral("李娜")}));
    QCOMPARE(serials, (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    QVERIFY(text.contains(QStringLiteral("2024-03-09")));
    QVERIFY(text.contains(QStringLiteral("Page 1 / 1")));
}

void tst_cryClerk::multiPageNumbering()
{
    const auto report = loadedReport(manyStaff(200));
    const QString pdf = m_out.filePath(QStringLiteral("many.pdf"));
    ExportReportPdf(*report, pdf);
    const int pages = report->PageCount();
    QVERIFY(pages >= 4);
    QCOMPARE(PdfText::pageCount(pdf), pages);

    const QStringList texts = PdfText::pages(pdf);
    QCOMPARE(texts.size(), pages);
    int lastSerial = 0;
    for (int page = 1; page <= pages; ++page) {
        const QString &text = texts[page - 1];
        QCOMPARE(text.count(QStringLiteral("Page %1 / %2").arg(page).arg(pages)), 1);
        QCOMPARE(text.count(QStringLiteral("Inner Information")), page == 1 ? 1 : 0);
        // Serial numbers continue from page to page without gaps.
        for (const QString &line : text.split(QLatin1Char('\n'))) {
            if (!line.contains(QLatin1String("Person")))
                continue;
            const int serial = line.simplified().section(QLatin1Char(' '), 0, 0).toInt();
            QCOMPARE(serial, lastSerial + 1);
            lastSerial = serial;
        }
    }
    QCOMPARE(lastSerial, 200);
    // Five departments spread over several pages: one header each.
    const QString all = texts.join(QLatin1Char('\n'));
    for (const QString dept : {"Accounts", "Logistics", "Marketing", "Support", "Research"})
        QCOMPARE(all.count(dept), 1);
}

void tst_cryClerk::textStaysInsideThePage()
{
    for (const QString language : {"ENG", "CHS"}) {
        useLanguage(language);
        const auto report = loadedReport(manyStaff(200));
        QVERIFY2(report->Definition().layoutProblems().isEmpty(),
                 qPrintable(report->Definition().layoutProblems().join(QLatin1Char('\n'))));

        // The engine's own placement: inside the margins, no two texts on top of each other.
        const QRectF body = report->PageLayout().paintRect(QPageLayout::Millimeter);
        for (int page = 1; page <= report->PageCount(); ++page) {
            const auto texts = report->PageTexts(page);
            for (size_t i = 0; i < texts.size(); ++i) {
                QVERIFY2(body.contains(texts[i].Rect), qPrintable(texts[i].Name));
                for (size_t j = i + 1; j < texts.size(); ++j)
                    QVERIFY2(
                        !texts[i].Rect.adjusted(0.01, 0.01, -0.01, -0.01).intersects(texts[j].Rect),
                        qPrintable(texts[i].Name + QLatin1Char('/') + texts[j].Name));
            }
        }

        // And what the PDF really holds.
        const QString pdf = m_out.filePath(QStringLiteral("bbox.pdf"));
        ExportReportPdf(*report, pdf);
        std::vector<QSizeF> paper;
        const auto words = PdfText::words(pdf, &paper);
        QVERIFY(words.size() > 1000);
        QCOMPARE(int(paper.size()), report->PageCount());
        const QMarginsF margins = report->Definition().Margins * (72 / 25.4);
        for (const auto &word : words) {
            const QRectF inside =
                QRectF(QPointF(0, 0), paper[size_t(word.Page - 1)]).marginsRemoved(margins);
            QVERIFY2(inside.adjusted(-1, -1, 1, 1).contains(word.Box),
                     qPrintable(QStringLiteral("%1 on page %2").arg(word.Text).arg(word.Page)));
        }
    }
}

void tst_cryClerk::longValuesAreElided()
{
    auto staff = knownStaff();
    const QString longName = QStringLiteral("Wolfeschlegelsteinhausenbergerdorffvoralternwarenge"
                                            "wissenhaftschaferswessenschafewarenwohlgepflege");
    const QString longMail = QStringLiteral("a.very.long.address.that.never.fits.in.the.column@"
                                            "department.of.long.names.example.com");
    staff[0].Name = longName;
    staff[0].Email = longMail;
    staff[0].Ext = QStringLiteral("12345678901234567890");
    const auto report = loadedReport(staff);
    const QString pdf = m_out.filePath(QStringLiteral("long.pdf"));
    ExportReportPdf(*report, pdf);

    // Each value ends where its column ends.
    constexpr double mm = 72 / 25.4;
    auto columnEnd = [&report](const char *name) {
        for (const ReportSection &section : report->Definition().Sections) {
            for (const ReportObject &o : section.Objects) {
                if (o.Object.Name == QLatin1String(name))
                    return (report->Definition().Margins.left() + o.Rect.right()) * mm;
            }
        }
        return -1.0;
    };
    bool seenName = false;
    bool seenMail = false;
    for (const auto &word : PdfText::words(pdf)) {
        if (word.Text.startsWith(QLatin1String("Wolfeschlegel"))) {
            seenName = true;
            QVERIFY(word.Text.endsWith(QChar(0x2026)));
            QVERIFY(word.Box.right() <= columnEnd("fldName"));
        }
        if (word.Text.startsWith(QLatin1String("a.very.long"))) {
            seenMail = true;
            QVERIFY(word.Text.endsWith(QChar(0x2026)));
            QVERIFY(word.Box.right() <= columnEnd("fldEmail"));
        }
        if (word.Text.startsWith(QLatin1String("1234567890")))
            QVERIFY(word.Box.right() <= columnEnd("fldExt"));
    }
    QVERIFY(seenName && seenMail);
}

void tst_cryClerk::sameTextOnEveryDevice()
{
    const auto report = loadedReport(manyStaff(120));
    const QString viaWriter = m_out.filePath(QStringLiteral("writer.pdf"));
    ExportReportPdf(*report, viaWriter);

    const QString viaPrinter = m_out.filePath(QStringLiteral("printer.pdf"));
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(viaPrinter);
        report->Render(&printer);
    }
    QCOMPARE(PdfText::pageCount(viaPrinter), report->PageCount());
    QCOMPARE(PdfText::pages(viaPrinter), PdfText::pages(viaWriter));

    // A page range prints just those pages.
    const QString range = m_out.filePath(QStringLiteral("range.pdf"));
    {
        QPdfWriter writer(range);
        report->Render(&writer, 2, 3);
    }
    const QStringList pages = PdfText::pages(range);
    QCOMPARE(pages.size(), 2);
    QVERIFY(pages[0].contains(QStringLiteral("Page 2 / %1").arg(report->PageCount())));
    QVERIFY(pages[1].contains(QStringLiteral("Page 3 / %1").arg(report->PageCount())));
}

void tst_cryClerk::missingColumnIsRefused()
{
    cryClerk report;
    QStringList columns = staffRows({})->ColumnNames();
    columns.removeAll(QStringLiteral("Clerk_Email"));
    auto rows = std::make_shared<Recordset>(columns, std::vector<QVariant>(14, QVariant(1)));
    report.SetDataSource(rows);
    QVERIFY_THROWS_EXCEPTION(ArdentaError, report.ReadRecords());
    QVERIFY(!report.HasData());
    QVERIFY_THROWS_EXCEPTION(ArdentaError, ExportReportPdf(report, m_out.filePath("none.pdf")));
    QVERIFY(!QFile::exists(m_out.filePath("none.pdf")));
}

void tst_cryClerk::definitionErrors_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("not_json") << QByteArray("{\"sections\": [");
    QTest::newRow("no_sections") << QByteArray("{\"name\": \"x\", \"sections\": []}");
    QTest::newRow("unknown_section_kind")
        << QByteArray("{\"sections\": [{\"name\": \"s\", \"kind\": \"Sidebar\", \"height\": 5}]}");
    QTest::newRow("unknown_object_kind")
        << QByteArray("{\"sections\": [{\"kind\": \"Detail\", \"height\": 5, \"objects\": "
                      "[{\"kind\": \"chart\", \"width\": 5, \"height\": 5}]}]}");
    QTest::newRow("field_without_column")
        << QByteArray("{\"sections\": [{\"kind\": \"Detail\", \"height\": 5, \"objects\": "
                      "[{\"kind\": \"field\", \"name\": \"f\", \"width\": 5, \"height\": 5}]}]}");
    QTest::newRow("letter_paper") << QByteArray(
        "{\"page\": {\"size\": \"Letter\"}, \"sections\": [{\"kind\": \"Detail\"}]}");
}

void tst_cryClerk::definitionErrors()
{
    QFETCH(QByteArray, json);
    QVERIFY_THROWS_EXCEPTION(ArdentaError, ReportDefinition::fromJson(json));
}

void tst_cryClerk::layoutCheckFindsFaults_data()
{
    QTest::addColumn<QByteArray>("objects");
    QTest::addColumn<QString>("problem");
    const QByteArray a = "{\"kind\": \"text\", \"name\": \"a\", \"x\": 0, \"y\": 0, \"width\": 50, "
                         "\"height\": 6}";
    QTest::newRow("overlap") << a + ", {\"kind\": \"text\", \"name\": \"b\", \"x\": 40, \"y\": 0, "
                                    "\"width\": 50, \"height\": 6}"
                             << "overlaps";
    QTest::newRow("past_right_margin") << QByteArray("{\"kind\": \"field\", \"name\": \"a\", "
                                                     "\"column\": \"c\", \"x\": 150, \"y\": 0, "
                                                     "\"width\": 50, \"height\": 6}")
                                       << "printable width";
    QTest::newRow("below_section") << QByteArray("{\"kind\": \"text\", \"name\": \"a\", \"x\": 0, "
                                                 "\"y\": 4, \"width\": 50, \"height\": 6}")
                                   << "leaves its section";
    QTest::newRow("font_too_tall") << QByteArray("{\"kind\": \"text\", \"name\": \"a\", \"x\": 0, "
                                                 "\"y\": 0, \"width\": 50, \"height\": 6, "
                                                 "\"font\": {\"size\": 30}}")
                                   << "too short";
}

void tst_cryClerk::layoutCheckFindsFaults()
{
    QFETCH(QByteArray, objects);
    QFETCH(QString, problem);
    const ReportDefinition faulty = ReportDefinition::fromJson(
        "{\"sections\": [{\"name\": \"d\", \"kind\": \"Detail\", \"height\": 6, \"objects\": [" +
        objects + "]}]}");
    const QStringList problems = faulty.layoutProblems();
    QVERIFY2(problems.size() == 1 && problems[0].contains(problem),
             qPrintable(problems.join('\n')));
    // Either object alone is sound.
    if (QTest::currentDataTag() == QByteArray("overlap")) {
        const ReportDefinition single = ReportDefinition::fromJson(
            "{\"sections\": [{\"name\": \"d\", \"kind\": \"Detail\", \"height\": 6, "
            "\"objects\": [" +
            objects.left(objects.indexOf('}') + 1) + "]}]}");
        QVERIFY(single.layoutProblems().isEmpty());
    }
}

void tst_cryClerk::csvField_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("field");
    QTest::newRow("plain") << "Abbott"
                           << "Abbott";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("comma_quoted") << "Smith, J."
                                  << "\"Smith, J.\"";
    QTest::newRow("quote_doubled") << "say \"hi\""
                                   << "\"say \"\"hi\"\"\"";
    QTest::newRow("line_break_quoted") << "a\nb"
                                       << "\"a\nb\"";
    QTest::newRow("chinese_plain") << QStringLiteral("张伟") << QStringLiteral("张伟");
}

void tst_cryClerk::csvField()
{
    QFETCH(QString, value);
    QFETCH(QString, field);
    QCOMPARE(CsvField(value), field);
}

void tst_cryClerk::exportRoundTrip()
{
    useLanguage(QStringLiteral("CHS"));
    auto staff = knownStaff();
    staff[1].Name = QStringLiteral("Brennan, \"Bo\"");
    const auto report = loadedReport(staff);

    const QString csv = m_out.filePath(QStringLiteral("staff.csv"));
    ExportReportCsv(*report, csv);
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), int(staff.size()) + 2); // header, rows, nothing after the last CRLF
    QCOMPARE(lines[0], QStringLiteral("序号,姓名,分机,电话,手机,电子邮件"));
    // Report order: grouped, numbered across the report.
    QCOMPARE(lines[1], QStringLiteral("1,Dunmore,501,,,"));
    QCOMPARE(lines[3],
             QStringLiteral(
                 "3,\"Brennan, \"\"Bo\"\"\",301,010-5550102,13900000002,brennan@example.com"));
    QCOMPARE(lines[9], QStringLiteral("9,李娜,402,010-5550109,13900000009,lina@example.com"));

    const QString pdf = m_out.filePath(QStringLiteral("staff.pdf"));
    ExportReportPdf(*report, pdf);
    QCOMPARE(PdfText::pageCount(pdf), report->PageCount());
    const QString pdfText = PdfText::pages(pdf).join(QLatin1Char('\n'));
    for (const Staff &member : staff)
        QVERIFY2(pdfText.contains(member.Name), qPrintable(member.Name));

    // A file that cannot be written is reported, not half-written.
    QVERIFY_THROWS_EXCEPTION(ArdentaError,
                             ExportReportCsv(*report, m_out.filePath("missing/dir/x.csv")));
}

void tst_cryClerk::tenThousandRows()
{
    auto rows = staffRows(manyStaff(10000));
    QElapsedTimer timer;
    timer.start();
    cryClerk report;
    report.SetDataSource(rows);
    report.ReadRecords();
    const qint64 layoutMs = timer.elapsed();
    const QString pdf = m_out.filePath(QStringLiteral("tenthousand.pdf"));
    ExportReportPdf(report, pdf);
    qInfo("10,000 rows: %d pages, laid out in %lld ms, written to PDF in %lld ms in all",
          report.PageCount(), layoutMs, timer.elapsed());

    QCOMPARE(PdfText::pageCount(pdf), report.PageCount());
    const QStringList pages = PdfText::pages(pdf);
    // The last department's last member closes the report with the last serial number.
    const QRegularExpression lastLine(QStringLiteral("^\\s*10000\\s+Person09998\\s"),
                                      QRegularExpression::MultilineOption);
    QVERIFY2(pages.last().contains(lastLine), qPrintable(pages.last().right(400)));
}

QTEST_MAIN(tst_cryClerk)
#include "tst_cryClerk.moc"
