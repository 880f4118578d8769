#include "print/Report.h"

#include "common/ArdentaError.h"
#include "common/Clock.h"
#include "common/Convert.h"
#include "db/Recordset.h"

#include <algorithm>
#include <numeric>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

namespace {

// Inner space between a text and the edges of its box, in millimetres.
constexpr double textPadding = 1.0;

// Report lines are single lines: a stored line break must not push text into the next band.
QString oneLine(QString text)
{
    for (QChar &c : text) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    }
    return text;
}

template <typename Pred>
std::vector<const ReportObject *> textObjects(const ReportDefinition &def, SectionKind kind,
                                              Pred pred)
{
    std::vector<const ReportObject *> objects;
    for (const ReportSection &section : def.Sections) {
        if (section.Kind != kind)
            continue;
        for (const ReportObject &o : section.Objects) {
            if (pred(o))
                objects.push_back(&o);
        }
    }
    std::stable_sort(objects.begin(), objects.end(),
                     [](auto *a, auto *b) { return a->Rect.left() < b->Rect.left(); });
    return objects;
}

} // namespace

Report::Report(ReportDefinition definition) : m_def(std::move(definition)) {}

ReportTextObject &Report::TextObject(const QString &name)
{
    return const_cast<ReportTextObject &>(std::as_const(*this).TextObject(name));
}

const ReportTextObject &Report::TextObject(const QString &name) const
{
    for (const ReportSection &section : m_def.Sections) {
        for (const ReportObject &o : section.Objects) {
            if (o.showsText() && o.Object.Name == name)
                return o.Object;
        }
    }
    throw ArdentaError(QStringLiteral("The report has no text object \"%1\"").arg(name));
}

QString Report::Title() const
{
    for (const ReportSection &section : m_def.Sections) {
        for (const ReportObject &o : section.Objects) {
            if (section.Kind == SectionKind::ReportHeader && o.Kind == ObjectKind::Text &&
                !o.Object.Text.trimmed().isEmpty())
                return o.Object.Text.trimmed();
        }
    }
    return m_def.Name;
}

void Report::DiscardSavedData()
{
    m_records.reset();
    m_order.clear();
    m_pages.clear();
}

void Report::SetDataSource(std::shared_ptr<Recordset> records)
{
    DiscardSavedData();
    m_records = std::move(records);
}

qsizetype Report::RecordCount() const
{
    return m_records ? m_records->RecordCount() : 0;
}

void Report::ReadRecords()
{
    m_order.clear();
    m_pages.clear();
    if (!m_records)
        throw ArdentaError(QStringLiteral("The report has no data source"));
    // Each column is looked up once per report, not once per cell.
    const auto columnOf = [this](const QString &name) {
        const int column = m_records->FieldIndex(name);
        if (column < 0)
            throw ArdentaError(QStringLiteral("The report's data has no column \"%1\"").arg(name));
        return column;
    };
    m_fieldColumns.clear();
    for (const ReportSection &section : m_def.Sections) {
        for (const ReportObject &o : section.Objects) {
            if (o.Kind == ObjectKind::Field)
                m_fieldColumns[&o] = columnOf(o.Column);
        }
    }
    m_groupColumn = m_def.GroupColumn.isEmpty() ? -1 : columnOf(m_def.GroupColumn);

    m_order.resize(size_t(m_records->RecordCount()));
    std::iota(m_order.begin(), m_order.end(), qsizetype(0));
    if (m_groupColumn >= 0) {
        // Stable, so that rows keep the view's order inside their group.
        std::vector<QString> keys(m_order.size());
        for (size_t i = 0; i < keys.size(); ++i)
            keys[i] = TrimBlanks(m_records->text(qsizetype(i), m_groupColumn));
        std::stable_sort(m_order.begin(), m_order.end(),
                         [&keys](qsizetype a, qsizetype b) { return keys[a] < keys[b]; });
    }
    if (m_printDate.isNull())
        m_printDate = Today();
    m_printDateText = m_printDate.toString(m_def.DateFormat);
    layOut();
}

QString Report::groupValue(qsizetype row) const
{
    if (m_groupColumn < 0)
        return {};
    return TrimBlanks(m_records->text(m_order[size_t(row)], m_groupColumn));
}

