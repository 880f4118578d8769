// The report engine and the staff list report, read back from the PDF and CSV they produce
// (with poppler's pdftotext); the preview window on a real SQLite database, printing through a
// real CUPS queue.

#include "common/ArdentaError.h"
#include "common/BuiltinLanguagePack.h"
#include "common/Language.h"
#include "common/Session.h"
#include "db/ClerkFields.h"
#include "db/Recordset.h"
#include "DbFixture.h"
#include "print/cryClerk.h"
#include "print/frmPrint.h"
#include "print/ReportExport.h"
#include "print/ReportFonts.h"
#include "TestPacks.h"
#include "WindowDriver.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QtTest>
#include <unistd.h>
#include <vector>

#define NEEDS_CUPS()                                                                               \
    if (::geteuid() != 0)                                                                          \
    QSKIP("cupsd runs its queue as the lp user: run the print tests as root (CI does)")

namespace {
// name, department, extension, phone, mobile, e-mail
using Staff = QStringList;

// The rows of Vw_Clerk; the columns the report does not show and empty values are null.
std::shared_ptr<Recordset> StaffRows(const QList<Staff> &staff)
{
    auto rows = std::make_shared<Recordset>(QString("Clerk_ID," + ClerkFieldList()).split(u','),
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
QList<Staff> KnownStaff()
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
        staff << QString::fromUtf8(line).split(u'|');
    return staff;
}

// count members of five departments in turn, so that each spreads over several pages.
QList<Staff> ManyStaff(int count, int first = 1)
{
    const char *const depts[] = {"Accounts", "Logistics", "Marketing", "Support", "Research"};
    QList<Staff> staff;
    for (int i = first; i < first + count; ++i)
        staff << QString::asprintf("Person%05d|%s|%d|010-%07d|139%08d|p%d@example.com", i,
                                   depts[i % 5], 1000 + i, i, i, i)
                     .split(u'|');
    return staff;
}

void UseLanguage(const QString &language)
{
    auto pack = std::make_shared<BuiltinLanguagePack>();
    pack->Init(QString(), language, QVariant());
    Session().gobjLanguagePack = pack;
    auto fonts = std::make_shared<BuiltinFontScheme>();
    fonts->SetLanguage(language);
    Session().gobjFontScheme = fonts;
}

namespace PdfText {

QString run(const QStringList &arguments)
{
    QProcess process;
    process.start("pdftotext", arguments);
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of every page in layout mode, one entry per page.
QStringList pages(const QString &pdf)
{
    QString text = run({"-layout", pdf, "-"});
    if (text.endsWith(u'\f'))
        text.chop(1);
    return text.split(u'\f');
}

struct Word
{
    int Page;
    QRectF Box; // points from the top left of the paper
    QString Text;
};

// Every word with its bounding box, and the paper size of each page in points.
std::vector<Word> words(const QString &pdf, std::vector<QSizeF> *paper = nullptr)
{
    static const QRegularExpression tag(
        "<page width=\"([\\d.]+)\" height=\"([\\d.]+)\">|<word xMin=\"([\\d.]+)\" "
        "yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>");
    std::vector<Word> result;
    int page = 0;
    for (auto it = tag.globalMatch(run({"-bbox", pdf, "-"})); it.hasNext();) {
        const auto m = it.next();
        auto number = [&m](int i) { return m.captured(i).toDouble(); };
        if (!m.captured(1).isEmpty()) {
            ++page;
            if (paper)
                paper->emplace_back(number(1), number(2));
        } else {
            result.push_back({page,
                              QRectF(QPointF(number(3), number(4)), QPointF(number(5), number(6))),
                              m.captured(7)});
        }
    }
    return result;
}

} // namespace PdfText

std::unique_ptr<cryClerk> LoadedReport(const QList<Staff> &staff)
{
    auto report = std::make_unique<cryClerk>();
    report->SetDataSource(StaffRows(staff));
    report->SetPrintDate(QDate(2024, 3, 9));
    report->ReadRecords();
    return report;
}

QAction *ToolbarAction(QWidget *window, const char *name)
{
    return Find<QToolBar>(window, "tlbMain")->findChild<QAction *>(name);
}

// A CUPS scheduler of the test's own on a Unix socket. Its one queue, when it has one, is raw and
// its device a backend that writes each job to a file.
class PrivateCups
{
public:
    PrivateCups()
    {
        QFile::setPermissions(m_dir.path(), QFile::permissions(m_dir.path()) | QFile::ExeOther);
    }
    ~PrivateCups() { stop(); }
    QString socket() const { return m_dir.filePath("cups.sock"); }
    QString printed() const { return m_dir.filePath("out/printed.pdf"); }

    // (Re)starts the scheduler.
    bool start(bool withQueue)
    {
        stop();
        const QString d = m_dir.path();
        for (const char *sub :
             {"conf", "state", "cache", "spool", "tmp", "log", "out", "bin/backend"})
            QDir(d).mkpath(QLatin1String(sub));
        for (const char *sub : {"spool", "tmp", "out"})
            QFile::setPermissions(d + u'/' + QLatin1String(sub), QFileDevice::Permissions(0x7777));
        for (const char *part : {"filter", "daemon", "notifier", "cgi-bin", "monitor"})
            QFile::link("/usr/lib/cups/" + QLatin1String(part), d + "/bin/" + QLatin1String(part));
        write("bin/backend/capture",
              "#!/bin/sh\n# Writes the job's document to the file its device URI names.\n"
              "[ $# -eq 0 ] && { echo 'direct capture \"Unknown\" \"Capture\"'; exit 0; }\n"
              "out=${DEVICE_URI#capture:}; umask 022\n"
              "if [ -n \"$6\" ]; then cat \"$6\" >\"$out.part\"; else cat >\"$out.part\"; fi\n"
              "mv \"$out.part\" \"$out\"\n",
              0x755);
        write("conf/cupsd.conf", "Listen " + socket().toUtf8() +
                                     "\nLogLevel warn\nBrowsing No\nWebInterface No\n"
                                     "<Location />\nOrder allow,deny\nAllow all\n</Location>\n");
        write("conf/cups-files.conf",
              QStringLiteral("ServerRoot %1/conf\nServerBin %1/bin\nStateDir %1/state\n"
                             "CacheDir %1/cache\nRequestRoot %1/spool\nTempDir %1/tmp\n"
                             "ErrorLog %1/log/error_log\nAccessLog %1/log/access_log\n"
                             "User lp\nGroup lp\nSystemGroup root\n")
                  .arg(d)
                  .toUtf8());
        write("conf/printers.conf",
              withQueue
                  ? "<DefaultPrinter ardenta-test>\nInfo Ardenta test queue\nDeviceURI capture:" +
                        printed().toUtf8() +
                        "\nState Idle\nAccepting Yes\nShared No\n</DefaultPrinter>\n"
                  : QByteArray());
        m_cupsd.start("/usr/sbin/cupsd",
                      {"-f", "-c", d + "/conf/cupsd.conf", "-s", d + "/conf/cups-files.conf"});
        return QTest::qWaitFor([this] { return QFile::exists(socket()); }, 10000);
    }
    void stop()
    {
        if (m_cupsd.state() == QProcess::NotRunning)
            return;
        m_cupsd.terminate();
        m_cupsd.waitForFinished();
        QFile::remove(socket());
    }

private:
    void write(const char *name, const QByteArray &text, int permissions = 0x644)
    {
        QFile file(m_dir.filePath(QLatin1String(name)));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(text);
        file.setPermissions(QFileDevice::Permissions(permissions | (permissions << 4 & 0xF000)));
    }
    QTemporaryDir m_dir;
    QProcess m_cupsd;
};

// Answers the next print dialog, accepting it as it stands or cancelling it.
void AnswerPrintDialog(QObject *owner, bool accept)
{
    auto *timer = new QTimer(owner);
    QObject::connect(timer, &QTimer::timeout, owner, [timer, accept] {
        if (auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget())) {
            timer->deleteLater();
            dialog->done(accept ? QDialog::Accepted : QDialog::Rejected);
        }
    });
    timer->start(50);
}
} // namespace

class tst_print : public WindowTestCase
{
    Q_OBJECT

