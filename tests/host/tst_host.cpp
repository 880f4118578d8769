// The host program as a user runs it: options, errors, --init-db, --demo and --screenshot.

#include "DbFixture.h"
#include "TestHome.h"

#include <QImage>
#include <QProcess>
#include <QtTest>

class tst_host : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestHome> m_home;
    QProcessEnvironment m_env;

    struct Run
    {
        int exitCode = -1;
        QString out;
        QString err;
    };
    Run ardenta(const QStringList &arguments, const QProcessEnvironment &environment)
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(qEnvironmentVariable("ARDENTA_BINARY_DIR") + "/src/host/ardenta", arguments);
        if (!process.waitForFinished(120000))
            process.kill();
        process.waitForFinished();
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2,
                QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    Run ardenta(const QStringList &arguments) { return ardenta(arguments, m_env); }

private Q_SLOTS:
    void init()
    {
        m_home.reset(); // before the next one takes ARDENTA_HOME
        m_home = std::make_unique<TestHome>();
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert(QStringLiteral("ARDENTA_HOME"), m_home->path());
        m_env.insert(QStringLiteral("XDG_DATA_HOME"), m_home->file(QStringLiteral("data")));
        m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }

    void badArgumentsFailClearly_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown_option") << QStringList{"--colour"} << "colour";
        QTest::newRow("no_connection") << QStringList{"--operator", "ops"} << "--connection";
        QTest::newRow("flag_not_a_number")
            << QStringList{"--connection", "sqlite:x.db", "--flag", "staff"} << "--flag";
        QTest::newRow("dbtype_too_big")
            << QStringList{"--connection", "sqlite:x.db", "--dbtype", "70000"} << "--dbtype";
    }
    void badArgumentsFailClearly()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const Run run = ardenta(arguments);
        QVERIFY(run.exitCode > 0);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
    }

    void withoutDisplayExplainsScreenshot()
    {
        QProcessEnvironment env = m_env;
        for (const char *variable : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(QLatin1String(variable));
        const Run run = ardenta({QStringLiteral("--demo")}, env);
        QVERIFY(run.exitCode > 0);
        QVERIFY2(run.err.contains(QStringLiteral("--screenshot")), qPrintable(run.err));
        QCOMPARE(ardenta({QStringLiteral("--version")}, env).exitCode, 0);
    }

    // --init-db makes the schema once and says so the second time; each window opens on it.
    void initDbAndScreenshots()
    {
        DbFixture db(QStringLiteral("sqlite"), false);
        const QStringList init{"--init-db", "--connection", db.connection()};
        const Run first = ardenta(init);
        QVERIFY2(first.exitCode == 0, qPrintable(first.err + first.out));
        QCOMPARE(db.count(QStringLiteral("Vw_Clerk")), 0);
        const Run second = ardenta(init);
        QCOMPARE(second.exitCode, 0);
        QVERIFY2(second.out.contains(QStringLiteral("already")), qPrintable(second.out));
        QCOMPARE(ardenta({QStringLiteral("--init-db")}).exitCode, 2);

        const QString png = m_home->file(QStringLiteral("shot.png"));
        for (const auto &[flag, language] : {std::pair{"0", "CHS"}, {"1", "ENG"}}) {
            const Run run = ardenta({"--connection", db.connection(), "--operator", "ops",
                                     "--language", language, "--flag", flag, "--screenshot", png});
            QVERIFY2(run.exitCode == 0, qPrintable(run.err));
            const QImage image(png);
            QVERIFY(image.width() > 300 && image.height() > 200);
            QFile::remove(png);
        }
        QCOMPARE(m_home->logEntryCount(), 0);
    }

    void demoDatabaseMadeOnceAndOpened()
    {
        const QString png = m_home->file(QStringLiteral("demo.png"));
        const Run first = ardenta({"--demo", "--screenshot", png});
        QVERIFY2(first.exitCode == 0, qPrintable(first.err));
        const QString demo = m_home->file(QStringLiteral("data/QLX_Ardenta/demo.sqlite"));
        const QDateTime made = QFileInfo(demo).lastModified();
        QVERIFY(made.isValid() && !QImage(png).isNull());
        QCOMPARE(ardenta({"--demo", "--screenshot", png}).exitCode, 0);
        QCOMPARE(QFileInfo(demo).lastModified(), made);
        QCOMPARE(m_home->logEntryCount(), 0);
    }
};

QTEST_MAIN(tst_host)
#include "tst_host.moc"
