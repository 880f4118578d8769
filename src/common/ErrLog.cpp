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
    if (!QString(detail).remove(QLatin1Char(' ')).isEmpty())
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

QString AppFile(const QString &name)
{
    return QDir(AppPath()).filePath(name);
}

void WriteErrLog(const QString &strDescription, const QString &strProcedure,
                 const QString &strModule, const QString &strDetail)
{
    QFile log(AppFile(QStringLiteral("Errlog.txt")));
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
