#include "print/ReportExport.h"

#include "common/ArdentaError.h"
#include "print/Report.h"

#include <QDir>
#include <QFileInfo>
#include <QPdfWriter>
#include <QSaveFile>
#include <QStandardPaths>

void ExportReportPdf(const Report &report, const QString &fileName)
{
    if (!report.HasData())
        throw ArdentaError(QStringLiteral("The report has no data to export"));
    // Written beside the target first, so that a failure leaves an older file intact.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw ArdentaError(QStringLiteral("Cannot write %1: %2").arg(fileName, file.errorString()));
    {
        QPdfWriter writer(&file);
        writer.setTitle(report.Title());
        writer.setCreator(QStringLiteral("QLX_Ardenta"));
        report.Render(&writer);
    }
    if (!file.commit())
        throw ArdentaError(QStringLiteral("Cannot write %1: %2").arg(fileName, file.errorString()));
}

QString DefaultExportPath(const Report &report, const QDate &date)
{
    QString name = report.Title() + u' ' + date.toString(Qt::ISODate);
    for (QChar &c : name) {
        if (c == u'/' || c == u'\\' || c.category() == QChar::Other_Control)
            c = u'_';
    }
    // A file dialog given a folder that does not exist opens in the working folder instead.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    return QDir(folder).filePath(name + QStringLiteral(".pdf"));
}

QString CsvField(const QString &value)
{
    static const QString special = QStringLiteral(",\"\r\n");
    bool quote = false;
    for (QChar c : value)
        quote = quote || special.contains(c);
    if (!quote)
        return value;
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') % quoted % QLatin1Char('"');
}

void ExportReportCsv(const Report &report, const QString &fileName)
{
    if (!report.HasData())
        throw ArdentaError(QStringLiteral("The report has no data to export"));
    auto line = [](const QStringList &fields) -> QString {
        QStringList quoted;
        quoted.reserve(fields.size());
        for (const QString &field : fields)
            quoted << CsvField(field);
        return quoted.join(QLatin1Char(',')) + QLatin1String("\r\n");
    };
    QString text = line(report.CaptionRow());
    for (const QStringList &row : report.DetailRows())
        text += line(row);

    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw ArdentaError(QStringLiteral("Cannot write %1: %2").arg(fileName, file.errorString()));
    file.write("\xEF\xBB\xBF");
    file.write(text.toUtf8());
    if (!file.commit())
        throw ArdentaError(QStringLiteral("Cannot write %1: %2").arg(fileName, file.errorString()));
}
