#pragma once
// What every window test needs: controls found by their names, a user who clicks and types, and
// a user who answers the module's boxes and reports any box he was not told to expect.

#include "TestHome.h"

#include <deque>
#include <memory>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <vector>

template <typename T = QWidget> T *Find(const QWidget *window, const char *name)
{
    T *control = window->findChild<T *>(QLatin1String(name));
    if (!control)
        qFatal("%s has no %s", qPrintable(window->objectName()), name);
    return control;
}

// A left click on a button or any widget, found by name.
void Click(const QWidget *window, const char *name);
// Key events that carry the text, one per character: Chinese arrives the way an input method's
// characters do (QTest::keyClicks types Latin-1 only).
void TypeText(QWidget *target, const QString &text);
// Shows a window and waits until it is on screen and active.
bool ShowWindow(QWidget *window);
// The session a host opens the windows in: database, operator, both rights, dialect, English.
void StartSession(const QString &connection, const QString &strOperator = "ops", bool edit = true,
                  int dialect = 0);
// Lets closed windows be deleted.
void SettleWindows();

struct SeenDialog
{
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QMessageBox::StandardButton escapeButton = QMessageBox::NoButton;
    QString detail; // the informative text below the message
};

// Answers modal boxes as they appear, in the order the answers were queued, and keeps what each
// showed. A box that the next answer does not fit, or that comes with no answer left, is
// closed after a second and counted as unexpected.
class DialogAnswerer
{
public:
    DialogAnswerer();
    ~DialogAnswerer();
    void answerMessage(QMessageBox::StandardButton button) { m_answers.push_back({button, {}}); }
    void answerInput(const QString &text, bool accept = true)
    {
        m_answers.push_back({accept ? QMessageBox::Ok : QMessageBox::Cancel, text, true});
    }
    const std::vector<SeenDialog> &seen() const { return m_seen; }
    QStringList seenTexts() const;
    // "" when every answer was used and no box came unasked.
    QString problems() const;

private:
    struct Answer
    {
        QMessageBox::StandardButton button;
        QString text;
        bool input = false;
    };
    bool take(QWidget *modal, const Answer &answer);
    void poll();
    std::deque<Answer> m_answers;
    std::vector<SeenDialog> m_seen;
    QStringList m_unexpected;
    QPointer<QWidget> m_lastAnswered;
    QPointer<QWidget> m_waiting;
    int m_waitedPolls = 0;
    std::unique_ptr<class QTimer> m_timer;
};

// Base of the window tests: a fresh application folder and answerer for each test; afterwards
// the module's windows are gone and no box came unasked. A test class with its own init and
// cleanup calls setUp and tearDown from them.
class WindowTestCase : public QObject
{
    Q_OBJECT
protected:
    void setUp();
    void tearDown();
    std::unique_ptr<TestHome> home;
    std::unique_ptr<DialogAnswerer> user;

private Q_SLOTS:
    void init() { setUp(); }
    void cleanup() { tearDown(); }
};
