#include "db/ConnectionText.h"

#include <QUrl>

namespace ConnectionText {

namespace {

qsizetype skipBlanks(QStringView text, qsizetype i)
{
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    return i;
}

qsizetype endOfItem(QStringView text, qsizetype i)
{
    const qsizetype end = text.indexOf(QLatin1Char(';'), i);
    return end < 0 ? text.size() : end;
}

// Reads a value that starts with `open` up to its `close`; a doubled `close` inside stands for
// one. Returns the index just past the closing character (or the end when it is missing).
qsizetype readEnclosed(QStringView text, qsizetype i, QChar close, QString *value)
{
    ++i;
    while (i < text.size()) {
        if (text.at(i) == close) {
            if (i + 1 < text.size() && text.at(i + 1) == close) {
                *value += close;
                i += 2;
                continue;
            }
            return i + 1;
        }
        *value += text.at(i++);
    }
    return i;
}

} // namespace

// The one reading of both the OLE DB and the ODBC forms, so that a string never means one thing
// to the form check and another to masking.
KeyValues ReadItems(QStringView text)
{
    static constexpr char16_t openers[] = u"\"'{";
    static constexpr char16_t closers[] = u"\"'}";
    KeyValues result;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        const qsizetype eq = text.indexOf(QLatin1Char('='), i);
        const qsizetype end = endOfItem(text, i);
        if (eq < 0 || eq > end) {
            const QString piece = text.mid(i, end - i).trimmed().toString();
            if (!piece.isEmpty())
                result.append({piece.toLower(), QString(), end, end});
            i = end + 1;
            continue;
        }
        KeyValue item;
        item.key = text.mid(i, eq - i).trimmed().toString().toLower();
        i = skipBlanks(text, eq + 1);
        item.valueFrom = i;
        if (const qsizetype kind = i < n ? QStringView(openers).indexOf(text.at(i)) : -1; kind >= 0)
            i = readEnclosed(text, i, QChar(closers[kind]), &item.value);
        else
            item.value = text.mid(i, end - i).trimmed().toString();
        item.valueTo = endOfItem(text, i);
        i = item.valueTo + 1;
        result.append(item);
    }
    return result;
}

bool IsPasswordKey(const QString &key)
{
    return key == QLatin1String("password") || key == QLatin1String("pwd");
}

QString ValueOf(const KeyValues &pairs, std::initializer_list<const char *> keys, bool *found)
{
    for (const auto &pair : pairs) {
        for (const char *key : keys) {
            if (pair.key == QLatin1String(key)) {
                if (found)
                    *found = true;
                return pair.value;
            }
        }
    }
    if (found)
        *found = false;
    return QString();
}

// Parsing and masking both decide here.
Form FormOf(QStringView text)
{
    if (text.isEmpty())
        return Form::Empty;
    if (text.startsWith(QLatin1String("sqlite:"), Qt::CaseInsensitive))
        return Form::SQLitePath;
    if (text.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
        text.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive))
        return Form::PostgreSqlUri;
    for (const KeyValue &item : ReadItems(text))
        if (item.key == QLatin1String("driver") || item.key == QLatin1String("dsn"))
            return Form::Odbc;
    return Form::OleDb;
}

QStringView Trimmed(const QString &text, qsizetype *leading)
{
    const QStringView view = QStringView(text).trimmed();
    *leading = view.isEmpty() ? 0 : view.data() - text.constData();
    return view;
}

QString PercentDecoded(QStringView text)
{
    return QUrl::fromPercentEncoding(text.toUtf8());
}

ConnectionSettings Invalid(const QString &why)
{
    ConnectionSettings settings;
    settings.error = why;
    return settings;
}

} // namespace ConnectionText
