#include "common/CellBlock.h"

namespace {

bool EndsCell(QChar c)
{
    return c == u'\t' || c == u'\n' || c == u'\r';
}

// A quoted cell from the opening quote at `at`: its text, and where the text after the closing
// quote starts; nothing when no quote closes it. A failed scan reaches the end of the text, but
// only once: every quoted cell after it closes within its own run of quotes.
bool ReadQuoted(QStringView text, qsizetype &at, QString &cell)
{
    QString quoted;
    for (qsizetype i = at + 1; i < text.size(); ++i) {
        if (text[i] != u'"') {
            quoted += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == u'"') {
            quoted += u'"';
            ++i;
            continue;
        }
        cell = std::move(quoted);
        at = i + 1;
        return true;
    }
    return false;
}

bool NeedsQuotes(const QString &cell)
{
    for (const QChar c : cell) {
        if (EndsCell(c) || c == u'"')
            return true;
    }
    return false;
}

} // namespace

CellRows CellBlock::ReadTabText(QStringView input)
{
    QString withoutNul;
    if (input.contains(QChar(0))) {
        withoutNul = input.toString();
        withoutNul.remove(QChar(0));
        input = withoutNul;
    }
    CellRows rows;
    QStringList row;
    qsizetype at = 0;
    while (at < input.size()) {
        QString cell;
        if (input[at] == u'"' && !ReadQuoted(input, at, cell))
            cell.clear(); // never closed: the quote is read as it stands
        qsizetype end = at;
        while (end < input.size() && !EndsCell(input[end]))
            ++end;
        cell += input.mid(at, end - at);
        row << cell;
        at = end;
        if (at == input.size())
            break;
        if (input[at] == u'\t') {
            ++at;
            if (at == input.size())
                row << QString(); // a tab at the very end leaves an empty last cell
            continue;
        }
        at += input[at] == u'\r' && at + 1 < input.size() && input[at + 1] == u'\n' ? 2 : 1;
        rows.push_back(std::move(row));
        row = QStringList();
    }
    if (!row.isEmpty())
        rows.push_back(std::move(row));
    return rows;
}

QString CellBlock::WriteTabText(const CellRows &rows)
{
    QString text;
    for (const QStringList &row : rows) {
        for (qsizetype c = 0; c < row.size(); ++c) {
            if (c > 0)
                text += u'\t';
            const QString &cell = row.at(c);
            if (NeedsQuotes(cell))
                text += u'"' + QString(cell).replace(u'"', QLatin1String("\"\"")) + u'"';
            else
                text += cell;
        }
        text += u'\n';
    }
    return text;
}

QString CellBlock::WriteHtml(const CellRows &rows, int headerRows)
{
    QString html = QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body><table>");
    for (size_t r = 0; r < rows.size(); ++r) {
        const QLatin1String tag(int(r) < headerRows ? "th" : "td");
        html += QLatin1String("<tr>");
        for (const QString &cell : rows[r]) {
            QString escaped = cell.toHtmlEscaped();
            escaped.replace(QLatin1String("\r\n"), QLatin1String("<br>"))
                .replace(u'\n', QLatin1String("<br>"))
                .replace(u'\r', QLatin1String("<br>"));
            html += u'<' + tag + u'>' + escaped + QLatin1String("</") + tag + u'>';
        }
        html += QLatin1String("</tr>");
    }
    html += QLatin1String("</table></body></html>");
    return html;
}
