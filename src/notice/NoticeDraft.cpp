#include "notice/NoticeDraft.h"

#include "common/Paths.h"
#include "db/ConnectionString.h"

#include <QFile>
#include <QSaveFile>

namespace {
QString DraftFile(const QString &connection, const QString &operatorName)
{
    return StateFilePath(QStringLiteral("draft-") + UserStateKey(connection, operatorName) +
                         QStringLiteral(".txt"));
}
} // namespace

namespace NoticeDraft {

bool Keep(const QString &connection, const QString &operatorName, const QString &text,
          QString *error)
{
    QSaveFile file(DraftFile(connection, operatorName));
    // Owner only before a byte of the text is written.
    if (!file.open(QIODevice::WriteOnly) ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        file.write(text.toUtf8()) < 0 || !file.commit()) {
        *error = QStringLiteral("Cannot keep the draft in %1: %2")
                     .arg(file.fileName(), file.errorString());
        return false;
    }
    return true;
}

QString Take(const QString &connection, const QString &operatorName)
{
    QFile file(DraftFile(connection, operatorName));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QString text = QString::fromUtf8(file.readAll());
    file.close();
    file.remove();
    return text;
}

} // namespace NoticeDraft
