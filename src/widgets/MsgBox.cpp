#include "widgets/MsgBox.h"

#include "common/ErrLog.h"
#include "common/Language.h"
#include "common/Paths.h"
#include "common/Session.h"

#include <QApplication>
#include <QDir>
#include <QInputDialog>

QMessageBox::StandardButton MsgBox(const QString &text, QMessageBox::Icon icon,
                                   QMessageBox::StandardButtons buttons, QWidget *parent,
                                   QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, Session().gstrPopupTitle, text, buttons, parent);
    box.setObjectName(QStringLiteral("MsgBox"));
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    else if (buttons.testFlag(QMessageBox::Yes))
        box.setDefaultButton(QMessageBox::Yes);
    if (buttons.testFlag(QMessageBox::No))
        box.setEscapeButton(QMessageBox::No);
    return QMessageBox::StandardButton(box.exec());
}

void MsgFailed(const QString &reason, QWidget *parent)
{
    QMessageBox box(QMessageBox::Critical, Session().gstrPopupTitle,
                    GetLangText(ModuleTexts::Failed), QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("MsgBox"));
    QStringList detail;
    if (!reason.trimmed().isEmpty())
        detail << reason.trimmed();
    detail << GetLangText(ModuleTexts::ErrorLog).arg(QDir::toNativeSeparators(ErrLogFilePath()));
    box.setInformativeText(detail.join(u'\n'));
    // Paths and server messages are long: room for them on a line, not a word per line.
    box.setStyleSheet(QStringLiteral("QLabel#qt_msgbox_informativelabel { min-width: 32em; }"));
    box.exec();
}

namespace {
bool s_discardWithoutAsking = false;
} // namespace

void SetDiscardWithoutAsking(bool on)
{
    s_discardWithoutAsking = on;
}

bool DiscardWithoutAsking()
{
    return s_discardWithoutAsking;
}

bool MsgDiscard(const QString &text, QWidget *parent, QMessageBox::StandardButton defaultButton)
{
    if (s_discardWithoutAsking)
        return true;
    return MsgBox(text, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, parent,
                  defaultButton) == QMessageBox::Yes;
}

QString InputBox(const QString &prompt, const QString &title, const QString &defaultText,
                 QWidget *parent)
{
    QInputDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("InputBox"));
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.textValue();
}

void InstallErrLogBox()
{
    static const bool installed = [] {
        SetErrLogAlarm([](const QString &message) {
            if (qobject_cast<QApplication *>(QCoreApplication::instance()))
                MsgCritical(message);
            else
                qWarning("%s", qPrintable(message));
        });
        return true;
    }();
    Q_UNUSED(installed);
}
