// Report definitions: any JSON is refused with a reason or laid out, and its pages paint, over
// rows with empty, long and Chinese values.

#include "print/Report.h"
#include "common/ArdentaError.h"
#include "db/Recordset.h"
#include "FuzzSupport.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed, as in a running program: torn down at exit, Qt leaves its FreeType faces
    // unreachable and LeakSanitizer reports them.
    new QGuiApplication(*argc, *argv);
    return 0;
}

namespace {

// Three rows holding a value for every column the definition shows or groups by.
std::shared_ptr<Recordset> RowsFor(const ReportDefinition &definition)
{
    QStringList columns{definition.GroupColumn};
    for (const ReportSection &section : definition.Sections) {
        for (const ReportObject &object : section.Objects)
            if (object.Kind == ObjectKind::Field && !columns.contains(object.Column))
                columns << object.Column;
    }
    auto rows = std::make_shared<Recordset>(columns);
    const QVariant values[] = {QVariant(), QString(300, u'W'), QStringLiteral("研发部 张三")};
    for (int column = 0; column < columns.size(); ++column)
        for (const QVariant &value : values)
            rows->column(column).append(value);
    return rows;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ReportDefinition definition;
    try {
        definition = ReportDefinition::fromJson(
            QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    } catch (const ArdentaError &) {
        return 0;
    }
    definition.layoutProblems();
    Report report(definition);
    report.SetPrintDate(QDate(2026, 12, 6));
    report.SetDataSource(RowsFor(definition));
    try {
        report.ReadRecords();
    } catch (const ArdentaError &) {
        return 0;
    }
    if (report.PageCount() > 0) {
        report.PageTexts(1);
        QImage page(200, 280, QImage::Format_RGB32);
        QPainter painter(&page);
        report.PaintPage(painter, 1);
    }
    return 0;
}
