#include "WindowDriver.h"

#include "common/Session.h"
#include <FontScheme.h>

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>

void Click(const QWidget *window, const char *name)
{
    QTest::mouseClick(Find(window, name), Qt::LeftButton);
}

void TypeText(QWidget *target, const QString &text)
{
    for (const QChar c : text) {
        for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent event(type, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(target, &event);
        }
    }
}

bool ShowWindow(QWidget *window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

void StartSession(const QString &connection, const QString &strOperator, bool edit, int dialect)
{
    Session().gstrConnection = connection;
    Session().gstrOperator = strOperator;
    Session().gblnEditInnerInfo = Session().gblnEditNotice = edit;
    Session().gintDBType = ToDBType(qint16(dialect)).value();
    Session().gobjFontScheme = CreateFontScheme();
    Session().gobjFontScheme->SetLanguage("ENG");
}

void SettleWindows()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

DialogAnswerer::DialogAnswerer() : m_timer(std::make_unique<QTimer>())
{
    QObject::connect(m_timer.get(), &QTimer::timeout, [this] { poll(); });
    m_timer->start(20);
}

DialogAnswerer::~DialogAnswerer() = default;

bool DialogAnswerer::take(QWidget *modal, const Answer &answer)
{
    if (auto *dialog = qobject_cast<QInputDialog *>(modal); dialog && answer.input) {
        m_seen.push_back({dialog->labelText(), dialog->windowTitle(), QMessageBox::NoIcon,
                          QMessageBox::NoButton, QMessageBox::NoButton, QString()});
        dialog->setTextValue(answer.text);
        answer.button == QMessageBox::Ok ? dialog->accept() : dialog->reject();
        return true;
    }
    auto *box = qobject_cast<QMessageBox *>(modal);
    if (!box || answer.input)
        return false;
    m_seen.push_back({box->text(), box->windowTitle(), box->icon(),
                      box->standardButton(box->defaultButton()),
                      box->standardButton(box->escapeButton()), box->informativeText()});
    if (QAbstractButton *pressed = box->button(answer.button))
        pressed->click();
    else
        box->reject();
    return true;
}

QStringList DialogAnswerer::seenTexts() const
{
    QStringList texts;
    for (const SeenDialog &dialog : m_seen)
        texts << dialog.text;
    return texts;
}

QString DialogAnswerer::problems() const
{
    QStringList problems;
    if (!m_answers.empty())
        problems << QStringLiteral("%1 answer(s) unused").arg(m_answers.size());
    for (const QString &text : m_unexpected)
        problems << QStringLiteral("unexpected box: ") + text;
    return problems.join(u"; ");
}

void DialogAnswerer::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || modal == m_lastAnswered)
        return;
    if (!m_answers.empty() && take(modal, m_answers.front())) {
        m_lastAnswered = modal;
        m_answers.pop_front();
        return;
    }
    m_waitedPolls = modal == m_waiting ? m_waitedPolls + 1 : 0;
    m_waiting = modal;
    if (m_waitedPolls < 50)
        return;
    auto *box = qobject_cast<QMessageBox *>(modal);
    m_unexpected << (box ? box->text() : modal->windowTitle());
    if (auto *dialog = qobject_cast<QDialog *>(modal))
        dialog->reject();
    else
        modal->close();
}

void WindowTestCase::setUp()
{
    home = std::make_unique<TestHome>();
    user = std::make_unique<DialogAnswerer>();
}

void WindowTestCase::tearDown()
{
    // The module's windows are all named frm...; deleting them asks nothing.
    QList<QPointer<QWidget>> windows;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->objectName().startsWith(QLatin1String("frm")))
            windows << window;
    }
    for (const QPointer<QWidget> &window : windows)
        delete window.data();
    SettleWindows();
    const QString problems = user->problems();
    user.reset();
    home.reset();
    QCOMPARE(problems, QString());
}
