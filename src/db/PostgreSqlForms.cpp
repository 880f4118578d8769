#include "db/PostgreSqlForms.h"

#include <algorithm>
#include <QPair>
#include <QStringList>
#include <utility>

using namespace ConnectionText;

namespace {

// A value in libpq's conninfo syntax.
QString libpqQuoted(QString value)
{
    value.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    value.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + value + QLatin1Char('\'');
}

bool parsePort(QStringView text, int *port)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value <= 0 || value > 65535)
        return false;
    *port = value;
    return true;
}

void addOption(ConnectionSettings &settings, const QString &key, const QString &value)
{
    if (!settings.connectOptions.isEmpty())
        settings.connectOptions += QLatin1Char(';');
    settings.connectOptions += key + QLatin1Char('=') + libpqQuoted(value);
}

// Unless the string names them: a server that vanished fails a call within seconds rather than
// when the kernel gives up (libpq tries each host of a list for connect_timeout; keepalives and
// tcp_user_timeout notice a silent server mid-call), and of a list the server that takes writes
// is chosen, since the directory is written.
constexpr std::pair<const char *, const char *> postgreSqlDefaults[] = {
    {"connect_timeout", "3"},
    {"keepalives", "1"},
    {"keepalives_idle", "2"},
    {"keepalives_interval", "1"},
    {"keepalives_count", "2"},
    {"tcp_user_timeout", "4000"},
    {"target_session_attrs", "read-write"},
};

// A PostgreSQL string as read, before its hosts and ports are checked against each other and
// the driver's settings are made.
struct PgDraft
{
    ConnectionSettings settings;
    QStringList hosts;
    QStringList ports; // one for every host, or one per host; empty: the default port
    QList<QPair<QString, QString>> options;
    QString error;

    void fail(const QString &why)
    {
        if (error.isEmpty())
            error = why;
    }
    bool names(const QString &key) const
    {
        return std::any_of(options.cbegin(), options.cend(),
                           [&key](const auto &option) { return option.first == key; });
    }
};

// libpq takes one port for all hosts or one per host, an empty one meaning the default; it
// refuses any other count only when it connects, so the string is refused here instead.
void checkPorts(PgDraft &draft)
{
    if (std::all_of(draft.ports.cbegin(), draft.ports.cend(),
                    [](const QString &port) { return port.isNull(); }))
        draft.ports.clear(); // an address whose hosts name no port
    int ignored = 0;
    for (const QString &port : std::as_const(draft.ports)) {
        if ((!port.isEmpty() || draft.ports.size() == 1) && !parsePort(port, &ignored))
            draft.fail(QStringLiteral("The connection string has a bad port: ") + port);
    }
    const qsizetype hosts = std::max<qsizetype>(draft.hosts.size(), 1);
    if (draft.ports.size() > 1 && draft.ports.size() != hosts)
        draft.fail(QStringLiteral("The connection string gives %1 ports for %2 host(s): give one "
                                  "port for all hosts, or one for each.")
                       .arg(draft.ports.size())
                       .arg(hosts));
}

// A list goes to the driver as libpq reads it: the hosts as the host name, the ports as an
// option, since a port set on the connection would apply to every host.
ConnectionSettings finishPostgreSql(PgDraft draft)
{
    checkPorts(draft);
    if (!draft.error.isEmpty())
        return Invalid(draft.error);
    ConnectionSettings &settings = draft.settings;
    if (draft.hosts.size() > 1 || draft.ports.size() > 1) {
        settings.hostName = draft.hosts.join(QLatin1Char(','));
        if (!draft.ports.isEmpty()) {
            settings.ports = draft.ports.join(QLatin1Char(','));
            addOption(settings, QStringLiteral("port"), settings.ports);
        }
    } else {
        settings.hostName = draft.hosts.value(0);
        if (!draft.ports.isEmpty())
            parsePort(draft.ports.constFirst(), &settings.port);
    }
    for (const auto &[key, value] : std::as_const(draft.options))
        addOption(settings, key, value);
    for (const auto &[key, value] : postgreSqlDefaults) {
        if (!draft.names(QLatin1String(key)))
            addOption(settings, QLatin1String(key), QLatin1String(value));
    }
    settings.backend = DbBackend::PostgreSQL;
    settings.driver = QStringLiteral("QPSQL");
    return settings;
}

QStringList listed(const QString &value)
{
    return value.split(QLatin1Char(','));
}

// The "?key=value&..." part of a PostgreSQL address; a host or port given here replaces the
// address's own.
void readUriQuery(QStringView uri, qsizetype from, PgDraft &draft, QList<Span> *secrets)
{
    while (from <= uri.size()) {
        qsizetype to = uri.indexOf(QLatin1Char('&'), from);
        if (to < 0)
            to = uri.size();
        const QStringView item = uri.mid(from, to - from);
        const qsizetype eq = item.indexOf(QLatin1Char('='));
        const QString key = PercentDecoded(eq < 0 ? item : item.left(eq)).toLower();
        const QString value = eq < 0 ? QString() : PercentDecoded(item.mid(eq + 1));
        if (key == QLatin1String("host"))
            draft.hosts = listed(value);
        else if (key == QLatin1String("port"))
            draft.ports = listed(value);
        else if (key == QLatin1String("user"))
            draft.settings.userName = value;
        else if (key == QLatin1String("password")) {
            draft.settings.password = value;
            if (eq >= 0 && eq + 1 < item.size())
                secrets->append({from + eq + 1, to});
        } else if (key == QLatin1String("dbname"))
            draft.settings.databaseName = value;
        else if (!item.isEmpty())
            draft.options.append({key, value}); // libpq itself rejects what it does not know
        from = to + 1;
    }
}

