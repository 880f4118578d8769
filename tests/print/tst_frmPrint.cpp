// The staff list preview window against a real SQLite database.

#include "BuiltinLanguagePack.h"
#include "cryClerk.h"
#include "Database.h"
#include "frmPrint.h"
#include "PdfText.h"
#include "Schema.h"
#include "Session.h"
#include "TestHelpers.h"

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

// Log entries start with their procedure and module.
int logEntriesUnder(const TestHome &home, const QString &procedure)
{
    return int(home.logText().count(QStringLiteral("过程:") + procedure + QLatin1Char(',')));
}

QAction *toolbarAction(QWidget *window, const char *name)
{
    return window->findChild<QToolBar *>(QStringLiteral("tlbMain"))->findChild<QAction *>(name);
}

} // namespace

class tst_frmPrint : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<DialogAnswerer> m_answers;

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<TestHome>();
        gstrPopupTitle = QStringLiteral("Ardenta");
        gstrConnection = QStringLiteral("Data Source=") + m_home->file(QStringLiteral("staff.db"));
        auto fonts = std::make_shared<BuiltinFontScheme>();
        fonts->SetLanguage(QStringLiteral("ENG"));
        gobjFontScheme = fonts;
        QString message;
        QVERIFY2(InitDatabase(gstrConnection, &message), qPrintable(message));
        // An answer no box is expected to take: one that does is shown in seen().
        m_answers = std::make_unique<DialogAnswerer>();
        m_answers->answerMessage(QMessageBox::Ok);
    }

    void cleanup()
    {
        frmPrint::Unload();
        QTRY_VERIFY(!findTopLevel(QStringLiteral("frmPrint")));
        QVERIFY(!frmPrint::loadedInstance());
        m_answers.reset();
        m_home.reset();
    }

    void loadsOnceShowsAgainAndExits()
    {
        addStaff(60);
        // A load that fails leaves no window behind.
        gobjLanguagePack = std::make_shared<ThrowingPack>();
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, frmPrint::instance());
        QVERIFY(!frmPrint::loadedInstance() && !findTopLevel(QStringLiteral("frmPrint")));
        gobjLanguagePack.reset();
        frmPrint *window = frmPrint::instance();
        QCOMPARE(window->objectName(), QStringLiteral("frmPrint"));
        window->show();
        QVERIFY(toolbarAction(window, "Print")->isEnabled());
        QCOMPARE(window->report()->RecordCount(), 60);
        auto *preview = window->findChild<QWidget *>(QStringLiteral("crvMain"))
                            ->findChild<QPrintPreviewWidget *>();
        QTRY_COMPARE(preview->pageCount(), window->report()->PageCount());
        QVERIFY(preview->pageCount() >= 2);
        QCOMPARE(preview->currentPage(), 1);
        // Asked for again while loaded, it is only brought forward.
        addStaff(3, 100);
        QCOMPARE(frmPrint::instance(), window);
        QCOMPARE(window->report()->RecordCount(), 60);
        // Exit unloads the window and releases the report; the next load reads the view again.
        QPointer<frmPrint> guard(window);
        toolbarAction(window, "Exit")->trigger();
        QVERIFY(!frmPrint::loadedInstance());
        QTRY_VERIFY(guard.isNull());
        QCOMPARE(frmPrint::instance()->report()->RecordCount(), 63);
        QVERIFY(m_answers->seen().empty());
        QCOMPARE(m_home->logEntryCount(), 0);
    }

    void captionsFollowTheLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("captions"); // window, Print, Exit, Export
        QTest::newRow("no_pack") << QString() << QStringList{"Print", "Print", "Exit", ""};
        QTest::newRow("CHS") << "CHS" << QStringList{"打印", "打印", "退出", "导出"};
    }
    void captionsFollowTheLanguage()
    {
        QFETCH(QString, language);
        QFETCH(QStringList, captions);
        addStaff(3);
        if (!language.isEmpty()) {
            auto pack = std::make_shared<BuiltinLanguagePack>();
            pack->Init(QString(), language, QVariant());
            gobjLanguagePack = pack;
        }
        frmPrint *window = frmPrint::instance();
        QCOMPARE((QStringList{window->windowTitle(), toolbarAction(window, "Print")->text(),
                              toolbarAction(window, "Exit")->text(),
                              toolbarAction(window, "Export")->text()}),
                 captions);
        QVERIFY(!toolbarAction(window, "Export")->icon().isNull());
    }

    void unreachableOrEmptyViewLoadsNothing()
    {
        const QString connection = gstrConnection;
        gstrConnection = QStringLiteral("Data Source=") +
                         m_home->file(QStringLiteral("no/such/folder/staff.db"));
        frmPrint *window = frmPrint::instance();
        // An unreachable database: one log entry and no box.
        QCOMPARE(logEntriesUnder(*m_home, QStringLiteral("LoadReport")), 1);
        QVERIFY(m_home->logText().contains(QStringLiteral("frmPrint")));
        QTest::qWait(100);
        QVERIFY(m_answers->seen().empty());
        QVERIFY(!toolbarAction(window, "Print")->isEnabled());
        frmPrint::Unload();
        QTRY_VERIFY(!findTopLevel(QStringLiteral("frmPrint")));

        // An empty view: "No Record!", then an empty window with nothing to print or export.
        gstrConnection = connection;
        const int logEntries = m_home->logEntryCount();
        window = frmPrint::instance();
        QCOMPARE(m_answers->seen().size(), size_t(1));
        const SeenDialog &box = m_answers->seen()[0];
        QCOMPARE((QStringList{box.text, box.title}), (QStringList{"No Record!", "Ardenta"}));
        QCOMPARE(box.icon, QMessageBox::Information);
        window->show();
        QVERIFY(!toolbarAction(window, "Print")->isEnabled());
        QTRY_VERIFY(window->findChild<QPrintPreviewWidget *>()->isVisible());
        QCOMPARE(window->findChild<QPrintPreviewWidget *>()->pageCount(), 0);
        QCOMPARE(m_home->logEntryCount(), logEntries);
        QVERIFY(!window->ExportPdf(m_home->file(QStringLiteral("empty.pdf"))));
        QVERIFY(!QFile::exists(m_home->file(QStringLiteral("empty.pdf"))));
    }

    void printAndExportGiveTheSamePages()
    {
        addStaff(80);
        frmPrint *window = frmPrint::instance();
        window->show();
        const QString pdf = m_home->file(QStringLiteral("staff.pdf"));
        const QString csv = m_home->file(QStringLiteral("staff.csv"));
        QVERIFY(window->ExportPdf(pdf) && window->ExportCsv(csv));
        const QStringList exported = PdfText::pages(pdf);
        QCOMPARE(exported.size(), window->report()->PageCount());
        QVERIFY(exported.size() >= 3);
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.size(), 80 + 2);
        // A target that cannot be written: false and one log entry.
        QVERIFY(!window->ExportCsv(m_home->file(QStringLiteral("no/dir/staff.csv"))));
        QCOMPARE(logEntriesUnder(*m_home, QStringLiteral("ExportCsv")), 1);

        // The print dialog: cancelled, or printing pages 2 to 3 to a PDF file.
        const QString output = m_home->file(QStringLiteral("printed.pdf"));
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
        QVERIFY(viewerPrint && viewerPrint->isEnabled());
        answer(false);
        viewerPrint->trigger();
        QVERIFY(!QFile::exists(output));
        answer(true);
        toolbarAction(window, "Print")->trigger();
        QCOMPARE(dialogs, (QList<QWidget *>{window->printDialog(), window->printDialog()}));
        QCOMPARE(window->printDialog()->parentWidget(), window);
        QCOMPARE(PdfText::pages(output), exported.mid(1, 2));
    }
};

QTEST_MAIN(tst_frmPrint)
#include "tst_frmPrint.moc"
