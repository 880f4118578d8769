#pragma once
// Message and input boxes of the module, all titled gstrPopupTitle.

#include <ArdentaExport.h>

#include <QMessageBox>
#include <QString>

class QWidget;

// Shows a modal message box; returns the button pressed (QMessageBox::Ok, Yes or No). A Yes/No
// box defaults to Yes unless told otherwise; Escape is No.
QMessageBox::StandardButton
MsgBox(const QString &text, QMessageBox::Icon icon,
       QMessageBox::StandardButtons buttons = QMessageBox::Ok, QWidget *parent = nullptr,
       QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

inline void MsgInfo(const QString &text, QWidget *parent = nullptr)
{
    MsgBox(text, QMessageBox::Information, QMessageBox::Ok, parent);
}
inline void MsgCritical(const QString &text, QWidget *parent = nullptr)
{
    MsgBox(text, QMessageBox::Critical, QMessageBox::Ok, parent);
}
// "Failed!" with the critical icon; below it the database's own reason (passwords masked) when
// there is one, and where the error log is, so that a user can act or tell someone who can.
void MsgFailed(const QString &reason, QWidget *parent = nullptr);
inline bool MsgYesNo(const QString &text, QWidget *parent = nullptr)
{
    return MsgBox(text, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, parent) ==
           QMessageBox::Yes;
}

// Questions before work the user has not saved is thrown away (the staff window's edits, the
// notice window's text): Yes throws it away. They answer Yes without a box once the host has
// called SetDiscardWithoutAsking(true), as it does when the session ends (SIGTERM), so that no
// window waits on a question nobody will answer.
ARDENTA_EXPORT void SetDiscardWithoutAsking(bool on);
ARDENTA_EXPORT bool DiscardWithoutAsking();
bool MsgDiscard(const QString &text, QWidget *parent,
                QMessageBox::StandardButton defaultButton = QMessageBox::No);

// The original's input box: returns the text entered, or "" when cancelled.
QString InputBox(const QString &prompt, const QString &title, const QString &defaultText = {},
                 QWidget *parent = nullptr);

// Makes a failed write of the error log show its critical box (titled gstrPopupTitle) while an
// application with windows runs. Done once; later calls change nothing.
void InstallErrLogBox();
