// The dialect adapter on both engines, as a batch (dialect 0) and as one statement (dialect 1):
// every string literal of the input comes out unchanged and in order.

#include "db/SqlDialect.h"
#include "FuzzSupport.h"

#include <QStringList>

namespace {

// Past a $tag$ ... $tag$ text starting at i (the tag not starting with a digit, the "$" not
// inside a name; unclosed, it runs to the end), or i when none starts there.
qsizetype DollarQuoteEnd(const QString &sql, qsizetype i)
{
    const auto inName = [](QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$'; };
    if (sql.at(i) != u'$' || (i > 0 && inName(sql.at(i - 1))))
        return i;
    qsizetype j = i + 1;
    while (j < sql.size() && (sql.at(j).isLetterOrNumber() || sql.at(j) == u'_'))
        ++j;
    if (j >= sql.size() || sql.at(j) != u'$' || (j > i + 1 && sql.at(i + 1).isDigit()))
        return i;
    const QString tag = sql.mid(i, j + 1 - i);
    const qsizetype close = sql.indexOf(tag, j + 1);
    return close < 0 ? sql.size() : close + tag.size();
}

// The single-quoted literals and dollar-quoted bodies, read independently of the adapter: names
// in "" or [], comments (-- to the line's end, /* */) hold none.
QStringList Literals(const QString &sql)
{
    QStringList found;
    const qsizetype n = sql.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = sql.at(i);
        if (c == u'\'' || c == u'"' || c == u'[') {
            const QChar close = c == u'[' ? u']' : c;
            const qsizetype start = i++;
            bool closed = false;
            while (i < n && !closed) {
                if (sql.at(i++) != close)
                    continue;
                if (i < n && sql.at(i) == close)
                    ++i;
                else
                    closed = true;
            }
            // An unclosed quote runs to the end and is the database's syntax error; the blanks
            // that end its statement may go.
            QString literal = sql.mid(start, i - start);
            while (!closed && !literal.isEmpty() && literal.back().isSpace())
                literal.chop(1);
            if (c == u'\'')
                found << literal;
        } else if (const qsizetype end = DollarQuoteEnd(sql, i); end > i) {
            // PostgreSQL's $tag$ body: kept whole, its quotes are no literals of their own.
            QString body = sql.mid(i, end - i);
            while (end == n && !body.isEmpty() && body.back().isSpace())
                body.chop(1);
            found << body;
            i = end;
        } else if (sql.mid(i, 2) == QLatin1String("--")) {
            while (i < n && sql.at(i) != u'\r' && sql.at(i) != u'\n')
                ++i;
        } else if (sql.mid(i, 2) == QLatin1String("/*")) {
            const qsizetype end = sql.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n : end + 2;
        } else {
            ++i;
        }
    }
    return found;
}

void RequireLiteralsKept(const QString &input, const QString &output)
{
    qsizetype from = 0;
    for (const QString &literal : Literals(input)) {
        const qsizetype at = output.indexOf(literal, from);
        FUZZ_REQUIRE(at >= 0, QStringLiteral("literal %1 lost from %2 in %3")
                                  .arg(literal, input.toHtmlEscaped(), output));
        from = at + literal.size();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString sql = InputText(data, size);
    for (const SqlEngine engine : {SqlEngine::SQLite, SqlEngine::PostgreSQL}) {
        const QStringList batch = AdaptBatch(sql, engine);
        RequireLiteralsKept(sql, batch.join(QChar(0x1)));
        for (const QString &statement : batch)
            FUZZ_REQUIRE(!statement.isEmpty(), sql);
        RequireLiteralsKept(sql, AdaptStatement(sql, engine));
    }
    const QStringList passthrough = AdaptBatch(sql, SqlEngine::Passthrough);
    FUZZ_REQUIRE(passthrough.isEmpty() || passthrough == QStringList{sql}, sql);
    SplitScript(sql);
    return 0;
}
