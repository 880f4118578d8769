// The staff list preview window against a real SQLite database.

#include "BuiltinLanguagePack.h"
#include "cryClerk.h"
#include "Database.h"
#include "frmPrint.h"
#include "PdfText.h"
#include "Schema.h"
#include "Session.h"
#include "TestHelpers.h"
#include "Twips.h"

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

// Records any modal dialog that shows up and closes it, for the cases where none may appear.
class ModalWatch
{
public:
    ModalWatch()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                m_seen << modal->metaObject()->className();
                modal->close();
            }
        });
        m_timer.start(20);
    }
    QStringList seen() const { return m_seen; }

private:
    QTimer m_timer;
    QStringList m_seen;
};

class ThrowingPack : public LanguagePack
{
public:
    int Init(const QString &, const QString &, const QVariant &) override { return 0; }
    QString GetText(const QString &) override { throw std::runtime_error("pack failed"); }
};

void addStaff(int count, int first = 1)
{
    QStringList batch;
    for (int i = first; i < first + count; ++i)
        batch << QStringLiteral("Insert Into Clerk(Clerk_NO,Clerk_Ext,Clerk_UserName,Clerk_Dept,"
                                "Clerk_Phone,Clerk_Email) Values('N%1','%2','Member%1','%3',"
                                "'010-%1','m%1@example.com')")
                     .arg(i)
                     .arg(100 + i)
                     .arg(i % 2 ? QStringLiteral("Sales") : QStringLiteral("Finance"));
    QVERIFY(ExcuteSQL(batch.join(QLatin1Char('\r'))));
}

int logEntriesUnder(const TestHome &home, const QString &procedure)
{
    // Each entry starts with its procedure and module.
    return int(home.logText().count(QStringLiteral("过程:") + procedure + QLatin1Char(',')));
}

QAction *toolbarAction(QWidget *window, const char *name)
{
    return window->findChild<QToolBar *>(QStringLiteral("tlbMain"))
        ->findChild<QAction *>(QLatin1String(name));
}

// Closes the window and lets its deferred deletion run.
void closeAndDelete(QWidget *window)
{
    QPointer<QWidget> guard(window);
    window->close();
    QTRY_VERIFY(guard.isNull());
}

} // namespace

class tst_frmPrint : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void loadsTheStaffList();
    void captionsFollowTheLanguage();
    void emptyViewSaysNoRecord();
    void unreachableDatabaseIsLoggedQuietly();
    void failingFormLoadLeavesNoInstance();
    void showingAgainDoesNotReadAgain();
    void resizeKeepsTheViewerInside();
    void bothPrintButtonsUseTheDialog();
    void exportWritesPdfAndCsv();

private:
    std::unique_ptr<TestHome> m_home;
};

void tst_frmPrint::init()
{
    m_home = std::make_unique<TestHome>();
    gstrPopupTitle = QStringLiteral("Ardenta");
    gstrConnection = QStringLiteral("Data Source=") + m_home->file(QStringLiteral("staff.db"));
    auto fonts = std::make_shared<BuiltinFontScheme>();
    fonts->SetLanguage(QStringLiteral("ENG"));
    gobjFontScheme = fonts;
    QString message;
    QVERIFY2(InitDatabase(gstrConnection, &message), qPrintable(message));
}

void tst_frmPrint::cleanup()
{
    frmPrint::Unload();
    QTRY_VERIFY(!findTopLevel(QStringLiteral("frmPrint")));
    QVERIFY(!frmPrint::loadedInstance());
    m_home.reset();
}

void tst_frmPrint::loadsTheStaffList()
{
    addStaff(60);
    QVERIFY(!frmPrint::loadedInstance());
    ModalWatch watch;
    frmPrint *window = frmPrint::instance();
    QVERIFY(window);
    QCOMPARE(frmPrint::loadedInstance(), window);
    QCOMPARE(window->objectName(), QStringLiteral("frmPrint"));
    QVERIFY(window->testAttribute(Qt::WA_DeleteOnClose));
    window->show();

    QVERIFY(toolbarAction(window, "Print")->isEnabled());
    QCOMPARE(window->report()->RecordCount(), 60);
    auto *preview =
        window->findChild<QWidget *>(QStringLiteral("crvMain"))->findChild<QPrintPreviewWidget *>();
    QVERIFY(preview);
    QTRY_COMPARE(preview->pageCount(), window->report()->PageCount());
    QVERIFY(preview->pageCount() >= 2);
    QCOMPARE(preview->currentPage(), 1);
    QVERIFY(watch.seen().isEmpty());
    QCOMPARE(m_home->logEntryCount(), 0);

    // Exit unloads the window and releases the report.
    QPointer<frmPrint> guard(window);
    toolbarAction(window, "Exit")->trigger();
    QVERIFY(!frmPrint::loadedInstance());
    QTRY_VERIFY(guard.isNull());
}

