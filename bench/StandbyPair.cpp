#include "StandbyPair.h"

#include <QDeadlineTimer>
#include <QDir>

namespace {
// The repository's scripts: ARDENTA_SOURCE_DIR, else the tree this program was built from.
QString PgTestScript()
{
    return QDir(qEnvironmentVariable("ARDENTA_SOURCE_DIR", QStringLiteral(ARDENTA_SOURCE_DIR)))
        .filePath(QStringLiteral("scripts/pg-test"));
}
} // namespace

StandbyPair::StandbyPair()
{
    // The rig runs its command for as long as the pair is wanted: one that prints what the
    // pair is and then waits for its input to close.
    m_rig.setProcessChannelMode(QProcess::SeparateChannels);
    m_rig.start(PgTestScript(),
                {QStringLiteral("--pair"), QStringLiteral("sh"), QStringLiteral("-c"),
                 QStringLiteral("printf '%s\\n' \"$ARDENTA_TEST_PAIR\" "
                                "\"$ARDENTA_TEST_PAIR_CONTROL\"; exec cat >/dev/null")});
    QByteArray out;
    for (QDeadlineTimer deadline(60000); out.count('\n') < 2 && !deadline.hasExpired();) {
        if (!m_rig.waitForReadyRead(200) && m_rig.state() == QProcess::NotRunning)
            break;
        out += m_rig.readAllStandardOutput();
    }
    const QList<QByteArray> lines = out.split('\n');
    if (lines.size() < 3 || lines[0].isEmpty()) {
        m_problem = QStringLiteral("scripts/pg-test --pair did not start a pair: ") +
                    QString::fromUtf8(m_rig.readAllStandardError().right(400));
        return;
    }
    m_connection = QString::fromUtf8(lines[0]);
    m_control = QString::fromUtf8(lines[1]);
}

StandbyPair::~StandbyPair()
{
    // The waiting command ends, and the rig removes its servers.
    m_rig.closeWriteChannel();
    if (m_rig.waitForFinished(30000))
        return;
    m_rig.terminate(); // the rig still cleans up on SIGTERM
    if (!m_rig.waitForFinished(10000))
        m_rig.kill();
}

bool StandbyPair::control(const QString &what) const
{
    return QProcess::execute(m_control, what.split(u' ')) == 0;
}