// "h1:5432,[::1]:5433,h3": each host, and its port where one is given (a null string where not).
void readUriHosts(QStringView authority, PgDraft &draft)
{
    for (const QStringView entry : authority.split(QLatin1Char(','))) {
        QStringView host = entry;
        QString port;
        if (entry.startsWith(QLatin1Char('['))) { // [IPv6]:port
            const qsizetype close = entry.indexOf(QLatin1Char(']'));
            if (close < 0) {
                draft.fail(QStringLiteral("The PostgreSQL address has an unclosed \"[\"."));
                return;
            }
            host = entry.mid(1, close - 1);
            const QStringView after = entry.mid(close + 1);
            if (after.startsWith(QLatin1Char(':')))
                port = after.mid(1).toString();
            else if (!after.isEmpty())
                draft.fail(QStringLiteral("The PostgreSQL address has a bad host: ") +
                           entry.toString());
        } else if (const qsizetype colon = entry.lastIndexOf(QLatin1Char(':')); colon >= 0) {
            host = entry.left(colon);
            port = entry.mid(colon + 1).toString();
        }
        draft.hosts << PercentDecoded(host);
        draft.ports << port;
    }
}

bool isOneOf(const QString &key, std::initializer_list<const char *> names)
{
    return std::any_of(names.begin(), names.end(),
                       [&key](const char *name) { return key == QLatin1String(name); });
}

// Settings libpq knows by these names, also written with blanks for underscores as the
// key-value form's other settings are.
QString libpqOption(const QString &key)
{
    static const char *const passed[] = {
        "connect_timeout",     "sslmode",          "service",
        "application_name",    "keepalives",       "keepalives_idle",
        "keepalives_interval", "keepalives_count", "tcp_user_timeout",
        "target_session_attrs"};
    QString name = key;
    name.replace(QLatin1Char(' '), QLatin1Char('_'));
    if (isOneOf(name, {"timeout", "connect timeout"}))
        return QStringLiteral("connect_timeout");
    if (name == QLatin1String("ssl_mode"))
        return QStringLiteral("sslmode");
    if (name == QLatin1String("target_session_attributes")) // as Npgsql names it
        return QStringLiteral("target_session_attrs");
    for (const char *option : passed) {
        if (name == QLatin1String(option))
            return name;
    }
    return QString();
}

} // namespace

namespace PostgreSqlForms {

// The user part ends at the last "@"; query keys are percent-decoded.
ConnectionSettings ParseUri(QStringView uri, QList<Span> *secrets)
{
    PgDraft draft;
    ConnectionSettings &settings = draft.settings;
    const qsizetype begin = uri.indexOf(QLatin1String("://")) + 3;
    qsizetype restEnd = uri.size();
    const qsizetype q = uri.indexOf(QLatin1Char('?'), begin);
    if (q >= 0)
        restEnd = q;
    qsizetype authorityEnd = restEnd;
    if (const qsizetype slash = uri.indexOf(QLatin1Char('/'), begin);
        slash >= 0 && slash < restEnd) {
        authorityEnd = slash;
        settings.databaseName = PercentDecoded(uri.mid(slash + 1, restEnd - slash - 1));
    }
    QStringView authority = uri.mid(begin, authorityEnd - begin);
    if (const qsizetype at = authority.lastIndexOf(QLatin1Char('@')); at >= 0) {
        const QStringView userInfo = authority.left(at);
        const qsizetype colon = userInfo.indexOf(QLatin1Char(':'));
        settings.userName = PercentDecoded(colon < 0 ? userInfo : userInfo.left(colon));
        if (colon >= 0) {
            settings.password = PercentDecoded(userInfo.mid(colon + 1));
            if (colon + 1 < at)
                secrets->append({begin + colon + 1, begin + at});
        }
        authority = authority.mid(at + 1);
    }
    readUriHosts(authority, draft);
    if (q >= 0)
        readUriQuery(uri, q + 1, draft, secrets);
    return finishPostgreSql(std::move(draft));
}

ConnectionSettings ParseKeys(const KeyValues &pairs)
{
    PgDraft draft;
    ConnectionSettings &settings = draft.settings;
    for (const KeyValue &item : pairs) {
        const QString &key = item.key;
        const QString &value = item.value;
        if (key == QLatin1String("provider"))
            continue;
        if (isOneOf(key, {"host", "server"}))
            draft.hosts = listed(value);
        else if (key == QLatin1String("port"))
            draft.ports = listed(value);
        else if (isOneOf(key, {"database", "initial catalog", "dbname"}))
            settings.databaseName = value;
        else if (isOneOf(key, {"user id", "userid", "user", "username", "user name", "uid"}))
            settings.userName = value;
        else if (IsPasswordKey(key))
            settings.password = value;
        else if (const QString option = libpqOption(key); !option.isEmpty())
            draft.options.append({option, value});
        else
            return Invalid(QStringLiteral("The PostgreSQL connection string has an unknown "
                                          "setting \"%1\".")
                               .arg(key));
    }
    return finishPostgreSql(std::move(draft));
}

} // namespace PostgreSqlForms
