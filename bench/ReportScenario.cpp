#include "ReportScenario.h"

#include "BenchSupport.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "Measurement.h"
#include "print/cryClerk.h"
#include "print/Report.h"
#include "print/ReportExport.h"
#include "ScenarioSteps.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>

namespace {

const QString ReportSql = cryClerk::SourceQuery();

// The report's strings drawn where the report places them, with nothing else: no layout, no
// lookups, no eliding, no lines or shading.
double BarePainter(const Report &report, const QString &file)
{
    QElapsedTimer timer;
    timer.start();
    QPdfWriter writer(file);
    writer.setPageLayout(report.PageLayout());
    QPainter painter(&writer);
    const double scale = writer.logicalDpiX() / 25.4;
    for (int page = 1; page <= report.PageCount(); ++page) {
        if (page > 1)
            writer.newPage();
        for (const Report::PlacedText &text : report.PageTexts(page)) {
            painter.setFont(text.Font);
            const QRectF &r = text.Rect;
            painter.drawText(
                QRectF(r.x() * scale, r.y() * scale, r.width() * scale, r.height() * scale),
                int(text.Align) | Qt::TextSingleLine, text.Text);
        }
    }
    painter.end();
    return Seconds(timer);
}

} // namespace

void ReportPdf(const ScenarioSetup &setup, Measurement &m, const BenchHome &home)
{
    const QString file = home.path() + QStringLiteral("/staff.pdf");
    cryClerk laidOut;
    laidOut.SetDataSource(GetRecordset(setup.connection, ReportSql));
    laidOut.ReadRecords();
    m.baseline([&] {
        return BareFetch(setup.connection, ReportSql) +
               BarePainter(laidOut, home.path() + QStringLiteral("/bare.pdf"));
    });
    int pages = 0;
    m.module([&] {
        QFile::remove(file);
        QElapsedTimer timer;
        timer.start();
        // As the preview window loads it and its Export writes it.
        cryClerk report;
        std::shared_ptr<Recordset> records = GetRecordset(setup.connection, ReportSql);
        m.check(records && records->RecordCount() == setup.n, QStringLiteral("report rows"));
        if (!records)
            return Seconds(timer);
        report.SetDataSource(records);
        report.ReadRecords();
        ExportReportPdf(report, file);
        const double seconds = Seconds(timer);
        pages = report.PageCount();
        m.check(report.RecordCount() == setup.n, QStringLiteral("report record count"));
        return seconds;
    });
    m.check(pages > 0 && QFileInfo(file).size() > 1000, QStringLiteral("PDF written"));
    const double median = m.moduleMedian();
    m.extra().insert(QStringLiteral("pages"), pages);
    m.extra().insert(QStringLiteral("pages_per_s"), median > 0 ? pages / median : 0);
}