void tst_frmPrint::captionsFollowTheLanguage()
{
    addStaff(3);
    frmPrint *window = frmPrint::instance();
    QCOMPARE(window->windowTitle(), QStringLiteral("Print"));
    QCOMPARE(toolbarAction(window, "Print")->text(), QStringLiteral("Print"));
    QCOMPARE(toolbarAction(window, "Exit")->text(), QStringLiteral("Exit"));
    QCOMPARE(toolbarAction(window, "Export")->text(), QString()); // picture only
    QVERIFY(!toolbarAction(window, "Export")->icon().isNull());
    closeAndDelete(window);

    auto pack = std::make_shared<BuiltinLanguagePack>();
    pack->Init(QString(), QStringLiteral("CHS"), QVariant());
    gobjLanguagePack = pack;
    window = frmPrint::instance();
    QCOMPARE(window->windowTitle(), QStringLiteral("打印"));
    QCOMPARE(toolbarAction(window, "Print")->text(), QStringLiteral("打印"));
    QCOMPARE(toolbarAction(window, "Exit")->text(), QStringLiteral("退出"));
    QCOMPARE(toolbarAction(window, "Export")->text(), QStringLiteral("导出"));
    QCOMPARE(window->report()->TextObject(QStringLiteral("txtTitle")).Text,
             QStringLiteral("内部通讯录"));
}

void tst_frmPrint::emptyViewSaysNoRecord()
{
    DialogAnswerer answerer;
    answerer.answerMessage(QMessageBox::Ok);
    frmPrint *window = frmPrint::instance();
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.seen().size(), size_t(1));
    QCOMPARE(answerer.seen()[0].text, QStringLiteral("No Record!"));
    QCOMPARE(answerer.seen()[0].title, QStringLiteral("Ardenta"));
    QCOMPARE(answerer.seen()[0].icon, QMessageBox::Information);

    // The window still opens, empty, with nothing to print.
    QCOMPARE(frmPrint::loadedInstance(), window);
    window->show();
    QVERIFY(!toolbarAction(window, "Print")->isEnabled());
    QVERIFY(!window->report()->HasData());
    auto *preview = window->findChild<QPrintPreviewWidget *>();
    QTRY_VERIFY(preview->isVisible());
    QCOMPARE(preview->pageCount(), 0);
    QCOMPARE(m_home->logEntryCount(), 0);
    QVERIFY(!window->ExportPdf(m_home->file(QStringLiteral("empty.pdf"))));
    QVERIFY(!QFile::exists(m_home->file(QStringLiteral("empty.pdf"))));
}

void tst_frmPrint::unreachableDatabaseIsLoggedQuietly()
{
    gstrConnection =
        QStringLiteral("Data Source=") + m_home->file(QStringLiteral("no/such/folder/staff.db"));
    ModalWatch watch;
    frmPrint *window = frmPrint::instance();
    QVERIFY(window);
    QCOMPARE(logEntriesUnder(*m_home, QStringLiteral("LoadReport")), 1);
    QVERIFY(m_home->logText().contains(QStringLiteral("frmPrint")));
    QTest::qWait(100);
    QVERIFY2(watch.seen().isEmpty(), qPrintable(watch.seen().join(',')));
    QVERIFY(!toolbarAction(window, "Print")->isEnabled());
    QCOMPARE(window->findChild<QPrintPreviewWidget *>()->pageCount(), 0);
}

