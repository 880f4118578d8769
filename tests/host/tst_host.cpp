// The host program as a user runs it: options, errors, --init-db, --demo and --screenshot.

#include "DbFixture.h"
#include "Session.h"
#include "TestHome.h"

#include <QImage>
#include <QProcess>
#include <QtTest>

namespace {
struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run runArdenta(const QStringList &arguments, const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(qEnvironmentVariable("ARDENTA_BINARY_DIR") + QStringLiteral("/src/host/ardenta"),
                  arguments);
    Run run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        run.err = QStringLiteral("timed out");
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace

class tst_host : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void helpAndVersion();
    void badArgumentsFailClearly_data();
    void badArgumentsFailClearly();
    void withoutDisplayExplainsScreenshot();
    void initDbCreatesSchemaOnce_data();
    void initDbCreatesSchemaOnce();
    void screenshotOfEachWindow_data();
    void screenshotOfEachWindow();
    void demoDatabaseMadeOnceAndOpened();

private:
    std::unique_ptr<TestHome> m_home;
    QProcessEnvironment m_env;
};

void tst_host::init()
{
    m_home.reset(); // before the next one takes ARDENTA_HOME
    m_home = std::make_unique<TestHome>();
    m_env = QProcessEnvironment::systemEnvironment();
    m_env.insert(QStringLiteral("ARDENTA_HOME"), m_home->path());
    m_env.insert(QStringLiteral("XDG_DATA_HOME"), m_home->file(QStringLiteral("data")));
    m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
}

void tst_host::helpAndVersion()
{
    const Run help = runArdenta({QStringLiteral("--help")}, m_env);
    QCOMPARE(help.exitCode, 0);
    for (const char *option :
         {"--connection", "--operator", "--language", "--flag", "--dbtype", "--langpack",
          "--edit-staff", "--edit-notice", "--demo", "--init-db", "--screenshot"})
        QVERIFY2(help.out.contains(QLatin1String(option)), option);
    const Run version = runArdenta({QStringLiteral("--version")}, m_env);
    QCOMPARE(version.exitCode, 0);
    QVERIFY(version.out.contains(QRegularExpression(QStringLiteral("\\d+\\.\\d+\\.\\d+"))));
}

void tst_host::badArgumentsFailClearly_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown_option") << QStringList{"--colour"} << "colour";
    QTest::newRow("no_connection") << QStringList{"--operator", "ops"} << "--connection";
    QTest::newRow("flag_not_a_number")
        << QStringList{"--connection", "sqlite:x.db", "--flag", "staff"} << "--flag";
    QTest::newRow("dbtype_too_big")
        << QStringList{"--connection", "sqlite:x.db", "--dbtype", "70000"} << "--dbtype";
    QTest::newRow("init_db_without_connection") << QStringList{"--init-db"} << "--connection";
}

void tst_host::badArgumentsFailClearly()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const Run run = runArdenta(arguments, m_env);
    QVERIFY(run.exitCode > 0);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
}

void tst_host::withoutDisplayExplainsScreenshot()
{
    QProcessEnvironment env = m_env;
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    const Run run = runArdenta({QStringLiteral("--demo")}, env);
    QVERIFY(run.exitCode > 0);
    QVERIFY2(run.err.contains(QStringLiteral("--screenshot")), qPrintable(run.err));
}

void tst_host::initDbCreatesSchemaOnce_data()
{
    BackendRows();
}

void tst_host::initDbCreatesSchemaOnce()
{
    DB_FIXTURE_WITH(database, false);
    const QStringList init = {QStringLiteral("--init-db"), QStringLiteral("--connection"),
                              database.connection()};
    const Run first = runArdenta(init, m_env);
    QVERIFY2(first.exitCode == 0, qPrintable(first.err + first.out));
    for (const char *name : {"Clerk", "Notice", "OnLine"})
        QCOMPARE(database.count(QLatin1String(name)), 0);
    QCOMPARE(database.count(QStringLiteral("Vw_Clerk")), 0);
    const Run second = runArdenta(init, m_env);
    QCOMPARE(second.exitCode, 0);
    QVERIFY2(second.out != first.out, qPrintable(second.out)); // says the schema was there
}

void tst_host::screenshotOfEachWindow_data()
{
    QTest::addColumn<QString>("flag");
    QTest::addColumn<QString>("language");
    for (const char *flag : {"0", "1"}) {
        for (const char *language : {"ENG", "CHS"})
            QTest::addRow("flag%s_%s", flag, language) << flag << language;
    }
}

void tst_host::screenshotOfEachWindow()
{
    QFETCH(QString, flag);
    QFETCH(QString, language);
    const QString db = m_home->file(QStringLiteral("shot.sqlite"));
    QCOMPARE(runArdenta({"--init-db", "--connection", "Data Source=" + db}, m_env).exitCode, 0);
    const QString png = m_home->file(QStringLiteral("shot.png"));
    const Run run = runArdenta({"--connection", "Data Source=" + db, "--operator", "ops",
                                "--language", language, "--flag", flag, "--screenshot", png},
                               m_env);
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    const QImage image(png);
    QVERIFY(!image.isNull());
    QVERIFY(image.width() > 300 && image.height() > 200);
    QCOMPARE(m_home->logEntryCount(), 0);
}

void tst_host::demoDatabaseMadeOnceAndOpened()
{
    const QString png = m_home->file(QStringLiteral("demo.png"));
    const Run first = runArdenta({"--demo", "--screenshot", png}, m_env);
    QVERIFY2(first.exitCode == 0, qPrintable(first.err));
    const QString demo = m_home->file(QStringLiteral("data/QLX_Ardenta/demo.sqlite"));
    QVERIFY2(QFile::exists(demo), qPrintable(demo));
    const QDateTime made = QFileInfo(demo).lastModified();
    QVERIFY(!QImage(png).isNull());

    const Run second = runArdenta({"--demo", "--screenshot", png}, m_env);
    QCOMPARE(second.exitCode, 0);
    QCOMPARE(QFileInfo(demo).lastModified(), made);
    QCOMPARE(m_home->logEntryCount(), 0);
}

QTEST_MAIN(tst_host)
#include "tst_host.moc"
