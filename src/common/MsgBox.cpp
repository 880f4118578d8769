#include "MsgBox.h"

#include "Session.h"

#include <QInputDialog>

QMessageBox::StandardButton MsgBox(const QString &text, QMessageBox::Icon icon,
                                   QMessageBox::StandardButtons buttons, QWidget *parent)
{
    QMessageBox box(icon, gstrPopupTitle, text, buttons, parent);
    box.setObjectName(QStringLiteral("MsgBox"));
    if (buttons.testFlag(QMessageBox::Yes))
        box.setDefaultButton(QMessageBox::Yes);
    return QMessageBox::StandardButton(box.exec());
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
