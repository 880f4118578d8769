#include "db/SqlDialect.h"

#include "common/Convert.h"

#include <optional>
#include <QRegularExpression>

namespace {

// One stretch of a statement: code, or something to copy untouched (literal, name, comment).
// A view into the text being cut, which outlives the segments.
struct Segment
{
    QStringView text;
    bool code = true;
    bool comment = false;
};

// A trigger's body holds statements of its own: from CREATE [TEMP] TRIGGER on, a ";" between
// BEGIN and its END (CASE ... END nested) separates nothing. Fed the words of one statement's
// code.
class TriggerBody
{
public:
    void word(QStringView word)
    {
        const auto is = [word](const char *w) {
            return word.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
        };
        if (m_words++ == 0)
            m_create = is("create");
        else if (m_create && !m_trigger && !is("temp") && !is("temporary"))
            m_create = m_trigger = is("trigger");
        if (!m_trigger)
            return;
        if (is("begin") || is("case"))
            ++m_depth;
        else if (is("end") && m_depth > 0)
            --m_depth;
    }
    bool open() const { return m_depth > 0; }
    void reset() { *this = TriggerBody(); }

private:
    int m_words = 0;
    bool m_create = false;
    bool m_trigger = false;
    int m_depth = 0;
};

// Cuts a text into code and non-code segments, and at separators into statements.
// A separator is a ";" in code (not inside a trigger's body when splitAtGo is set, as scripts
// are), and a CR in code when splitAtCr is set; a line reading GO when splitAtGo is set.
class Lexer
{
public:
    static std::vector<std::vector<Segment>> run(const QString &sql, bool splitAtCr, bool splitAtGo)
    {
        // Segments grow by index ranges: a batch of many thousand statements must not be
        // copied character by character.
        struct Span
        {
            qsizetype start;
            qsizetype end;
            bool code;
            bool comment = false;
        };
        std::vector<std::vector<Span>> statements(1);
        // Characters start..end-1, all code or all not.
        auto append = [&](qsizetype start, qsizetype end, bool code, bool comment = false) {
            auto &spans = statements.back();
            if (spans.empty() || spans.back().code != code || spans.back().comment != comment ||
                spans.back().end != start)
                spans.push_back({start, end, code, comment});
            else
                spans.back().end = end;
        };
        TriggerBody trigger;
        auto cut = [&] {
            trigger.reset();
            if (!statements.back().empty())
                statements.emplace_back();
        };
        // The words of code from start to end; one that goes on from before start was seen.
        auto words = [&](qsizetype start, qsizetype end) {
            for (qsizetype w = start; w < end;) {
                if (!partOfName(sql.at(w))) {
                    ++w;
                    continue;
                }
                const qsizetype from = w;
                while (w < end && partOfName(sql.at(w)))
                    ++w;
                if (from == 0 || !partOfName(sql.at(from - 1)))
                    trigger.word(QStringView(sql).mid(from, w - from));
            }
        };

        const qsizetype n = sql.size();
        qsizetype i = 0;
        while (i < n) {
            const QChar c = sql.at(i);
            const QChar next = i + 1 < n ? sql.at(i + 1) : QChar();
            if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('[')) {
                // Literal or quoted name; a doubled closing character stays inside.
                const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
                const qsizetype start = i++;
                while (i < n) {
                    const QChar d = sql.at(i++);
                    if (d == close) {
                        if (i < n && sql.at(i) == close) {
                            ++i;
                            continue;
                        }
                        break;
                    }
                }
                append(start, i, false);
            } else if (const qsizetype quoted = dollarQuoteEnd(sql, i); quoted > i) {
                // PostgreSQL's $tag$ ... $tag$ (a function body): one literal, ";" and all.
                append(i, quoted, false);
                i = quoted;
            } else if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
                const qsizetype start = i;
                while (i < n && sql.at(i) != QLatin1Char('\r') && sql.at(i) != QLatin1Char('\n'))
                    ++i;
                append(start, i, false, true);
            } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
                const qsizetype end = sql.indexOf(QLatin1String("*/"), i + 2);
                const qsizetype stop = end < 0 ? n : end + 2;
                append(i, stop, false, true);
                i = stop;
            } else if (c == QLatin1Char(';') && splitAtGo && trigger.open()) {
                append(i, i + 1, true);
                ++i;
            } else if (c == QLatin1Char(';') || (splitAtCr && c == QLatin1Char('\r'))) {
                cut();
                ++i;
            } else if (splitAtGo && atGoLine(sql, i)) {
                cut();
                i = skipLine(sql, i);
            } else {
                // Plain code runs on up to the next character that may start something else.
                const qsizetype start = i++;
                while (i < n) {
                    const QChar d = sql.at(i);
                    if (d == QLatin1Char('\'') || d == QLatin1Char('"') || d == QLatin1Char('[') ||
                        d == QLatin1Char('-') || d == QLatin1Char('/') || d == QLatin1Char(';') ||
                        d == QLatin1Char('$') || d == QLatin1Char('\r') ||
                        (splitAtGo && sql.at(i - 1) == QLatin1Char('\n')))
                        break;
                    ++i;
                }
                append(start, i, true);
                if (splitAtGo)
                    words(start, i);
            }
        }

        const QStringView text(sql);
        std::vector<std::vector<Segment>> kept;
        kept.reserve(statements.size());
        for (const auto &spans : statements) {
            // Only blanks and comments make an empty statement; a literal alone is the
            // database's to refuse.
            bool hasContent = false;
            for (const auto &span : spans)
                hasContent =
                    hasContent || (!span.code && !span.comment) ||
                    (span.code && !text.mid(span.start, span.end - span.start).trimmed().isEmpty());
            if (!hasContent)
                continue;
            std::vector<Segment> segments;
            segments.reserve(spans.size());
            for (const auto &span : spans)
                segments.push_back(
                    {text.mid(span.start, span.end - span.start), span.code, span.comment});
            kept.push_back(std::move(segments));
        }
        return kept;
    }