    std::unique_ptr<DbFixture> m_db;
    PrivateCups m_cups;
    QTemporaryDir m_out;

    QStringList pdfPages(const cryClerk &report, const QString &name)
    {
        ExportReportPdf(report, m_out.filePath(name));
        return PdfText::pages(m_out.filePath(name));
    }

    void addStaff(const QList<Staff> &staff)
    {
        for (const Staff &s : staff)
            m_db->addStaff({QString(), s[2], s[0], s[1], QString(), s[3], s[4], s[5]});
    }

private Q_SLOTS:
    // The window prints to the private scheduler, which has a queue unless a test says otherwise.
    void initTestCase()
    {
        qputenv("CUPS_SERVER", m_cups.socket().toUtf8());
        QVERIFY(::geteuid() != 0 || m_cups.start(true));
    }

    void init()
    {
        setUp();
        m_db = std::make_unique<DbFixture>();
        Session().gstrConnection = m_db->connection();
        UseLanguage("ENG");
        Session().gobjLanguagePack.reset();
    }
    void cleanup()
    {
        tearDown();
        m_db.reset();
    }

    // Every page in the preview and in the exported file; Exit releases the report, and the next
    // load reads the view again.
    void loadsShowsAndExits()
    {
        NEEDS_CUPS();
        addStaff(ManyStaff(60));
        frmPrint *window = frmPrint::instance();
        window->show();
        QCOMPARE(window->windowTitle(), "Print");
        QVERIFY(ToolbarAction(window, "Print")->isEnabled());
        auto *preview = window->findChild<QPrintPreviewWidget *>();
        QTRY_COMPARE(preview->pageCount(), window->report()->PageCount());
        QVERIFY(preview->pageCount() >= 2);
        QCOMPARE(preview->currentPage(), 1);
        const QString pdf = home->file("staff.pdf");
        QVERIFY(window->ExportPdf(pdf) && window->ExportCsv(home->file("s.csv")));
        QCOMPARE(PdfText::pages(pdf).size(), preview->pageCount());
        QVERIFY(!window->ExportCsv(home->file("no/dir/staff.csv")));
        addStaff(ManyStaff(3, 100));
        ToolbarAction(window, "Exit")->trigger();
        QVERIFY(!frmPrint::loadedInstance());
        UseLanguage("CHS");
        window = frmPrint::instance();
        QCOMPARE(window->report()->RecordCount(), 63);
        QCOMPARE((QStringList{window->windowTitle(), ToolbarAction(window, "Exit")->text(),
                              ToolbarAction(window, "Export")->text()}),
                 (QStringList{"打印", "退出", "导出"}));
        QCOMPARE(home->logEntryCount(), 1); // the export to a folder that is not there
    }

