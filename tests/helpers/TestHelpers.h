#pragma once
// Helpers every test program shares: a throwaway application folder, a clean session, and a
// user who answers the module's message and input boxes.

#include <deque>
#include <functional>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QTemporaryDir>
#include <vector>

// Puts the session state back to what a freshly loaded module has.
void ResetSession();

// A temporary application folder named by ARDENTA_HOME, so Errlog.txt and SystemConfig.ini of a
// test never touch anything else. The session is reset on construction.
class TestHome
{
public:
    TestHome();
    ~TestHome();
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const;
    QByteArray logBytes() const;
    QString logText() const;
    int logEntryCount() const; // separator lines in Errlog.txt
    void writeConfig(const QByteArray &iniText) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_previousHome;
};

// What a modal box showed when the answerer met it.
struct SeenDialog
{
    QString kind; // "message" or "input"
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Answers modal boxes as they appear, in the order the answers were queued. Each answer waits
// for the next modal dialog; what the dialog showed is kept in seen().
class DialogAnswerer
{
public:
    DialogAnswerer();
    ~DialogAnswerer();
    void answerMessage(QMessageBox::StandardButton button);
    void answerInput(const QString &text, bool accept = true);
    const std::vector<SeenDialog> &seen() const { return m_seen; }
    int pending() const { return int(m_answers.size()); }

private:
    void poll();
    std::deque<std::function<bool(QWidget *)>> m_answers;
    std::vector<SeenDialog> m_seen;
    QPointer<QWidget> m_lastAnswered;
    class QTimer *m_timer;
};

// Finds a top-level widget by object name (nullptr when none is shown or loaded).
QWidget *findTopLevel(const QString &objectName);
