#pragma once
// A report object: a definition, the caller's rows, and the pages they make. The pages are laid
// out once when the records are read, so every device (preview, printer, PDF) gets the same ones.

#include "print/ReportDefinition.h"
#include "print/TextWidths.h"

#include <map>
#include <memory>
#include <QDateTime>

class QPagedPaintDevice;
class QPainter;
class Recordset;

class Report
{
public:
    explicit Report(ReportDefinition definition);
    virtual ~Report() = default;

    const ReportDefinition &Definition() const { return m_def; }
    // A text object by name, for setting its text and font; throws ArdentaError when missing.
    ReportTextObject &TextObject(const QString &name);
    const ReportTextObject &TextObject(const QString &name) const;

    // Forgets rows and pages from an earlier run.
    void DiscardSavedData();
    // The rows to show; the report keeps its own reference.
    void SetDataSource(std::shared_ptr<Recordset> records);
    // Orders the rows by the group column and lays out the pages. Throws ArdentaError when a
    // column the report shows is missing from the rows.
    void ReadRecords();
    bool HasData() const { return !m_pages.empty(); }
    qsizetype RecordCount() const;

    // The report's title: the first text of its report header, else the definition's name.
    QString Title() const;

    // Follows the group value in a group header repeated on a new page (default "(continued)").
    void SetContinuedText(const QString &text) { m_continuedText = text; }
    // The caption of the group column in CaptionRow (default: the column's name).
    void SetGroupCaption(const QString &text) { m_groupCaption = text; }

    // The date printed on the pages; the clock's today when the records are read, unless set.
    void SetPrintDate(const QDate &date) { m_printDate = date; }
    QDate PrintDate() const { return m_printDate; }

    int PageCount() const { return int(m_pages.size()); }
    QPageLayout PageLayout() const { return m_def.pageLayout(); }
    // Paints pages first..last (1-based, 0 meaning the last page) on a device whose page
    // layout it sets to the report's own.
    void Render(QPagedPaintDevice *device, int first = 1, int last = 0) const;
    // Paints one page; the painter's origin is the top left corner inside the margins.
    void PaintPage(QPainter &painter, int page) const;

    // The texts of one page as laid out: where each text object stands (millimetres from the
    // top left inside the margins), its font and alignment, and the text before eliding.
    struct PlacedText
    {
        QRectF Rect;
        QFont Font;
        Qt::Alignment Align;
        QString Text;
    };
    std::vector<PlacedText> PageTexts(int page) const;

    // The detail lines as a table: the captions over the detail values (the group header's
    // text objects, left to right) and the values of each line in report order; the group
    // value follows the first column (the serial number).
    QStringList CaptionRow() const;
    std::vector<QStringList> DetailRows() const;

private:
    struct Band
    {
        int Section;      // index into the definition's sections
        qsizetype Record; // index into m_order, -1 for none
        double Top;       // millimetres below the top margin
        qsizetype Serial; // running number of the detail line, 0 elsewhere
        bool Alternate;
        bool Continued = false; // a group header repeated on the group's next page
    };

    QString groupValue(qsizetype row) const;
    QString objectText(const ReportObject &o, const Band &band, int page) const;
    QString specialText(const QString &pattern, const Band &band, int page) const;
    void layOut();

    ReportDefinition m_def;
    std::shared_ptr<Recordset> m_records;
    std::vector<qsizetype> m_order; // record indices in report order
    std::vector<std::vector<Band>> m_pages;
    QDate m_printDate;
    QString m_printDateText;
    QString m_continuedText = QStringLiteral("(continued)");
    QString m_groupCaption;
    std::map<const ReportObject *, int> m_fieldColumns; // the column of each field object
    int m_groupColumn = -1;
    // Character advances by text object and resolution of the device painted on.
    mutable std::map<std::pair<const QFont *, int>, TextWidths> m_widths;
};