    // An unreachable database: one log entry and no box. An empty view: "No Record!", and
    // nothing to print or export.
    void unreachableOrEmptyView()
    {
        NEEDS_CUPS();
        const QString connection = Session().gstrConnection;
        Session().gstrConnection = "Data Source=" + home->file("no/such/s.db");
        frmPrint *window = frmPrint::instance();
        QCOMPARE(home->logEntryCount(), 2); // the query, then the report that got no rows
        QVERIFY(home->logText().contains("LoadReport,模块:frmPrint"));
        QVERIFY(!ToolbarAction(window, "Print")->isEnabled());
        delete window;

        Session().gstrConnection = connection;
        user->answerMessage(QMessageBox::Ok);
        window = frmPrint::instance();
        QCOMPARE(user->seenTexts(), QStringList{"No Record!"});
        window->show();
        QVERIFY(!ToolbarAction(window, "Print")->isEnabled());
        QCOMPARE(window->findChild<QPrintPreviewWidget *>()->pageCount(), 0);
        QVERIFY(!window->ExportPdf(home->file("empty.pdf")));
        QVERIFY(!QFile::exists(home->file("empty.pdf")));
    }

    // Print as a user would: without a queue Print says so before its dialog; with one the
    // dialog's choice is the queue, and every page arrives there. The toolbar's Print and the
    // viewer's own use the one dialog the window owns.
    void printsThroughCups()
    {
        NEEDS_CUPS();
        addStaff(ManyStaff(80));
        frmPrint *window = frmPrint::instance();
        window->show();
        QVERIFY(m_cups.start(false));
        user->answerMessage(QMessageBox::Ok);
        AnswerPrintDialog(this, false);
        ToolbarAction(window, "Print")->trigger();
        QCOMPARE(user->seenTexts(), QStringList{"No printer is set up; the print dialog can still "
                                                "print to a PDF file."});

        QVERIFY(m_cups.start(true));
        AnswerPrintDialog(this, true);
        window->findChild<QAction *>("crvPrint")->trigger();
        QCOMPARE(window->printDialog()->parentWidget(), window);
        QCOMPARE(window->printDialog()->printer()->printerName(), "ardenta-test");
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_cups.printed()), 30000);
        const QStringList pages = PdfText::pages(m_cups.printed());
        QCOMPARE(pages.size(), window->report()->PageCount());
        QVERIFY(pages[0].contains("Email") && pages[0].contains("Person00001"));
        QCOMPARE(home->logEntryCount(), 0);
    }

    // Without a pack the report's own captions: the title first, the page number last. Long
    // values are cut to their columns.
    void knownStaffOnOnePage()
    {
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
        QString line = QRegularExpression::escape(captions.mid(1, 6).join(u' '));
        QCOMPARE(text.count(QRegularExpression(line.replace("\\ ", "\\s+"))), 5);
        for (const QString dept : {"Sales", "Finance", "Engineering", "行政部"})
            QVERIFY2(text.count(dept) == 1, qPrintable(dept));
        QVERIFY(text.contains("2024-03-09"));
        QVERIFY(text.contains(captions.last()));
        // Each value ends where its column ends, the cut ones with an ellipsis.
        QHash<QString, double> columnEnd;
        for (const ReportSection &section : report->Definition().Sections)
            for (const ReportObject &o : section.Objects)
                columnEnd[o.Object.Name] =
                    (report->Definition().Margins.left() + o.Rect.right()) * 72 / 25.4;
        const QHash<QString, QString> longValues{
            {"Wolfe", "fldName"}, {"a.ver", "fldEmail"}, {"12345", "fldExt"}};
        QStringList cut;
        for (const auto &word : PdfText::words(m_out.filePath("known.pdf"))) {
            const QString column = longValues.value(word.Text.left(5));
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
            QCOMPARE(o.Font.family(), "WenQuanYi Micro Hei");
            QVERIFY2(o.Font.pointSize() == 9 && o.Charset == 134, name);
        }
        QVERIFY(report.TextObject("txtTitle").Font.bold()); // only face and size
        QCOMPARE(home->logEntryCount(), 0);

        Session().gobjFontScheme = std::make_shared<FixedFontScheme>("x", "Serif", 9);
        ReportTextObject title{"Text1", QFont("DejaVu Sans", 20), 0, QString()};
        IniReportFonts(title);
        QCOMPARE(title.Font.pointSize(), 20);
        QVERIFY(home->logText().contains(":IniReportFonts: Text1 Type mismatch"));
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
            for (const QString &line : text.split(u'\n'))
                if (line.contains("Person"))
                    QCOMPARE(line.simplified().section(u' ', 0, 0).toInt(), ++lastSerial);
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
        QFile dirs(home->file("config/user-dirs.dirs"));
        QVERIFY(QDir().mkpath(home->file("config")) && dirs.open(QIODevice::WriteOnly));
        dirs.write("XDG_DOCUMENTS_DIR=\"" + documents.toUtf8() + "\"\n");
        dirs.close();
        const QString name = "内部通讯录 2024-03-09.pdf";
        QCOMPARE(DefaultExportPath(*report, QDate(2024, 3, 9)), QDir::home().filePath(name));
        QVERIFY(QDir().mkpath(documents));
        QCOMPARE(DefaultExportPath(*report, QDate(2024, 3, 9)), QDir(documents).filePath(name));
    }
};

QTEST_MAIN(tst_print)
#include "tst_print.moc"
