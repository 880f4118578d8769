#include "db/PasswordMask.h"

#include "db/ConnectionString.h"
#include "db/ConnectionText.h"
#include "db/PostgreSqlForms.h"

#include <algorithm>
#include <QList>
#include <QStringList>

using namespace ConnectionText;

namespace {

// Where the passwords sit in the string, read as parsing and the ODBC driver read it.
QList<Span> passwordSpans(QStringView text)
{
    QList<Span> secrets;
    switch (FormOf(text)) {
    case Form::PostgreSqlUri:
        PostgreSqlForms::ParseUri(text, &secrets);
        break;
    case Form::Odbc:
    case Form::OleDb:
        for (const KeyValue &item : ReadItems(text))
            if (IsPasswordKey(item.key) && item.valueTo > item.valueFrom)
                secrets.append({item.valueFrom, item.valueTo});
        break;
    case Form::Empty:
    case Form::SQLitePath:
        break;
    }
    return secrets;
}

} // namespace

QString MaskPasswords(const QString &connection)
{
    qsizetype leading = 0;
    const QStringView text = Trimmed(connection, &leading);
    const QList<Span> secrets = passwordSpans(text);
    QString masked = connection;
    // Spans come in reading order and never overlap; replace from the back so earlier ones keep
    // their place.
    for (auto span = secrets.crbegin(); span != secrets.crend(); ++span)
        masked.replace(leading + span->from, span->to - span->from, QStringLiteral("***"));
    return masked;
}

QString MaskPasswordsIn(const QString &message, const QString &connection)
{
    qsizetype leading = 0;
    const QStringView text = Trimmed(connection, &leading);
    // Each password as written, and as a driver reads it: decoded, or without quotes or braces.
    QStringList secrets{ParseConnectionString(connection).password};
    for (const Span &span : passwordSpans(text)) {
        const QStringView written = text.mid(span.from, span.to - span.from);
        secrets << written.toString() << PercentDecoded(written);
    }
    for (const KeyValue &item : ReadItems(text)) {
        if (IsPasswordKey(item.key))
            secrets << item.value;
    }
    // The longest first, so that no piece of one is left beside the mask of a shorter one.
    std::sort(secrets.begin(), secrets.end(),
              [](const QString &a, const QString &b) { return a.size() > b.size(); });
    QString masked = message;
    for (const QString &secret : std::as_const(secrets)) {
        if (!secret.isEmpty())
            masked.replace(secret, QStringLiteral("***"));
    }
    return masked;
}
