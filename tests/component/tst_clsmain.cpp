// The module's entry: ShowForm, UnloadForms, the permissions and the release of the class.

#include "BuiltinLanguagePack.h"
#include "clsMain.h"
#include "frmMain.h"
#include "frmNotice.h"
#include "Schema.h"
#include "Session.h"
#include "TestHelpers.h"

#include <QtTest>

class tst_clsmain : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup();
    void blankConnectionDoesNothing();
    void twoArgumentsOpenStaffWindowInChinese();
    void nonZeroFlagsOpenNoticeWindow_data();
    void nonZeroFlagsOpenNoticeWindow();
    void secondShowFormDoesNotReload();
    void unloadFormsBeforeShowForm();
    void unloadFormsClosesBothWindows();
    void failingLanguageObjectIsLoggedAndOpensNothing();
    void permissionsAreSessionWide();
    void destructionReleasesHostObjects();

private:
    QString makeDatabase(const TestHome &home);
};

QString tst_clsmain::makeDatabase(const TestHome &home)
{
    const QString connection = QStringLiteral("Data Source=") + home.file("test.sqlite");
    QString message;
    if (!InitDatabase(connection, &message))
        qWarning("%s", qPrintable(message));
    return connection;
}

void tst_clsmain::cleanup()
{
    frmMain::Unload();
    frmNotice::Unload();
    SetLanguagePackFactory({});
    SetFontSchemeFactory({});
}

void tst_clsmain::blankConnectionDoesNothing()
{
    TestHome home;
    gstrConnection = QStringLiteral("before");
    clsMain module;
    module.ShowForm(QStringLiteral("   "), QStringLiteral("ops"));
    QCOMPARE(gstrConnection, QStringLiteral("before"));
    QCOMPARE(gstrOperator, QString());
    QVERIFY(!gobjLanguagePack);
    QVERIFY(!frmMain::loadedInstance());
    QVERIFY(!frmNotice::loadedInstance());
    QCOMPARE(home.logEntryCount(), 0);
}

void tst_clsmain::twoArgumentsOpenStaffWindowInChinese()
{
    TestHome home;
    const QString connection = makeDatabase(home);
    gintDBType = 5;
    clsMain module;
    module.ShowForm(connection, QStringLiteral("ops"));
    QCOMPARE(gstrConnection, connection);
    QCOMPARE(gstrOperator, QStringLiteral("ops"));
    QCOMPARE(gstrLanguage, QStringLiteral("CHS"));
    QCOMPARE(gintDBType, qint16(0));
    QCOMPARE(gstrPopupTitle, QStringLiteral("提示"));
    QVERIFY(gobjLanguagePack && gobjFontScheme);
    QVERIFY(frmMain::loadedInstance() && frmMain::loadedInstance()->isVisible());
    QVERIFY(!frmNotice::loadedInstance());
    QCOMPARE(frmMain::loadedInstance()->windowTitle(), QStringLiteral("内部信息管理"));
    QCOMPARE(home.logEntryCount(), 0);
}

void tst_clsmain::nonZeroFlagsOpenNoticeWindow_data()
{
    QTest::addColumn<int>("flag");
    QTest::newRow("1") << 1;
    QTest::newRow("2") << 2;
    QTest::newRow("-1") << -1;
}

void tst_clsmain::nonZeroFlagsOpenNoticeWindow()
{
    QFETCH(int, flag);
    TestHome home;
    clsMain module;
    module.ShowForm(makeDatabase(home), QStringLiteral("ops"), QStringLiteral("ENG"), qint16(flag),
                    1);
    QVERIFY(frmNotice::loadedInstance() && frmNotice::loadedInstance()->isVisible());
    QVERIFY(!frmMain::loadedInstance());
    QCOMPARE(gintDBType, qint16(1));
    QCOMPARE(frmNotice::loadedInstance()->windowTitle(), QStringLiteral("Notice"));
}

