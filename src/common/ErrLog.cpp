#include "ErrLog.h"

#include "Clock.h"
#include "Convert.h"
#include "Session.h"

#include <dlfcn.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>

namespace {
// The folder of the binary that holds this code: the module's library when loaded as one.
QString folderOfThisCode()
{
    Dl_info info{};
    static const int anchor = 0;
    if (dladdr(&anchor, &info) != 0 && info.dli_fname)
        return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath();
    return QDir::currentPath();
}

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
} // namespace

QString AppPath()
{
    const QString home = qEnvironmentVariable("ARDENTA_HOME");
    if (!home.isEmpty())
        return home;
    static const QString folder = folderOfThisCode();
    return folder;
}

namespace {
// A file of the application folder, or of the user's own folder when the application folder
// cannot be written.
QString sessionFile(const QString &name, const char *xdgVariable, const char *fallback)
{
    const QString home = AppPath();
    if (!qEnvironmentVariableIsEmpty("ARDENTA_HOME") || QFileInfo(home).isWritable())
        return QDir(home).filePath(name);
    QString base = qEnvironmentVariable(xdgVariable);
    if (base.isEmpty())
        base = QDir::homePath() + QLatin1String(fallback);
    const QString folder = base + QStringLiteral("/ardenta");
    QDir().mkpath(folder);
    return folder + QLatin1Char('/') + name;
}
} // namespace

QString ConfigFilePath()
{
    return sessionFile(QStringLiteral("SystemConfig.ini"), "XDG_CONFIG_HOME", "/.config");
}

QString ErrLogFilePath()
{
    return sessionFile(QStringLiteral("Errlog.txt"), "XDG_STATE_HOME", "/.local/state");
}

QString DataPath()
{
    static const QString folder =
        QDir::cleanPath(folderOfThisCode() + QStringLiteral("/../share/ardenta"));
    return folder;
}

void WriteErrLog(const QString &strDescription, const QString &strProcedure,
                 const QString &strModule, const QString &strDetail)
{
    QFile log(ErrLogFilePath());
    const QByteArray bytes = entryBytes(strDescription, strProcedure, strModule, strDetail);
    const bool written =
        log.open(QIODevice::WriteOnly | QIODevice::Append) && log.write(bytes) == bytes.size();
    log.close();
    if (written)
        return;

    static const QString message =
        QStringLiteral("Record error log found error,please restart popup!");
    if (qobject_cast<QApplication *>(QCoreApplication::instance())) {
        QMessageBox box(QMessageBox::Critical, gstrPopupTitle, message, QMessageBox::Ok);
        box.setObjectName(QStringLiteral("MsgBox"));
        box.exec();
    } else {
        qWarning("%s", qPrintable(message));
    }
}
