// The staff list preview window on a real SQLite database.

#include "cryClerk.h"
#include "Database.h"
#include "DbFixture.h"
#include "frmPrint.h"
#include "PrintFixture.h"
#include "WindowDriver.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrintPreviewWidget>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

namespace {
QAction *ToolbarAction(QWidget *window, const char *name)
{
    return Find<QToolBar>(window, "tlbMain")->findChild<QAction *>(name);
}
} // namespace

class tst_frmPrint : public WindowTestCase
{
    Q_OBJECT

    std::unique_ptr<DbFixture> m_db;

    void addStaff(const QList<Staff> &staff)
    {
        for (const Staff &s : staff)
            m_db->addStaff({QString(), s[2], s[0], s[1], QString(), s[3], s[4], s[5]});
    }

private Q_SLOTS:
    void init()
    {
        setUp();
        m_db = std::make_unique<DbFixture>();
        Session().gstrConnection = m_db->connection();
        Session().gstrPopupTitle = QStringLiteral("Ardenta");
        UseLanguage(QStringLiteral("ENG"));
        Session().gobjLanguagePack.reset();
    }
    void cleanup()
    {
        tearDown();
        m_db.reset();
    }

    // Every page in the preview; Exit releases the report, and the next load reads the view
    // again.
    void loadsShowsAndExits()
    {
        addStaff(ManyStaff(60));
        frmPrint *window = frmPrint::instance();
        window->show();
        QCOMPARE(window->windowTitle(), QStringLiteral("Print"));
        QVERIFY(ToolbarAction(window, "Print")->isEnabled());
        auto *preview = window->findChild<QPrintPreviewWidget *>();
        QTRY_COMPARE(preview->pageCount(), window->report()->PageCount());
        QVERIFY(preview->pageCount() >= 2);
        QCOMPARE(preview->currentPage(), 1);
        addStaff(ManyStaff(3, 100));
        ToolbarAction(window, "Exit")->trigger();
        QVERIFY(!frmPrint::loadedInstance());
        UseLanguage(QStringLiteral("CHS"));
        window = frmPrint::instance();
        QCOMPARE(window->report()->RecordCount(), 63);
        QCOMPARE((QStringList{window->windowTitle(), ToolbarAction(window, "Exit")->text(),
                              ToolbarAction(window, "Export")->text()}),
                 (QStringList{"打印", "退出", "导出"}));
        QCOMPARE(home->logEntryCount(), 0);
    }

    // An unreachable database: one log entry and no box. An empty view: "No Record!", and
    // nothing to print or export.
    void unreachableOrEmptyView()
    {
        const QString connection = Session().gstrConnection;
        Session().gstrConnection = QStringLiteral("Data Source=") + home->file("no/such/s.db");
        frmPrint *window = frmPrint::instance();
        QCOMPARE(home->logEntryCount(), 2); // the query, then the report that got no rows
        QVERIFY(home->logText().contains(QStringLiteral("LoadReport,模块:frmPrint")));
        QVERIFY(!ToolbarAction(window, "Print")->isEnabled());
        delete window;

        Session().gstrConnection = connection;
        user->answerMessage(QMessageBox::Ok);
        window = frmPrint::instance();
        QCOMPARE(user->seenTexts(), QStringList{"No Record!"});
        QCOMPARE(user->seen()[0].title, QStringLiteral("Ardenta"));
        QCOMPARE(user->seen()[0].icon, QMessageBox::Information);
        window->show();
        QVERIFY(!ToolbarAction(window, "Print")->isEnabled());
        QCOMPARE(window->findChild<QPrintPreviewWidget *>()->pageCount(), 0);
        QVERIFY(!window->ExportPdf(home->file(QStringLiteral("empty.pdf"))));
        QVERIFY(!QFile::exists(home->file(QStringLiteral("empty.pdf"))));
    }

    // Export and the print dialog give the pages the preview shows.
    void printAndExportGiveTheSamePages()
    {
        addStaff(ManyStaff(80));
        frmPrint *window = frmPrint::instance();
        window->show();
        const QString pdf = home->file(QStringLiteral("staff.pdf"));
        QVERIFY(window->ExportPdf(pdf) && window->ExportCsv(home->file(QStringLiteral("s.csv"))));
        const QStringList exported = PdfText::pages(pdf);
        QCOMPARE(exported.size(), window->report()->PageCount());
        QVERIFY(exported.size() >= 3);
        QVERIFY(!window->ExportCsv(home->file(QStringLiteral("no/dir/staff.csv"))));
        QCOMPARE(home->logEntryCount(), 1);

        // The print dialog: cancelled, or printing pages 2 to 3 to a PDF file.
        const QString output = home->file(QStringLiteral("printed.pdf"));
        QList<QWidget *> dialogs;
        auto answer = [&](bool accept) {
            QTimer::singleShot(50, [&, accept] {
                auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
                dialogs << dialog;
                if (!dialog)
                    return;
                dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
                dialog->printer()->setOutputFileName(output);
                dialog->printer()->setPrintRange(QPrinter::PageRange);
                dialog->printer()->setFromTo(2, 3);
                dialog->done(accept ? QDialog::Accepted : QDialog::Rejected);
            });
        };
        // The viewer's own button and the toolbar's use the one dialog the window owns.
        auto *viewerPrint = window->findChild<QAction *>(QStringLiteral("crvPrint"));
        answer(false);
        viewerPrint->trigger();
        QVERIFY(!QFile::exists(output));
        answer(true);
        ToolbarAction(window, "Print")->trigger();
        QCOMPARE(dialogs, (QList<QWidget *>{window->printDialog(), window->printDialog()}));
        QCOMPARE(window->printDialog()->parentWidget(), window);
        QCOMPARE(PdfText::pages(output), exported.mid(1, 2));
    }
};

QTEST_MAIN(tst_frmPrint)
#include "tst_frmPrint.moc"
