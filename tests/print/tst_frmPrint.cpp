// The staff list preview window on a real SQLite database, printing through a real CUPS queue.

#include "db/Database.h"
#include "DbFixture.h"
#include "print/cryClerk.h"
#include "print/frmPrint.h"
#include "PrintFixture.h"
#include "WindowDriver.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QtTest>
#include <unistd.h>

namespace {
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

    bool start(bool withQueue)
    {
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
        QDeadlineTimer ready(10000);
        while (!QFile::exists(socket()) && !ready.hasExpired())
            QTest::qWait(50);
        return QFile::exists(socket());
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

class tst_frmPrint : public WindowTestCase
{
    Q_OBJECT

    std::unique_ptr<DbFixture> m_db;
    PrivateCups m_cups;

    void addStaff(const QList<Staff> &staff)
    {
        for (const Staff &s : staff)
            m_db->addStaff({QString(), s[2], s[0], s[1], QString(), s[3], s[4], s[5]});
    }

private Q_SLOTS:
    // Every test prints to the private scheduler, which has a queue unless a test says otherwise.
    void initTestCase()
    {
        if (::geteuid() != 0)
            QSKIP("cupsd runs its queue as the lp user: run the print tests as root (CI does)");
        qputenv("CUPS_SERVER", m_cups.socket().toUtf8());
        QVERIFY(m_cups.start(true));
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
        addStaff(ManyStaff(80));
        frmPrint *window = frmPrint::instance();
        window->show();
        m_cups.stop();
        QVERIFY(m_cups.start(false));
        user->answerMessage(QMessageBox::Ok);
        AnswerPrintDialog(this, false);
        ToolbarAction(window, "Print")->trigger();
        QCOMPARE(user->seenTexts(), QStringList{"No printer is set up; the print dialog can still "
                                                "print to a PDF file."});

        m_cups.stop();
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
};

QTEST_MAIN(tst_frmPrint)
#include "tst_frmPrint.moc"