void tst_clsmain::secondShowFormDoesNotReload()
{
    TestHome home;
    const QString connection = makeDatabase(home);
    clsMain module;
    module.ShowForm(connection, QStringLiteral("ops"), QStringLiteral("ENG"));
    QPointer<frmMain> first = frmMain::loadedInstance();
    QVERIFY(first);
    QCOMPARE(first->windowTitle(), QStringLiteral("Internal Information Management"));
    // A new language reaches only windows that load afresh.
    module.ShowForm(connection, QStringLiteral("ops"), QStringLiteral("CHS"));
    QCOMPARE(frmMain::loadedInstance(), first.data());
    QCOMPARE(first->windowTitle(), QStringLiteral("Internal Information Management"));
    QCOMPARE(gstrPopupTitle, QStringLiteral("提示"));
}

void tst_clsmain::unloadFormsBeforeShowForm()
{
    TestHome home;
    clsMain module;
    module.UnloadForms();
    QVERIFY(!frmMain::loadedInstance());
    QCOMPARE(home.logEntryCount(), 0);
}

void tst_clsmain::unloadFormsClosesBothWindows()
{
    TestHome home;
    const QString connection = makeDatabase(home);
    clsMain module;
    module.ShowForm(connection, QStringLiteral("ops"), QStringLiteral("ENG"), 0);
    module.ShowForm(connection, QStringLiteral("ops"), QStringLiteral("ENG"), 1);
    QVERIFY(frmMain::loadedInstance() && frmNotice::loadedInstance());
    module.UnloadForms();
    QTRY_VERIFY(!frmMain::loadedInstance() && !frmNotice::loadedInstance());
    QVERIFY(gobjLanguagePack); // the host objects stay
    // A later ShowForm loads afresh.
    module.ShowForm(connection, QStringLiteral("ops"), QStringLiteral("ENG"), 0);
    QVERIFY(frmMain::loadedInstance());
}

void tst_clsmain::failingLanguageObjectIsLoggedAndOpensNothing()
{
    TestHome home;
    SetLanguagePackFactory([]() -> std::shared_ptr<LanguagePack> {
        throw std::runtime_error("ActiveX component can't create object");
    });
    clsMain module;
    module.ShowForm(makeDatabase(home), QStringLiteral("ops"));
    QVERIFY(!frmMain::loadedInstance());
    QVERIFY(!gstrConnection.isEmpty()); // steps already done stay done
    QCOMPARE(home.logEntryCount(), 1);
    QVERIFY(home.logText().startsWith(QStringLiteral("函数/过程:ShowForm,模块:clsMain\r\n")));
    QVERIFY(home.logText().contains(
        QStringLiteral(":ActiveX component can't create object\r\nQLX_Ardenta\r\n")));
}

void tst_clsmain::permissionsAreSessionWide()
{
    TestHome home;
    clsMain first;
    clsMain second;
    QVERIFY(!first.EditInnerInfo() && !first.EditNotice());
    first.setEditInnerInfo(true);
    second.setEditNotice(true);
    QVERIFY(second.EditInnerInfo());
    QVERIFY(first.EditNotice());
    QCOMPARE(first.property("EditInnerInfo").toBool(), true);
    QVERIFY(gblnEditInnerInfo && gblnEditNotice);
}

void tst_clsmain::destructionReleasesHostObjects()
{
    TestHome home;
    const QString connection = makeDatabase(home);
    {
        clsMain module;
        module.ShowForm(connection, QStringLiteral("ops"), QStringLiteral("ENG"));
        QVERIFY(gobjLanguagePack && frmMain::loadedInstance());
    }
    QTRY_VERIFY(!frmMain::loadedInstance());
    QVERIFY(!gobjLanguagePack && !gobjFontScheme);
    QCOMPARE(gstrConnection, connection); // the rest of the session stays
}

QTEST_MAIN(tst_clsmain)
#include "tst_clsmain.moc"
