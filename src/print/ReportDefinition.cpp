#include "print/ReportDefinition.h"

#include "common/ArdentaError.h"

#include <QFile>
#include <QFontMetricsF>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

SectionKind sectionKind(const QString &kind)
{
    static const std::pair<const char *, SectionKind> kinds[] = {
        {"ReportHeader", SectionKind::ReportHeader}, {"PageHeader", SectionKind::PageHeader},
        {"GroupHeader", SectionKind::GroupHeader},   {"Detail", SectionKind::Detail},
        {"GroupFooter", SectionKind::GroupFooter},   {"ReportFooter", SectionKind::ReportFooter},
        {"PageFooter", SectionKind::PageFooter}};
    for (const auto &[name, value] : kinds) {
        if (kind == QLatin1String(name))
            return value;
    }
    throw ArdentaError(QStringLiteral("Unknown section kind \"%1\"").arg(kind));
}

ObjectKind objectKind(const QString &kind)
{
    static const std::pair<const char *, ObjectKind> kinds[] = {{"text", ObjectKind::Text},
                                                                {"field", ObjectKind::Field},
                                                                {"special", ObjectKind::Special},
                                                                {"line", ObjectKind::Line},
                                                                {"box", ObjectKind::Box}};
    for (const auto &[name, value] : kinds) {
        if (kind == QLatin1String(name))
            return value;
    }
    throw ArdentaError(QStringLiteral("Unknown object kind \"%1\"").arg(kind));
}

Qt::Alignment alignment(const QString &align)
{
    if (align == QLatin1String("center"))
        return Qt::AlignHCenter | Qt::AlignVCenter;
    if (align == QLatin1String("right"))
        return Qt::AlignRight | Qt::AlignVCenter;
    return Qt::AlignLeft | Qt::AlignVCenter;
}

QFont font(const QJsonObject &json)
{
    QFont f(json.value(QLatin1String("family")).toString(QStringLiteral("Sans Serif")));
    f.setPointSizeF(json.value(QLatin1String("size")).toDouble(9));
    f.setBold(json.value(QLatin1String("bold")).toBool());
    f.setItalic(json.value(QLatin1String("italic")).toBool());
    return f;
}

QColor color(const QJsonValue &value, const QColor &fallback)
{
    if (!value.isString())
        return fallback;
    const QColor c = QColor::fromString(value.toString());
    if (!c.isValid())
        throw ArdentaError(QStringLiteral("Invalid colour \"%1\"").arg(value.toString()));
    return c;
}

ReportObject readObject(const QJsonObject &json)
{
    ReportObject o;
    o.Kind = objectKind(json.value(QLatin1String("kind")).toString());
    o.Object.Name = json.value(QLatin1String("name")).toString();
    o.Object.Text = json.value(QLatin1String("text")).toString();
    o.Object.Font = font(json.value(QLatin1String("font")).toObject());
    o.Column = json.value(QLatin1String("column")).toString();
    o.Rect =
        QRectF(json.value(QLatin1String("x")).toDouble(), json.value(QLatin1String("y")).toDouble(),
               json.value(QLatin1String("width")).toDouble(),
               json.value(QLatin1String("height")).toDouble());
    o.Align = alignment(json.value(QLatin1String("align")).toString());
    o.Color = color(json.value(QLatin1String("color")), Qt::black);
    o.Thickness = json.value(QLatin1String("thickness")).toDouble(0.2);
    if (o.Kind == ObjectKind::Field && o.Column.isEmpty())
        throw ArdentaError(QStringLiteral("Field object \"%1\" has no column").arg(o.Object.Name));
    if (o.Rect.width() <= 0 || (o.Kind != ObjectKind::Line && o.Rect.height() <= 0))
        throw ArdentaError(QStringLiteral("Object \"%1\" has no size").arg(o.Object.Name));
    return o;
}

// The height of a line of text in millimetres, measured at printer resolution.
double textHeight(const QFont &f)
{
    constexpr int dpi = 1200;
    QImage device(1, 1, QImage::Format_Mono);
    device.setDotsPerMeterX(qRound(dpi / 0.0254));
    device.setDotsPerMeterY(qRound(dpi / 0.0254));
    const QFontMetricsF metrics(f, &device);
    return (metrics.ascent() + metrics.descent()) * 25.4 / dpi;
}

} // namespace

