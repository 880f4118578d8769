#pragma once
// The staff list preview: the cryClerk report in a print preview, with Print, Export and Exit.

#include "widgets/SharedForm.h"

#include <memory>
#include <QPointer>
#include <QStringList>
#include <QWidget>

class QAction;
class QLabel;
class QPrintDialog;
class QPrinter;
class QPrintPreviewWidget;
class QSpinBox;
class QToolBar;
class Recordset;
class cryClerk;

class frmPrint : public QWidget, public SharedForm<frmPrint>
{
    Q_OBJECT
    friend class SharedForm<frmPrint>;

public:
    ~frmPrint() override;

    void SetFormLanuage();
    // Reads Vw_Clerk and hands it to the report; true when the report has data and is shown.
    bool LoadReport();

    // The export routines behind the Export button, usable without the file dialog.
    // Both return false (logged) when the report has no data or the file cannot be written.
    bool ExportPdf(const QString &fileName);
    bool ExportCsv(const QString &fileName);

    // The report the window shows; nullptr after unloading.
    cryClerk *report() const { return mobjReport.get(); }
    // The print dialog the window owns, created on first printing.
    QPrintDialog *printDialog() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    frmPrint();
    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    void tlbMain_ButtonClick(QAction *button);
    // The viewer's and the toolbar's print: always through the print dialog.
    void crvMain_PrintButtonClicked(bool &UseDefault);
    void exportReport();
    void paintPreview(QPrinter *printer);
    void updatePageControls();
    void setReportActionsEnabled(bool enabled);

    QToolBar *tlbMain = nullptr;
    QAction *m_actPrint = nullptr;
    QAction *m_actExport = nullptr;
    QAction *m_actExit = nullptr;
    QWidget *crvMain = nullptr;
    QPrintPreviewWidget *m_preview = nullptr;
    QAction *m_viewerPrint = nullptr;
    QSpinBox *m_pageNumber = nullptr;
    QLabel *m_pageCount = nullptr;
    std::unique_ptr<QPrinter> m_printer; // shared by the preview and the print dialog
    QStringList m_dialogPrinters;        // the queues when the dialog was made
    QPointer<QPrintDialog> m_printDialog;
    std::unique_ptr<cryClerk> mobjReport;
};
