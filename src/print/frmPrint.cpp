#include "print/frmPrint.h"

#include "common/ArdentaError.h"
#include "common/Clock.h"
#include "common/ErrLog.h"
#include "common/Language.h"
#include "common/Session.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "print/cryClerk.h"
#include "print/ReportExport.h"
#include "widgets/Appearance.h"
#include "widgets/MsgBox.h"
#include "widgets/Twips.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QGraphicsView>
#include <QGuiApplication>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPrintPreviewWidget>
#include <QScreen>
#include <QSpinBox>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

constexpr int toolbarTop = 795; // twips: the viewer starts below the toolbar

QAction *toolButton(QToolBar *bar, const char *key, const char *tag)
{
    QAction *action = bar->addAction(QIcon(QStringLiteral(":/print/%1.png").arg(key)), QString());
    action->setObjectName(QLatin1String(key));
    action->setProperty("Tag", QLatin1String(tag));
    return action;
}

} // namespace

frmPrint::frmPrint() : m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    setObjectName(QStringLiteral("frmPrint"));
    setProperty("Tag", QStringLiteral("0159"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlag(Qt::Window);
    resize(TwipsToPixels(9510), TwipsToPixels(7320));
    setMinimumSize(TwipsToPixels(6000), TwipsToPixels(4500));

    tlbMain = new QToolBar(this);
    tlbMain->setObjectName(QStringLiteral("tlbMain"));
    tlbMain->setMovable(false);
    tlbMain->setIconSize(QSize(24, 24));
    tlbMain->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_actPrint = toolButton(tlbMain, "Print", "0159");
    m_actExport = toolButton(tlbMain, "Export", "0274");
    m_actExit = toolButton(tlbMain, "Exit", "0006");
    // The toolbar takes no focus; its commands have the usual keys instead.
    m_actPrint->setShortcut(QKeySequence::Print);
    m_actExport->setShortcut(QKeySequence::Save);
    m_actExit->setShortcuts(QList<QKeySequence>{QKeySequence(Qt::Key_Escape)} +
                            QKeySequence::keyBindings(QKeySequence::Close));
    connect(tlbMain, &QToolBar::actionTriggered, this,
            [this](QAction *button) { tlbMain_ButtonClick(button); });

    // The viewer: page navigation, zoom and its own print button over the preview.
    crvMain = new QWidget(this);
    crvMain->setObjectName(QStringLiteral("crvMain"));
    auto *layout = new QVBoxLayout(crvMain);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *viewerBar = new QToolBar(crvMain);
    viewerBar->setObjectName(QStringLiteral("crvToolbar"));
    viewerBar->setIconSize(QSize(16, 16));
    m_preview = new QPrintPreviewWidget(m_printer.get(), crvMain);
    m_preview->setObjectName(QStringLiteral("crvPreview"));
    layout->addWidget(viewerBar);
    layout->addWidget(m_preview, 1);

    QStyle *style = this->style();
    auto navigate = [this](int page) {
        if (m_preview->pageCount() <= 0)
            return;
        m_preview->setCurrentPage(std::clamp(page, 1, m_preview->pageCount()));
        // The preview signals no change for a page it was told to show, only for one scrolled to.
        updatePageControls();
    };
    viewerBar
        ->addAction(style->standardIcon(QStyle::SP_MediaSkipBackward), QString(), this,
                    [navigate] { navigate(1); })
        ->setObjectName(QStringLiteral("crvFirst"));
    viewerBar
        ->addAction(style->standardIcon(QStyle::SP_MediaSeekBackward), QString(), this,
                    [this, navigate] { navigate(m_preview->currentPage() - 1); })
        ->setObjectName(QStringLiteral("crvPrevious"));
    m_pageNumber = new QSpinBox(viewerBar);
    m_pageNumber->setObjectName(QStringLiteral("crvPage"));
    m_pageNumber->setRange(0, 0);
    m_pageNumber->setButtonSymbols(QAbstractSpinBox::NoButtons);
    m_pageNumber->setAlignment(Qt::AlignRight);
    m_pageNumber->setKeyboardTracking(false);
    viewerBar->addWidget(m_pageNumber);
    m_pageCount = new QLabel(QStringLiteral(" / 0 "), viewerBar);
    m_pageCount->setObjectName(QStringLiteral("crvPageCount"));
    viewerBar->addWidget(m_pageCount);
    viewerBar
        ->addAction(style->standardIcon(QStyle::SP_MediaSeekForward), QString(), this,
                    [this, navigate] { navigate(m_preview->currentPage() + 1); })
        ->setObjectName(QStringLiteral("crvNext"));
    viewerBar
        ->addAction(style->standardIcon(QStyle::SP_MediaSkipForward), QString(), this,
                    [this, navigate] { navigate(m_preview->pageCount()); })
        ->setObjectName(QStringLiteral("crvLast"));
    viewerBar->addSeparator();
    viewerBar->addAction(QStringLiteral("\u2212"), m_preview, [this] { m_preview->zoomOut(); })
        ->setObjectName(QStringLiteral("crvZoomOut"));
    viewerBar->addAction(QStringLiteral("+"), m_preview, [this] { m_preview->zoomIn(); })
        ->setObjectName(QStringLiteral("crvZoomIn"));
    viewerBar->addAction(QString(), m_preview, &QPrintPreviewWidget::fitToWidth)
        ->setObjectName(QStringLiteral("crvFitWidth"));
    viewerBar->addAction(QString(), m_preview, &QPrintPreviewWidget::fitInView)
        ->setObjectName(QStringLiteral("crvFitPage"));
    viewerBar->addSeparator();
    m_viewerPrint =
        viewerBar->addAction(QIcon(QStringLiteral(":/print/Print.png")), QString(), this, [this] {
            bool UseDefault = true;
            crvMain_PrintButtonClicked(UseDefault);
        });
    m_viewerPrint->setObjectName(QStringLiteral("crvPrint"));
    // While the page box has the focus, Home and End (with Ctrl too) move its cursor; there the
    // page keys and the arrows step through the pages.
    static const struct
    {
        const char *Action;
        Qt::Key Key;
    } pageKeys[] = {{"crvFirst", Qt::Key_Home},
                    {"crvPrevious", Qt::Key_PageUp},
                    {"crvNext", Qt::Key_PageDown},
                    {"crvLast", Qt::Key_End}};
    for (const auto &command : pageKeys) {
        findChild<QAction *>(QLatin1String(command.Action))
            ->setShortcuts({QKeySequence(command.Key), QKeySequence(Qt::CTRL | command.Key)});
    }
    findChild<QAction *>(QStringLiteral("crvZoomIn"))->setShortcut(QKeySequence::ZoomIn);
    findChild<QAction *>(QStringLiteral("crvZoomOut"))->setShortcut(QKeySequence::ZoomOut);

    connect(m_preview, &QPrintPreviewWidget::paintRequested, this,
            [this](QPrinter *printer) { paintPreview(printer); });
    connect(m_preview, &QPrintPreviewWidget::previewChanged, this,
            [this] { updatePageControls(); });
    connect(m_pageNumber, &QSpinBox::valueChanged, this, [this, navigate](int page) {
        if (page != m_preview->currentPage())
            navigate(page);
    });
    setReportActionsEnabled(false);

    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    Form_Resize();
}

frmPrint::~frmPrint()
{
    forget(this);
    // The preview and the dialog point at the printer; they go first.
    delete m_printDialog;
    delete m_preview;
}

QPrintDialog *frmPrint::printDialog() const
{
    return m_printDialog;
}

void frmPrint::Form_Load()
{
    iniFormFonts(this);
    SetFormLanuage();
    mobjReport = std::make_unique<cryClerk>();
    if (LoadReport())
        setReportActionsEnabled(true);
}

void frmPrint::SetFormLanuage()
{
    // A command's tip names its first key.
    const auto setTip = [](QAction *action, const QString &text) {
        const QString key = action->shortcut().toString(QKeySequence::NativeText);
        action->setToolTip(key.isEmpty() ? text : QStringLiteral("%1 (%2)").arg(text, key));
    };
    setWindowTitle(GetLangText(QStringLiteral("0159"), QStringLiteral("Print")));
    m_actPrint->setText(GetLangText(QStringLiteral("0159"), QStringLiteral("Print")));
    m_actExit->setText(GetLangText(QStringLiteral("0006"), QStringLiteral("Exit")));
    m_actExport->setText(GetLangText(QStringLiteral("0274"), QString()));
    for (QAction *action : {m_actPrint, m_actExport, m_actExit})
        setTip(action, action->text());
    SetAccessibleName(m_preview, "0479", "Print preview");
    // The page view inside the preview takes the focus, and its viewport says it has it too.
    if (auto *pages = m_preview->findChild<QGraphicsView *>()) {
        pages->setAccessibleName(m_preview->accessibleName());
        pages->viewport()->setAccessibleName(m_preview->accessibleName());
    }
    SetAccessibleName(m_pageNumber, "0480", "Page");
    // The viewer's own commands, with ids of their own; the zoom buttons keep their signs.
    static const struct
    {
        const char *Action;
        const char *Id;
        const char *Default;
        bool Sign;
    } viewer[] = {
        {"crvFirst", "0442", "First page", false},
        {"crvPrevious", "0443", "Previous page", false},
        {"crvNext", "0444", "Next page", false},
        {"crvLast", "0445", "Last page", false},
        {"crvZoomOut", "0446", "Zoom out", true},
        {"crvZoomIn", "0447", "Zoom in", true},
        {"crvFitWidth", "0448", "Fit width", false},
        {"crvFitPage", "0449", "Whole page", false},
        {"crvPrint", "0159", "Print", false},
    };
    for (const auto &command : viewer) {
        QAction *action = findChild<QAction *>(QLatin1String(command.Action));
        const QString text = GetLangText(QLatin1String(command.Id), QLatin1String(command.Default));
        if (!command.Sign)
            action->setText(text);
        setTip(action, text);
    }
}

bool frmPrint::LoadReport()
{
    std::shared_ptr<Recordset> rsClerk;
    try {
        rsClerk = GetRecordset(Session().gstrConnection, cryClerk::SourceQuery());
        if (!rsClerk)
            throw ArdentaError(QStringLiteral("The staff list could not be read"));
        if (rsClerk->RecordCount() <= 0) {
            rsClerk.reset();
            MsgInfo(QStringLiteral("No Record!"));
            return false;
        }
        mobjReport->DiscardSavedData();
        mobjReport->SetDataSource(rsClerk);
        mobjReport->ReadRecords();
        m_preview->updatePreview();
        m_preview->setCurrentPage(1);
        rsClerk.reset(); // the report keeps its own
        return true;
    } catch (const std::exception &error) {
        rsClerk.reset();
        if (mobjReport)
            mobjReport->DiscardSavedData();
        LogFailure(error, QStringLiteral("LoadReport"), QStringLiteral("frmPrint"), QString());
        return false;
    }
}

void frmPrint::setReportActionsEnabled(bool enabled)
{
    m_actPrint->setEnabled(enabled);
    m_actExport->setEnabled(enabled);
    m_viewerPrint->setEnabled(enabled);
}

void frmPrint::paintPreview(QPrinter *printer)
{
    if (!mobjReport || !mobjReport->HasData())
        return;
    try {
        mobjReport->Render(printer);
    } catch (const std::exception &error) {
        LogFailure(error, QStringLiteral("crvMain_Paint"), QStringLiteral("frmPrint"), QString());
    }
}

void frmPrint::updatePageControls()
{
    const int pages = m_preview->pageCount();
    const QSignalBlocker blocker(m_pageNumber);
    m_pageNumber->setRange(pages > 0 ? 1 : 0, pages);
    m_pageNumber->setValue(m_preview->currentPage());
    m_pageCount->setText(QStringLiteral(" / %1 ").arg(pages));
}

void frmPrint::tlbMain_ButtonClick(QAction *button)
{
    const QString key = button->objectName();
    if (key == QLatin1String("Print")) {
        bool flag = false;
        crvMain_PrintButtonClicked(flag);
    } else if (key == QLatin1String("Export")) {
        exportReport();
    } else if (key == QLatin1String("Exit")) {
        close();
    }
}

void frmPrint::crvMain_PrintButtonClicked(bool &UseDefault)
{
    // The viewer never prints by itself: always through the dialog below.
    UseDefault = false;
    if (!mobjReport || !mobjReport->HasData())
        return;
    // Without a queue the dialog can only print to a file: say so rather than leave the user
    // looking for his printer.
    const QStringList printers = QPrinterInfo::availablePrinterNames();
    if (printers.isEmpty())
        MsgInfo(GetLangText(QStringLiteral("0470"),
                            QStringLiteral("No printer is set up; the print dialog can still "
                                           "print to a PDF file.")),
                this);
    // A queue added or removed since the dialog was made: a new dialog lists the queues as they
    // are, starting on the default one.
    if (m_printDialog && printers != m_dialogPrinters) {
        delete m_printDialog;
        m_printDialog = nullptr;
        if (!printers.isEmpty()) {
            m_printer->setOutputFormat(QPrinter::NativeFormat);
            m_printer->setPrinterName(QPrinterInfo::defaultPrinterName());
        }
    }
    if (!m_printDialog) {
        m_dialogPrinters = printers;
        m_printDialog = new QPrintDialog(m_printer.get(), this);
        m_printDialog->setObjectName(QStringLiteral("dlgPrint"));
    }
    m_printer->setPageLayout(mobjReport->PageLayout());
    m_printer->setPrintRange(QPrinter::AllPages);
    m_printDialog->setMinMax(1, mobjReport->PageCount());
    m_printDialog->setOption(QAbstractPrintDialog::PrintPageRange);
    if (m_printDialog->exec() != QDialog::Accepted || !mobjReport)
        return;
    int first = 1;
    int last = mobjReport->PageCount();
    if (m_printer->printRange() == QPrinter::PageRange && m_printer->fromPage() > 0) {
        first = m_printer->fromPage();
        last = m_printer->toPage();
    } else if (m_printer->printRange() == QPrinter::CurrentPage) {
        first = last = m_preview->currentPage();
    }
    try {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        mobjReport->Render(m_printer.get(), first, last);
        QGuiApplication::restoreOverrideCursor();
    } catch (const std::exception &error) {
        QGuiApplication::restoreOverrideCursor();
        LogFailure(error, QStringLiteral("crvMain_PrintButtonClicked"), QStringLiteral("frmPrint"),
                   QString());
        MsgCritical(ErrorText(error), this);
    }
}

void frmPrint::exportReport()
{
    if (!mobjReport || !mobjReport->HasData())
        return;
    const QString pdf = QStringLiteral("PDF (*.pdf)");
    const QString csv = QStringLiteral("CSV (*.csv)");
    QString filter = pdf;
    // Proposed afresh each time: nothing is kept between exports.
    QString fileName = QFileDialog::getSaveFileName(this, m_actExport->text().remove(u'&'),
                                                    DefaultExportPath(*mobjReport, Today()),
                                                    pdf % QStringLiteral(";;") % csv, &filter);
    if (fileName.isEmpty())
        return;
    const bool asCsv =
        filter == csv || fileName.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive);
    const QString suffix = asCsv ? QStringLiteral(".csv") : QStringLiteral(".pdf");
    if (!fileName.endsWith(suffix, Qt::CaseInsensitive))
        fileName += suffix;
    const bool done = asCsv ? ExportCsv(fileName) : ExportPdf(fileName);
    if (!done)
        MsgCritical(QStringLiteral("Cannot export to %1. Errlog.txt tells why.").arg(fileName),
                    this);
}