QPageLayout ReportDefinition::pageLayout() const
{
    return QPageLayout(QPageSize(PageSize), Orientation, Margins, QPageLayout::Millimeter);
}

QSizeF ReportDefinition::bodySize() const
{
    return pageLayout().paintRect(QPageLayout::Millimeter).size();
}

ReportDefinition ReportDefinition::fromJson(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (!doc.isObject())
        throw ArdentaError(QStringLiteral("Report definition is not valid JSON: ") %
                           error.errorString());
    const QJsonObject root = doc.object();

    ReportDefinition def;
    def.Name = root.value(QLatin1String("name")).toString();
    const QJsonObject page = root.value(QLatin1String("page")).toObject();
    if (page.value(QLatin1String("size")).toString(QStringLiteral("A4")) != QLatin1String("A4"))
        throw ArdentaError(QStringLiteral("Only A4 paper is supported"));
    def.Orientation =
        page.value(QLatin1String("orientation")).toString() == QLatin1String("landscape")
            ? QPageLayout::Landscape
            : QPageLayout::Portrait;
    const QJsonArray margins = page.value(QLatin1String("margins")).toArray();
    if (margins.size() == 4) {
        def.Margins = QMarginsF(margins[0].toDouble(), margins[1].toDouble(), margins[2].toDouble(),
                                margins[3].toDouble());
    }
    def.GroupColumn = root.value(QLatin1String("groupColumn")).toString();
    def.DateFormat = root.value(QLatin1String("dateFormat")).toString(def.DateFormat);

    for (const QJsonValue &value : root.value(QLatin1String("sections")).toArray()) {
        const QJsonObject stored = value.toObject();
        ReportSection section;
        section.Name = stored.value(QLatin1String("name")).toString();
        section.Kind = sectionKind(stored.value(QLatin1String("kind")).toString());
        section.Height = stored.value(QLatin1String("height")).toDouble();
        section.AlternateBackground = color(stored.value(QLatin1String("alternateBackground")), {});
        for (const QJsonValue &object : stored.value(QLatin1String("objects")).toArray())
            section.Objects.push_back(readObject(object.toObject()));
        def.Sections.push_back(std::move(section));
    }
    if (def.Sections.empty())
        throw ArdentaError(QStringLiteral("Report definition has no sections"));
    return def;
}

ReportDefinition ReportDefinition::fromFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw ArdentaError(QStringLiteral("Cannot read report definition %1: %2")
                               .arg(fileName, file.errorString()));
    return fromJson(file.readAll());
}

QStringList ReportDefinition::layoutProblems() const
{
    QStringList problems;
    const QSizeF body = bodySize();
    constexpr double slack = 0.01; // rounding of the stored millimetres
    for (const ReportSection &section : Sections) {
        for (size_t i = 0; i < section.Objects.size(); ++i) {
            const ReportObject &o = section.Objects[i];
            const QString where = section.Name % QLatin1Char('.') % o.Object.Name;
            if (o.Rect.left() < -slack || o.Rect.right() > body.width() + slack)
                problems << where % QStringLiteral(" leaves the printable width");
            if (o.Rect.top() < -slack || o.Rect.bottom() > section.Height + slack)
                problems << where % QStringLiteral(" leaves its section");
            if (!o.showsText())
                continue;
            if (textHeight(o.Object.Font) > o.Rect.height() + slack)
                problems << where % QStringLiteral(" is too short for its font");
            for (size_t j = i + 1; j < section.Objects.size(); ++j) {
                const ReportObject &other = section.Objects[j];
                if (other.showsText() &&
                    o.Rect.adjusted(slack, slack, -slack, -slack).intersects(other.Rect))
                    problems << where % QStringLiteral(" overlaps ") % other.Object.Name;
            }
        }
        if (section.Height > body.height())
            problems << section.Name % QStringLiteral(" is taller than the page");
    }
    return problems;
}