void tst_frmPrint::failingFormLoadLeavesNoInstance()
{
    addStaff(2);
    gobjLanguagePack = std::make_shared<ThrowingPack>();
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, frmPrint::instance());
    QVERIFY(!frmPrint::loadedInstance());
    QVERIFY(!findTopLevel(QStringLiteral("frmPrint")));

    gobjLanguagePack.reset();
    QVERIFY(frmPrint::instance());
}

void tst_frmPrint::showingAgainDoesNotReadAgain()
{
    addStaff(5);
    frmPrint *window = frmPrint::instance();
    window->show();
    addStaff(3, 100);
    QCOMPARE(frmPrint::instance(), window);
    window->show();
    QCOMPARE(window->report()->RecordCount(), 5);

    // After closing, the next showing reads the view again.
    closeAndDelete(window);
    window = frmPrint::instance();
    QCOMPARE(window->report()->RecordCount(), 8);
}

void tst_frmPrint::resizeKeepsTheViewerInside()
{
    addStaff(2);
    frmPrint *window = frmPrint::instance();
    window->show();
    for (const QSize size : {QSize(900, 700), QSize(500, 400)}) {
        window->resize(size);
        QTRY_COMPARE(window->size(), size);
        const QWidget *viewer = window->findChild<QWidget *>(QStringLiteral("crvMain"));
        QCOMPARE(viewer->geometry(), QRect(0, TwipsToPixels(795), size.width() - TwipsToPixels(50),
                                           size.height() - TwipsToPixels(800)));
        QCOMPARE(window->findChild<QToolBar *>(QStringLiteral("tlbMain"))->width(), size.width());
    }
}

void tst_frmPrint::bothPrintButtonsUseTheDialog()
{
    addStaff(50);
    frmPrint *window = frmPrint::instance();
    window->show();
    const QString output = m_home->file(QStringLiteral("printed.pdf"));

    // The answer to the dialog: print to a PDF file, or cancel.
    QStringList parents;
    auto answer = [&](bool accept) {
        QTimer::singleShot(50, [&, accept] {
            auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            parents << dialog->parentWidget()->objectName();
            if (accept) {
                dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
                dialog->printer()->setOutputFileName(output);
                dialog->printer()->setPrintRange(QPrinter::AllPages);
                dialog->done(QDialog::Accepted);
            } else {
                dialog->reject();
            }
        });
    };

    // The viewer's own button: cancelled, nothing printed.
    auto *viewerPrint = window->findChild<QAction *>(QStringLiteral("crvPrint"));
    QVERIFY(viewerPrint && viewerPrint->isEnabled());
    answer(false);
    viewerPrint->trigger();
    QVERIFY(!QFile::exists(output));

    // The toolbar's button: the same dialog, and the pages come out.
    QPrintDialog *dialog = window->printDialog();
    QVERIFY(dialog);
    answer(true);
    toolbarAction(window, "Print")->trigger();
    QCOMPARE(window->printDialog(), dialog);
    QCOMPARE(parents, (QStringList{"frmPrint", "frmPrint"}));
    QVERIFY(QFile::exists(output));
    QCOMPARE(PdfText::pageCount(output), window->report()->PageCount());
    QVERIFY(PdfText::pages(output).join('\n').contains(QStringLiteral("Member50")));
}

void tst_frmPrint::exportWritesPdfAndCsv()
{
    addStaff(12);
    frmPrint *window = frmPrint::instance();
    const QString pdf = m_home->file(QStringLiteral("staff.pdf"));
    const QString csv = m_home->file(QStringLiteral("staff.csv"));
    QVERIFY(window->ExportPdf(pdf));
    QVERIFY(window->ExportCsv(csv));

    // The same pages as the preview, and one CSV line per member after the captions.
    QCOMPARE(PdfText::pageCount(pdf), window->report()->PageCount());
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines[0], QByteArray("\xEF\xBB\xBFSN.,Name,Ext,Tel,Mobile,Email\r"));
    QCOMPARE(lines.size(), 12 + 2);

    // A target that cannot be written: false, one log entry, nothing left behind.
    QVERIFY(!window->ExportCsv(m_home->file(QStringLiteral("no/dir/staff.csv"))));
    QCOMPARE(logEntriesUnder(*m_home, QStringLiteral("ExportCsv")), 1);
}

QTEST_MAIN(tst_frmPrint)
#include "tst_frmPrint.moc"
