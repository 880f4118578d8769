#pragma once
// Writing a laid-out report to a file. Both throw ArdentaError when the report has no data or
// the file cannot be written.

#include <QDate>
#include <QString>

class Report;

// Where an export is proposed: "<title> <date>.pdf" in the user's documents folder, with the
// characters a file name cannot hold replaced.
QString DefaultExportPath(const Report &report, const QDate &date);

// The report's pages as a PDF document, the same pages the preview shows.
void ExportReportPdf(const Report &report, const QString &fileName);

// The detail lines as CSV: the captions as header, one line per detail line in report order,
// UTF-8 with a byte order mark so that spreadsheets read Chinese, CRLF line ends.
void ExportReportCsv(const Report &report, const QString &fileName);

// One CSV field, quoted when it holds a separator, a quote or a line break.
QString CsvField(const QString &value);
