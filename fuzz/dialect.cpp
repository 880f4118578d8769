// The dialect adapter on both engines, as a batch (dialect 0) and as one statement (dialect 1):
// every string literal of the input comes out unchanged and in order.

#include "db/SqlDialect.h"
#include "FuzzSupport.h"

#include <QStringList>

namespace {

// The single-quoted literals, read independently of the adapter: names in "" or [], comments
// (-- to the line's end, /* */) hold none.
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