void Report::layOut()
{
    if (m_order.empty())
        return;
    const double bottomOfPage = m_def.bodySize().height();
    double footerHeight = 0;
    for (const ReportSection &s : m_def.Sections) {
        if (s.Kind == SectionKind::PageFooter)
            footerHeight += s.Height;
    }
    const double bottom = bottomOfPage - footerHeight;

    double y = 0;
    bool pageHasBody = false;
    auto heightOf = [this](SectionKind kind) {
        double h = 0;
        for (const ReportSection &s : m_def.Sections) {
            if (s.Kind == kind)
                h += s.Height;
        }
        return h;
    };
    auto place = [&](SectionKind kind, qsizetype record, qsizetype serial, bool continued) {
        for (int i = 0; i < int(m_def.Sections.size()); ++i) {
            const ReportSection &s = m_def.Sections[size_t(i)];
            if (s.Kind != kind)
                continue;
            m_pages.back().push_back(
                {i, record, y, serial, serial % 2 == 0 && serial > 0, continued});
            y += s.Height;
        }
    };
    auto startPage = [&] {
        const bool first = m_pages.empty();
        m_pages.emplace_back();
        y = 0;
        pageHasBody = false;
        if (first)
            place(SectionKind::ReportHeader, 0, 0, false);
        place(SectionKind::PageHeader, -1, 0, false);
    };
    // A band that does not fit goes to a new page, unless the page is still empty: an oversized
    // band is printed (and reported by the layout check) rather than looping for ever.
    auto placeBody = [&](SectionKind kind, qsizetype record, qsizetype serial, double needed) {
        if (y + needed > bottom + 1e-9 && pageHasBody)
            startPage();
        place(kind, record, serial, false);
        pageHasBody = true;
    };

    startPage();
    const double detailHeight = heightOf(SectionKind::Detail);
    const double groupHeaderHeight = heightOf(SectionKind::GroupHeader);
    QString previousGroup;
    for (qsizetype row = 0; row < qsizetype(m_order.size()); ++row) {
        const QString group = groupValue(row);
        if (!m_def.GroupColumn.isEmpty() && (row == 0 || group != previousGroup)) {
            if (row > 0)
                placeBody(SectionKind::GroupFooter, row - 1, 0, heightOf(SectionKind::GroupFooter));
            // The group header stays with its first line.
            placeBody(SectionKind::GroupHeader, row, 0, groupHeaderHeight + detailHeight);
        } else if (!m_def.GroupColumn.isEmpty() && y + detailHeight > bottom + 1e-9) {
            // A group that goes on over a page break is headed again there, marked continued.
            startPage();
            place(SectionKind::GroupHeader, row, 0, true);
        }
        previousGroup = group;
        placeBody(SectionKind::Detail, row, row + 1, detailHeight);
    }
    if (!m_def.GroupColumn.isEmpty())
        placeBody(SectionKind::GroupFooter, qsizetype(m_order.size()) - 1, 0,
                  heightOf(SectionKind::GroupFooter));
    placeBody(SectionKind::ReportFooter, -1, 0, heightOf(SectionKind::ReportFooter));

    for (auto &page : m_pages) {
        double top = bottom;
        for (int i = 0; i < int(m_def.Sections.size()); ++i) {
            const ReportSection &s = m_def.Sections[size_t(i)];
            if (s.Kind == SectionKind::PageFooter) {
                page.push_back({i, -1, top, 0, false});
                top += s.Height;
            }
        }
    }
}

// Each placeholder is filled only where the template has it.
QString Report::specialText(const QString &pattern, const Band &band, int page) const
{
    if (!pattern.contains(u'{'))
        return pattern;
    if (pattern == QLatin1String("{SerialNumber}")) // the one on every detail line
        return QString::number(band.Serial);
    QString text = pattern;
    const auto fill = [&text](QLatin1String name, const auto &value) {
        if (text.contains(name))
            text.replace(name, value());
    };
    fill(QLatin1String("{SerialNumber}"), [&] { return QString::number(band.Serial); });
    fill(QLatin1String("{PageNumber}"), [&] { return QString::number(page); });
    fill(QLatin1String("{PageCount}"), [&] { return QString::number(PageCount()); });
    fill(QLatin1String("{PrintDate}"), [&] { return m_printDateText; });
    fill(QLatin1String("{GroupValue}"),
         [&] { return band.Record >= 0 ? groupValue(band.Record) : QString(); });
    return text;
}

QString Report::objectText(const ReportObject &o, const Band &band, int page) const
{
    switch (o.Kind) {
    case ObjectKind::Text:
        return o.Object.Text;
    case ObjectKind::Field: {
        if (band.Record < 0 || !m_records)
            return {};
        const QString value =
            TrimBlanks(m_records->text(m_order[size_t(band.Record)], m_fieldColumns.at(&o)));
        return band.Continued ? value + u' ' + m_continuedText : value;
    }
    case ObjectKind::Special:
        return specialText(o.Object.Text, band, page);
    case ObjectKind::Line:
    case ObjectKind::Box:
        break;
    }
    return {};
}

