#pragma once
// A throwaway application folder named by ARDENTA_HOME, so that Errlog.txt and SystemConfig.ini
// of a test touch nothing else. Making one puts the session back to a freshly loaded module's.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>

class TestHome
{
public:
    TestHome();
    ~TestHome();
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    QByteArray logBytes() const;
    QString logText() const { return QString::fromUtf8(logBytes()); }
    int logEntryCount() const; // separator lines in Errlog.txt
    void writeConfig(const QByteArray &iniText) const;
    // ardenta.conf in the system-wide or the user's settings folder of this home.
    void writeSettings(bool systemWide, const QByteArray &text) const;

private:
    QTemporaryDir m_dir;
    QList<QByteArray> m_previous; // of the variables it sets
};
