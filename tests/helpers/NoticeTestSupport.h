#pragma once
// What the notice and search window tests share: English captions, an operator, and the notice
// window with its controls.

#include "DbFixture.h"
#include "notice/frmNotice.h"
#include "widgets/FlexGrid.h"
#include "WindowDriver.h"

#include <QTextEdit>

// The operator "ops" on db, allowed to edit notices unless told otherwise.
inline void StartNoticeSession(const DbFixture &db, const QString &strOperator = "ops",
                               bool blnEditNotice = true)
{
    StartSession(db.connection(), strOperator, blnEditNotice);
}

inline frmNotice *OpenNoticeWindow()
{
    frmNotice *window = frmNotice::instance();
    if (!ShowWindow(window))
        qWarning("notice window not active");
    return window;
}

inline QTextEdit *Text()
{
    return Find<QTextEdit>(frmNotice::instance(), "txtNotice");
}

inline FlexGrid *Grid(const QWidget *window)
{
    return Find<FlexGrid>(window, "vfgMain");
}
