#include "VirtualScreen.h"

#include <QDeadlineTimer>

VirtualScreen::VirtualScreen()
{
    // Xvfb writes the display number it took to the descriptor given, here its output.
    m_server.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                    QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-dpi"),
                    QStringLiteral("96"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!m_server.waitForStarted(10000)) {
        m_problem = QStringLiteral("Xvfb did not start: ") + m_server.errorString();
        return;
    }
    QByteArray out;
    for (QDeadlineTimer ready(20000); !out.contains('\n') && !ready.hasExpired();) {
        m_server.waitForReadyRead(100);
        out += m_server.readAllStandardOutput();
    }
    bool ok = false;
    const int number = out.trimmed().toInt(&ok);
    if (ok)
        m_display = QStringLiteral(":%1").arg(number);
    else
        m_problem = QStringLiteral("Xvfb named no display");
}

VirtualScreen::~VirtualScreen()
{
    m_server.terminate();
    m_server.waitForFinished(5000);
}
