#pragma once
// A banded report as stored: page setup, a grouping column and the sections with their objects.
// Lengths are millimetres; an object's position is relative to its section's top left corner
// inside the page margins.

#include "print/ReportTextObject.h"

#include <QColor>
#include <QMarginsF>
#include <QPageLayout>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <vector>

enum class SectionKind {
    ReportHeader,
    PageHeader,
    GroupHeader,
    Detail,
    GroupFooter,
    ReportFooter,
    PageFooter
};

enum class ObjectKind {
    Text,    // a fixed caption
    Field,   // the value of a record-set column
    Special, // a text with {SerialNumber}, {PageNumber}, {PageCount}, {PrintDate}, {GroupValue}
    Line,    // a horizontal rule along the top of the rectangle
    Box      // a filled rectangle
};

struct ReportObject
{
    ObjectKind Kind = ObjectKind::Text;
    // Name and Font of every object that shows text; Text is the caption or the template.
    ReportTextObject Object;
    QString Column; // Field objects: the column they show
    QRectF Rect;
    Qt::Alignment Align = Qt::AlignLeft | Qt::AlignVCenter;
    QColor Color = Qt::black; // text, line or fill colour
    double Thickness = 0.2;   // Line objects

    bool showsText() const { return Kind != ObjectKind::Line && Kind != ObjectKind::Box; }
};

struct ReportSection
{
    QString Name;
    SectionKind Kind = SectionKind::Detail;
    double Height = 0;
    QColor AlternateBackground; // Detail: shading of every second line when valid
    std::vector<ReportObject> Objects;
};

struct ReportDefinition
{
    QString Name;
    QPageSize::PageSizeId PageSize = QPageSize::A4;
    QPageLayout::Orientation Orientation = QPageLayout::Portrait;
    QMarginsF Margins{15, 15, 15, 15};
    QString GroupColumn;
    QString DateFormat = QStringLiteral("yyyy-MM-dd");
    std::vector<ReportSection> Sections;

    QPageLayout pageLayout() const;
    // The printable width and height inside the margins.
    QSizeF bodySize() const;

    // Reads the JSON form; throws ArdentaError naming what is wrong.
    static ReportDefinition fromJson(const QByteArray &json);
    static ReportDefinition fromFile(const QString &fileName);

    // Objects that leave the printable width or their section, or overlap another text in
    // the same section. Empty when the layout is sound.
    QStringList layoutProblems() const;
};
