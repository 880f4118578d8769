#include "common/ErrLog.h"

#include "common/ArdentaError.h"
#include "common/Clock.h"
#include "common/Convert.h"
#include "common/Paths.h"

#include <QFile>

namespace {
QByteArray entryBytes(const QString &description, const QString &procedure, const QString &module,
                      const QString &detail)
{
    static const QString crlf = QStringLiteral("\r\n");
    QString entry = QStringLiteral("函数/过程:") + procedure + QStringLiteral(",模块:") + module +
                    crlf + GeneralDateText(Now()) + QStringLiteral("    :") + description + crlf;
    // "Blank" is a space here, as the original's Trim: a detail of tabs still gets its line.
    if (!IsBlank(detail))
        entry += detail + crlf;
    entry += QString(79, QLatin1Char('=')) + crlf;
    return entry.toUtf8();
}

ErrLogAlarm &alarm()
{
    static ErrLogAlarm installed;
    return installed;
}
} // namespace

void SetErrLogAlarm(ErrLogAlarm installed)
{
    alarm() = std::move(installed);
}

void WriteErrLog(const QString &strDescription, const QString &strProcedure,
                 const QString &strModule, const QString &strDetail)
{
    QFile log(ErrLogFilePath());
    const QByteArray bytes = entryBytes(strDescription, strProcedure, strModule, strDetail);
    // Flushed here, not on close: a full disk refuses the bytes only when they reach it.
    const bool written = log.open(QIODevice::WriteOnly | QIODevice::Append) &&
                         log.write(bytes) == bytes.size() && log.flush();
    log.close();
    if (written)
        return;

    static const QString message =
        QStringLiteral("Record error log found error,please restart popup!");
    if (const ErrLogAlarm &raise = alarm())
        raise(message);
    else
        qWarning("%s", qPrintable(message));
}

void LogFailure(const std::exception &error, const QString &strProcedure, const QString &strModule,
                const QString &strDetail)
{
    WriteErrLog(ErrorText(error), strProcedure, strModule, strDetail);
}