void Report::Render(QPagedPaintDevice *device, int first, int last) const
{
    if (!HasData())
        throw ArdentaError(QStringLiteral("The report has no data to print"));
    if (last <= 0 || last > PageCount())
        last = PageCount();
    first = std::max(first, 1);
    device->setPageLayout(PageLayout());
    QPainter painter;
    if (!painter.begin(device))
        throw ArdentaError(QStringLiteral("Cannot paint on the output device"));
    for (int page = first; page <= last; ++page) {
        if (page > first && !device->newPage())
            throw ArdentaError(QStringLiteral("Cannot start a new page on the output device"));
        PaintPage(painter, page);
    }
    painter.end();
}

void Report::PaintPage(QPainter &painter, int page) const
{
    if (page < 1 || page > PageCount())
        return;
    const double dx = painter.device()->logicalDpiX() / 25.4;
    const double dy = painter.device()->logicalDpiY() / 25.4;
    const double width = m_def.bodySize().width();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (const Band &band : m_pages[size_t(page - 1)]) {
        const ReportSection &section = m_def.Sections[size_t(band.Section)];
        const double top = band.Top * dy;
        if (band.Alternate && section.AlternateBackground.isValid())
            painter.fillRect(QRectF(0, top, width * dx, section.Height * dy),
                             section.AlternateBackground);
        for (const ReportObject &o : section.Objects) {
            const QRectF rect(o.Rect.x() * dx, top + o.Rect.y() * dy, o.Rect.width() * dx,
                              o.Rect.height() * dy);
            switch (o.Kind) {
            case ObjectKind::Box:
                painter.fillRect(rect, o.Color);
                break;
            case ObjectKind::Line:
                painter.setPen(QPen(o.Color, o.Thickness * dy, Qt::SolidLine, Qt::FlatCap));
                painter.drawLine(rect.topLeft(), rect.topRight());
                break;
            default: {
                painter.setFont(o.Object.Font);
                painter.setPen(o.Color);
                const QRectF inner = rect.adjusted(textPadding * dx, 0, -textPadding * dx, 0);
                QString text = oneLine(objectText(o, band, page));
                // Only a text that does not fit is elided: that means shaping it once more.
                TextWidths &widths =
                    m_widths
                        .try_emplace({&o.Object.Font, painter.device()->logicalDpiX()},
                                     o.Object.Font, painter.device())
                        .first->second;
                if (!widths.fits(text, inner.width()))
                    text = widths.metrics().elidedText(text, Qt::ElideRight, inner.width());
                // Clipped to its box: a font taller than planned must not spill over.
                painter.drawText(inner, int(o.Align) | Qt::TextSingleLine, text);
                break;
            }
            }
        }
    }
    painter.restore();
}

std::vector<Report::PlacedText> Report::PageTexts(int page) const
{
    std::vector<PlacedText> texts;
    if (page < 1 || page > PageCount())
        return texts;
    for (const Band &band : m_pages[size_t(page - 1)]) {
        for (const ReportObject &o : m_def.Sections[size_t(band.Section)].Objects) {
            if (o.showsText())
                texts.push_back({o.Rect.translated(0, band.Top), o.Object.Font, o.Align,
                                 objectText(o, band, page)});
        }
    }
    return texts;
}

QStringList Report::CaptionRow() const
{
    QStringList captions;
    for (const ReportObject *o : textObjects(m_def, SectionKind::GroupHeader,
                                             [](auto &o) { return o.Kind == ObjectKind::Text; }))
        captions << o->Object.Text;
    if (!m_def.GroupColumn.isEmpty())
        captions.insert(std::min(qsizetype(1), captions.size()),
                        m_groupCaption.isEmpty() ? m_def.GroupColumn : m_groupCaption);
    return captions;
}

std::vector<QStringList> Report::DetailRows() const
{
    std::vector<QStringList> rows;
    const auto objects =
        textObjects(m_def, SectionKind::Detail, [](auto &o) { return o.showsText(); });
    rows.reserve(m_order.size());
    for (qsizetype row = 0; row < qsizetype(m_order.size()); ++row) {
        const Band band{0, row, 0, row + 1, false};
        QStringList values;
        for (const ReportObject *o : objects)
            values << objectText(*o, band, 0);
        if (!m_def.GroupColumn.isEmpty())
            values.insert(std::min(qsizetype(1), values.size()), groupValue(row));
        rows.push_back(values);
    }
    return rows;
}
