#pragma once
// A private X server (Xvfb, no window manager) for the scenarios that time real painting: the
// windows are shown with the xcb platform on it, as on a desktop.

#include <QProcess>
#include <QString>

class VirtualScreen
{
public:
    // Starts Xvfb on a free display; display() is empty when it could not start.
    VirtualScreen();
    ~VirtualScreen();
    QString display() const { return m_display; }
    QString problem() const { return m_problem; }

private:
    QProcess m_server;
    QString m_display;
    QString m_problem;
};