private:
    // Past the end of a dollar-quoted text starting at i ($$...$$ or $tag$...$tag$, the tag not
    // starting with a digit); i itself when none starts there. An unclosed one runs to the end.
    // A "$" inside a name (r$b$) starts none, as in PostgreSQL.
    static qsizetype dollarQuoteEnd(const QString &sql, qsizetype i)
    {
        if (sql.at(i) != QLatin1Char('$') || (i > 0 && partOfName(sql.at(i - 1))))
            return i;
        qsizetype j = i + 1;
        while (j < sql.size() && (sql.at(j).isLetterOrNumber() || sql.at(j) == QLatin1Char('_')))
            ++j;
        if (j >= sql.size() || sql.at(j) != QLatin1Char('$') ||
            (j > i + 1 && sql.at(i + 1).isDigit()))
            return i;
        const QStringView tag = QStringView(sql).mid(i, j + 1 - i);
        const qsizetype close = sql.indexOf(tag, j + 1);
        return close < 0 ? sql.size() : close + tag.size();
    }
    static bool partOfName(QChar c)
    {
        return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
    }
    // At the start of a line that holds only "GO" (any case) and blanks.
    static bool atGoLine(const QString &sql, qsizetype i)
    {
        if (i > 0 && sql.at(i - 1) != QLatin1Char('\n'))
            return false;
        const qsizetype end = skipLine(sql, i);
        return sql.mid(i, end - i).trimmed().compare(QLatin1String("GO"), Qt::CaseInsensitive) == 0;
    }
    static qsizetype skipLine(const QString &sql, qsizetype i)
    {
        const qsizetype end = sql.indexOf(QLatin1Char('\n'), i);
        return end < 0 ? sql.size() : end + 1;
    }
};

QString join(const std::vector<Segment> &segments, bool withComments = true)
{
    QString text;
    for (const auto &segment : segments) {
        if (withComments || !segment.comment)
            text += segment.text;
        else
            text += QLatin1Char(' '); // "a/**/b" stays two words
    }
    return text.trimmed();
}

// Most code has nothing to rewrite: each expression of adaptCode needs one of these.
bool needsAdapting(QStringView code, SqlEngine engine)
{
    return code.contains(QLatin1Char('#')) ||
           code.contains(QLatin1String("getdate"), Qt::CaseInsensitive) ||
           (engine == SqlEngine::PostgreSQL &&
            code.contains(QLatin1String("like"), Qt::CaseInsensitive));
}