bool frmPrint::ExportPdf(const QString &fileName)
{
    try {
        if (!mobjReport)
            throw ArdentaError(QStringLiteral("The report is not loaded"));
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        ExportReportPdf(*mobjReport, fileName);
        QGuiApplication::restoreOverrideCursor();
        return true;
    } catch (const std::exception &error) {
        if (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
        LogFailure(error, QStringLiteral("ExportPdf"), QStringLiteral("frmPrint"), QString());
        return false;
    }
}

bool frmPrint::ExportCsv(const QString &fileName)
{
    try {
        if (!mobjReport)
            throw ArdentaError(QStringLiteral("The report is not loaded"));
        ExportReportCsv(*mobjReport, fileName);
        return true;
    } catch (const std::exception &error) {
        LogFailure(error, QStringLiteral("ExportCsv"), QStringLiteral("frmPrint"), QString());
        return false;
    }
}

void frmPrint::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmPrint::Form_Resize()
{
    tlbMain->setGeometry(0, 0, width(), TwipsToPixels(toolbarTop));
    // Each step on its own: a minimised window gives negative sizes, which are skipped.
    const int viewerWidth = width() - TwipsToPixels(50);
    if (viewerWidth >= 0)
        crvMain->setGeometry(0, TwipsToPixels(toolbarTop), viewerWidth, crvMain->height());
    const int viewerHeight = height() - TwipsToPixels(800);
    if (viewerHeight >= 0)
        crvMain->setGeometry(0, TwipsToPixels(toolbarTop), crvMain->width(), viewerHeight);
}

void frmPrint::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void frmPrint::Form_Unload()
{
    mobjReport.reset();
    setReportActionsEnabled(false);
    forget(this);
}
