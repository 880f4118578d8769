#pragma once
// What the notice and search window tests share: a session on a fresh database, notices with
// chosen times, and the windows' controls found by their names.

#include "Clock.h"
#include "DbFixture.h"
#include "FlexGrid.h"
#include "FontScheme.h"
#include "frmNotice.h"
#include "frmQueryNotice.h"
#include "Session.h"
#include "TestHelpers.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>

// English captions, the operator "ops" allowed to edit notices.
inline void StartNoticeSession(const QString &strOperator = QStringLiteral("ops"),
                               bool blnEditNotice = true)
{
    gobjFontScheme = CreateFontScheme();
    gobjFontScheme->SetLanguage(QStringLiteral("ENG"));
    gstrOperator = strOperator;
    gblnEditNotice = blnEditNotice;
}

inline void AddNotice(const DbFixture &db, const QString &time, const QString &publisher,
                      const QString &content)
{
    db.exec(QStringLiteral("Insert Into Notice(Notice_DateTime,Notice_Publisher,Notice_Content) "
                           "Values('%1','%2','%3')")
                .arg(time, publisher, content));
}

// The id of the notice with this content, as the grid shows it; "" when there is none.
inline QString NoticeId(const DbFixture &db, const QString &content)
{
    const QList<QVariantList> found = db.rows(
        QStringLiteral("Select Notice_ID From Notice Where Notice_Content='%1'").arg(content));
    return found.isEmpty() ? QString() : found.first().value(0).toString();
}

template <typename T> T *Control(QWidget *window, const char *name)
{
    T *control = window->findChild<T *>(QLatin1String(name));
    if (!control)
        qFatal("control %s missing", name);
    return control;
}

inline FlexGrid *Grid(QWidget *window)
{
    return Control<FlexGrid>(window, "vfgMain");
}

inline QTextEdit *Text(QWidget *window = frmNotice::instance())
{
    return Control<QTextEdit>(window, "txtNotice");
}

inline void Click(QWidget *window, const char *button)
{
    QTest::mouseClick(Control<QPushButton>(window, button), Qt::LeftButton);
}

inline frmNotice *OpenNoticeWindow()
{
    frmNotice *window = frmNotice::instance();
    window->show();
    if (!QTest::qWaitForWindowExposed(window))
        qWarning("notice window not exposed");
    return window;
}

// Types any text, Chinese included: each character arrives as a key event carrying it.
inline void TypeText(QWidget *target, const QString &text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &release);
    }
}

// Lets closed windows be deleted, so their shared pointers are gone.
inline void SettleWindows()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// Ends a test without asking anyone: a composing window would ask before closing.
inline void CloseNoticeWindows()
{
    delete frmQueryNotice::loadedInstance();
    delete frmNotice::loadedInstance();
    SetClock({});
    SettleWindows();
}

// One row per database engine and nothing else.
inline void EngineRows()
{
    AddEngineColumn();
    AddEngineRows();
}