QString adaptCode(QString code, SqlEngine engine)
{
    static const QRegularExpression getdate(QStringLiteral(R"(\bgetdate\s*\(\s*\))"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression dateLiteral(QStringLiteral(R"(#([^#\r\n]*)#)"));
    static const QRegularExpression like(QStringLiteral(R"(\b(not\s+)?like\b)"),
                                         QRegularExpression::CaseInsensitiveOption);

    code.replace(getdate, engine == SqlEngine::SQLite
                              ? QStringLiteral("strftime('%Y-%m-%d %H:%M:%S','now','localtime')")
                              : QStringLiteral("date_trunc('second',LOCALTIMESTAMP)"));

    QString adapted;
    qsizetype last = 0;
    for (auto it = dateLiteral.globalMatch(code); it.hasNext();) {
        const auto match = it.next();
        const QString moment = DateLiteralText(match.captured(1));
        if (moment.isNull())
            continue; // not a date: the engine will say what is wrong
        adapted += QStringView(code).mid(last, match.capturedStart() - last);
        adapted += QLatin1Char('\'') + moment + QLatin1Char('\'');
        last = match.capturedEnd();
    }
    adapted += QStringView(code).mid(last);

    if (engine == SqlEngine::PostgreSQL)
        adapted.replace(like, QStringLiteral("\\1ILIKE"));
    return adapted;
}

void appendAdapted(QString &text, const Segment &segment, SqlEngine engine)
{
    if (segment.code && needsAdapting(segment.text, engine))
        text += adaptCode(segment.text.toString(), engine);
    else
        text += segment.text;
}

// A text with nothing to cut or rewrite: one statement (a separator may end it), literals only
// in single quotes, no comment, no date literal, no Getdate() or Like. A saved grid is made of
// such statements; they go through whole instead of through the lexer.
std::optional<QString> plainStatement(const QString &sql, SqlEngine engine)
{
    const qsizetype n = sql.size();
    qsizetype end = n;
    bool inLiteral = false;
    const auto word = [&sql](qsizetype i, QLatin1String w) {
        return QStringView(sql).mid(i, w.size()).compare(w, Qt::CaseInsensitive) == 0;
    };
    for (qsizetype i = 0; i < end; ++i) {
        const char16_t c = sql[i].unicode();
        if (inLiteral) {
            if (c == u'\'') {
                if (i + 1 < n && sql[i + 1] == u'\'')
                    ++i;
                else
                    inLiteral = false;
            }
            continue;
        }
        switch (c) {
        case u'\'':
            inLiteral = true;
            break;
        case u'"':
        case u'[':
        case u'#':
        case u'$':
            return std::nullopt;
        case u'-':
        case u'/':
            if (i + 1 < n && sql[i + 1] == (c == u'-' ? u'-' : u'*'))
                return std::nullopt;
            break;
        case u';':
        case u'\r':
            for (qsizetype j = i + 1; j < n; ++j) {
                if (!sql[j].isSpace())
                    return std::nullopt;
            }
            end = i;
            break;
        case u'g':
        case u'G':
            if (word(i, QLatin1String("getdate")))
                return std::nullopt;
            break;
        case u'l':
        case u'L':
            if (engine == SqlEngine::PostgreSQL && word(i, QLatin1String("like")))
                return std::nullopt;
            break;
        default:
            break;
        }
    }
    if (inLiteral)
        return std::nullopt;
    const QStringView statement = QStringView(sql).left(end).trimmed();
    if (statement.isEmpty())
        return std::nullopt;
    // Most often the text itself, shared rather than copied.
    return statement.size() == n ? sql : statement.toString();
}

} // namespace

QStringList SplitBatch(const QString &sql)
{
    QStringList result;
    for (const auto &statement : Lexer::run(sql, true, false))
        result << join(statement);
    return result;
}

QStringList SplitScript(const QString &script)
{
    QStringList result;
    // Without comments: some ODBC drivers look for ";" in the whole text, comments included.
    for (const auto &statement : Lexer::run(script, false, true))
        result << join(statement, false);
    return result;
}

QString AdaptStatement(const QString &statement, SqlEngine engine)
{
    if (engine == SqlEngine::Passthrough)
        return statement;
    QString text;
    for (const auto &segments : Lexer::run(statement, false, false)) {
        if (!text.isEmpty())
            text += QLatin1Char(';');
        for (const auto &segment : segments)
            appendAdapted(text, segment, engine);
    }
    return text.trimmed();
}

QStringList AdaptBatch(const QString &sql, SqlEngine engine)
{
    if (engine == SqlEngine::Passthrough)
        return sql.trimmed().isEmpty() ? QStringList() : QStringList{sql};
    if (std::optional<QString> statement = plainStatement(sql, engine))
        return {std::move(*statement)};
    QStringList result;
    for (const auto &segments : Lexer::run(sql, true, false)) {
        QString text;
        for (const auto &segment : segments)
            appendAdapted(text, segment, engine);
        result << std::move(text).trimmed();
    }
    return result;
}

QString DateLiteralText(const QString &inside)
{
    if (const auto moment = ParseDateText(inside))
        return GeneralDateText(*moment);
    // Jet reads a slashed date with the year last as month/day/year.
    static const QRegularExpression us(QStringLiteral(
        R"(^\s*(\d{1,2})/(\d{1,2})/(\d{4})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?)?\s*$)"));
    const auto match = us.match(inside);
    if (!match.hasMatch())
        return QString();
    const QDate date(match.captured(3).toInt(), match.captured(1).toInt(),
                     match.captured(2).toInt());
    const QTime time = match.hasCaptured(4)
                           ? QTime(match.captured(4).toInt(), match.captured(5).toInt(),
                                   match.hasCaptured(6) ? match.captured(6).toInt() : 0)
                           : QTime(0, 0);
    if (!date.isValid() || !time.isValid())
        return QString();
    return GeneralDateText(QDateTime(date, time, Qt::UTC));
}
