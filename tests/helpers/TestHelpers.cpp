#include "TestHelpers.h"

#include "FontScheme.h"
#include "LanguagePack.h"
#include "Session.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

void ResetSession()
{
    gstrConnection.clear();
    gstrOperator.clear();
    gstrLanguage = QStringLiteral("CHS");
    gintDBType = 0;
    gblnEditInnerInfo = false;
    gblnEditNotice = false;
    gstrPopupTitle = QStringLiteral("Popup");
    gobjLanguagePack.reset();
    gobjFontScheme.reset();
    glngGridFontColor = glngGridFixedFontColor = glngGridBackColor = glngGridAlternate = 0;
}

TestHome::TestHome() : m_previousHome(qgetenv("ARDENTA_HOME"))
{
    qputenv("ARDENTA_HOME", m_dir.path().toUtf8());
    ResetSession();
}

TestHome::~TestHome()
{
    if (m_previousHome.isEmpty())
        qunsetenv("ARDENTA_HOME");
    else
        qputenv("ARDENTA_HOME", m_previousHome);
}

QString TestHome::file(const QString &name) const
{
    return m_dir.filePath(name);
}

QByteArray TestHome::logBytes() const
{
    QFile log(file(QStringLiteral("Errlog.txt")));
    return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
}

QString TestHome::logText() const
{
    return QString::fromUtf8(logBytes());
}

int TestHome::logEntryCount() const
{
    const QByteArray separator = QByteArray(79, '=') + QByteArrayLiteral("\r\n");
    return int(logBytes().count(separator));
}

void TestHome::writeConfig(const QByteArray &iniText) const
{
    QFile config(file(QStringLiteral("SystemConfig.ini")));
    if (config.open(QIODevice::WriteOnly | QIODevice::Truncate))
        config.write(iniText);
}

DialogAnswerer::DialogAnswerer() : m_timer(new QTimer)
{
    m_timer->setInterval(20);
    QObject::connect(m_timer, &QTimer::timeout, [this] { poll(); });
    m_timer->start();
}

DialogAnswerer::~DialogAnswerer()
{
    delete m_timer;
}

void DialogAnswerer::answerMessage(QMessageBox::StandardButton button)
{
    m_answers.push_back([this, button](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (!box)
            return false;
        m_seen.push_back({QStringLiteral("message"), box->text(), box->windowTitle(), box->icon()});
        if (QAbstractButton *pressed = box->button(button))
            pressed->click();
        else
            box->reject();
        return true;
    });
}

void DialogAnswerer::answerInput(const QString &text, bool accept)
{
    m_answers.push_back([this, text, accept](QWidget *modal) {
        auto *dialog = qobject_cast<QInputDialog *>(modal);
        if (!dialog)
            return false;
        m_seen.push_back({QStringLiteral("input"), dialog->labelText(), dialog->windowTitle(),
                          QMessageBox::NoIcon});
        dialog->setTextValue(text);
        if (accept)
            dialog->accept();
        else
            dialog->reject();
        return true;
    });
}

void DialogAnswerer::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || m_answers.empty() || modal == m_lastAnswered || !modal->isVisible())
        return;
    if (m_answers.front()(modal)) {
        m_lastAnswered = modal;
        m_answers.pop_front();
    }
}

QWidget *findTopLevel(const QString &objectName)
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == objectName)
            return widget;
    }
    return nullptr;
}
