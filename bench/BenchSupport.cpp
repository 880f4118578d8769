#include "BenchSupport.h"

#include "common/ArdentaError.h"
#include "common/Config.h"
#include "common/Language.h"
#include "common/Session.h"
#include "db/ConnectionString.h"
#include "db/Database.h"
#include <FontScheme.h>
#include <LanguagePack.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTimer>
#include <QUdpSocket>

BenchHome::BenchHome(const QString &existing)
{
    m_path = existing.isEmpty() ? m_dir.path() : existing;
    if (!existing.isEmpty())
        m_dir.setAutoRemove(false);
    QDir().mkpath(m_path);
    qputenv("ARDENTA_HOME", QFile::encodeName(m_path));
}

void BenchHome::writeConfig(quint16 localPort, quint16 remotePort) const
{
    QFile config(QDir(m_path).filePath(QStringLiteral("SystemConfig.ini")));
    if (!config.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw ArdentaError(QStringLiteral("Cannot write ") + config.fileName());
    config.write(QStringLiteral("[Notice]\r\nLocalPort=%1\r\nRemotePort=%2\r\n")
                     .arg(localPort)
                     .arg(remotePort)
                     .toLatin1());
}

QString BenchHome::ErrorLogIn(const QString &folder)
{
    QFile log(QDir(folder).filePath(QStringLiteral("Errlog.txt")));
    if (!log.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(log.readAll());
}

void OpenSession(const QString &connection, const QString &strOperator, DBType dialect)
{
    const QString language = QStringLiteral("ENG");
    Session().gstrConnection = connection;
    Session().gstrOperator = strOperator;
    Session().gobjLanguagePack = CreateLanguagePack();
    Session().gobjLanguagePack->Init(QString(), language, QVariant(QString()));
    Session().gstrLanguage = language;
    Session().gobjFontScheme = CreateFontScheme();
    Session().gobjFontScheme->SetLanguage(language);
    Session().gintDBType = dialect;
    Session().gblnEditInnerInfo = true;
    Session().gblnEditNotice = true;
    Session().gstrPopupTitle = GetLangText(QStringLiteral("0070"), QStringLiteral("Popup"));
    GetSpecialConfig();
}

MessageAnswerer::MessageAnswerer(QMessageBox::StandardButton question) : m_question(question)
{
    m_clock.start();
    qApp->installEventFilter(this);
}

MessageAnswerer::~MessageAnswerer()
{
    qApp->removeEventFilter(this);
}

QString MessageAnswerer::firstCritical() const
{
    for (const Seen &box : m_seen) {
        if (box.icon == QMessageBox::Critical)
            return box.text;
    }
    return QString();
}

bool MessageAnswerer::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show) {
        if (auto *box = qobject_cast<QMessageBox *>(watched)) {
            m_seen.push_back({box->icon(), box->text(), m_clock.nsecsElapsed()});
            const QMessageBox::StandardButton answer =
                box->standardButtons().testFlag(m_question) ? m_question : QMessageBox::Ok;
            // Pressed from the box's own event loop, once it runs.
            QTimer::singleShot(0, box, [box, answer] {
                if (QAbstractButton *button = box->button(answer))
                    button->click();
                else
                    box->reject();
            });
        }
    }
    return QObject::eventFilter(watched, event);
}

namespace {
double StatusMb(const QByteArray &key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}
} // namespace

double PeakMemoryMb()
{
    return StatusMb("VmHWM:");
}

double ResidentMemoryMb()
{
    return StatusMb("VmRSS:");
}

void ResetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5"); // the peak starts again from what is resident now
}

void ExecSql(const QString &connection, const QString &sql)
{
    WithConnection(connection, [&sql](QSqlDatabase &db) {
        QSqlQuery query(db);
        ExecStatement(query, sql);
    });
}

QList<QVariantList> QueryRows(const QString &connection, const QString &sql)
{
    QList<QVariantList> result;
    WithConnection(connection, [&](QSqlDatabase &db) {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        ExecStatement(query, sql);
        const int columns = query.record().count();
        while (query.next()) {
            QVariantList row;
            row.reserve(columns);
            for (int i = 0; i < columns; ++i)
                row << (query.isNull(i) ? QVariant() : query.value(i));
            result << row;
        }
    });
    return result;
}

qint64 QueryCount(const QString &connection, const QString &sql)
{
    const auto rows = QueryRows(connection, sql);
    if (rows.isEmpty() || rows.first().isEmpty())
        throw ArdentaError(QStringLiteral("No count from ") + sql);
    return rows.first().first().toLongLong();
}

QString CreatePgDatabase(const QString &adminConnection, const QString &name)
{
    ExecSql(adminConnection, QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
    ExecSql(adminConnection, QStringLiteral("CREATE DATABASE ") + name);
    ConnectionSettings settings = ParseConnectionString(adminConnection);
    settings.databaseName = name;
    return PostgreSqlConnectionString(settings);
}

void DropPgDatabase(const QString &adminConnection, const QString &name)
{
    ExecSql(adminConnection, QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
}

quint16 FreeUdpPort()
{
    QUdpSocket probe;
    if (!probe.bind(QHostAddress::AnyIPv4, 0, QAbstractSocket::DontShareAddress))
        throw ArdentaError(QStringLiteral("No free UDP port: ") + probe.errorString());
    return probe.localPort();
}

bool InCi()
{
    return qEnvironmentVariable("CI").compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}
