// The module's entry: ShowForm, UnloadForms, the release of the class, and the life of the
// shared windows it opens.

#include "common/Session.h"
#include "DbFixture.h"
#include "notice/frmNotice.h"
#include "staff/frmMain.h"
#include "TestPacks.h"
#include "WindowDriver.h"
#include <clsMain.h>

#include <QApplication>
#include <QtTest>

class tst_clsmain : public WindowTestCase
{
    Q_OBJECT

    std::unique_ptr<DbFixture> m_db;
    QString database() { return (m_db = std::make_unique<DbFixture>())->connection(); }

private Q_SLOTS:
    void cleanup()
    {
        tearDown();
        m_db.reset();
        SetLanguagePackFactory({});
    }

    // A blank connection changes nothing; a language object that cannot be made, or a dialect
    // the module cannot write, is logged and opens nothing; two arguments open the staff window
    // in Chinese.
    void twoArgumentsOpenStaffWindowInChinese()
    {
        Session().gintDBType = DBType::Jet;
        clsMain module;
        module.ShowForm("   ", "ops");
        QCOMPARE(Session().gstrConnection + Session().gstrOperator, QString());
        QVERIFY(!Session().gobjLanguagePack);
        const QString connection = database();
        SetLanguagePackFactory([]() -> std::shared_ptr<LanguagePack> {
            throw std::runtime_error("ActiveX component can't create object");
        });
        module.ShowForm(connection, "ops");
        QVERIFY(!frmMain::loadedInstance());
        QCOMPARE(Session().gstrConnection, connection); // steps already done stay done
        QVERIFY(
            home->logText().contains(":ActiveX component can't create object\r\nQLX_Ardenta\r\n"));
        SetLanguagePackFactory({});
        module.ShowForm(connection, "ops", "CHS", 0, 2);
        QVERIFY(!frmMain::loadedInstance());
        QCOMPARE(home->logEntryCount(), 2);
        QCOMPARE(home->logText().count("函数/过程:ShowForm,模块:clsMain\r\n"), 2);
        QVERIFY(home->logText().contains("Unknown SQL dialect 2"));
        module.ShowForm(connection, "ops");
        QCOMPARE((QStringList{Session().gstrConnection, Session().gstrOperator,
                              Session().gstrLanguage, Session().gstrPopupTitle}),
                 (QStringList{connection, "ops", "CHS", "提示"}));
        QCOMPARE(Session().gintDBType, DBType::TransactSql);
        QVERIFY(frmMain::loadedInstance() && frmMain::loadedInstance()->isVisible());
        QVERIFY(!frmNotice::loadedInstance());
        QCOMPARE(frmMain::loadedInstance()->windowTitle(), "内部信息管理");
        QCOMPARE(home->logEntryCount(), 2);
    }

    // A load that fails leaves no window; a loaded window is only shown again, so a new
    // language reaches windows that load afresh; UnloadForms closes both; a flag other than 0
    // opens the notice window; the class's release also drops the host objects, nothing else.
    void sharedWindowLifeCycle()
    {
        const QString connection = database();
        Session().gobjLanguagePack = std::make_shared<ThrowingPack>();
        QVERIFY_THROWS_EXCEPTION(std::exception, frmMain::instance());
        QVERIFY(!frmMain::loadedInstance());
        for (const QWidget *window : QApplication::topLevelWidgets())
            QVERIFY(window->objectName() != "frmMain");
        {
            clsMain module;
            module.ShowForm(connection, "ops", "ENG");
            QPointer<frmMain> first = frmMain::loadedInstance();
            module.ShowForm(connection, "ops", "CHS", 1);
            module.ShowForm(connection, "ops", "CHS");
            QCOMPARE(frmMain::loadedInstance(), first.data());
            QCOMPARE(first->windowTitle(), "Internal Information Management");
            QCOMPARE(Session().gstrPopupTitle, "提示");
            module.UnloadForms();
            module.UnloadForms();
            QVERIFY(!frmMain::loadedInstance() && !frmNotice::loadedInstance());
            QVERIFY(Session().gobjLanguagePack && Session().gobjFontScheme);
            for (const qint16 flag : {1, 2, -1}) { // any flag but 0
                module.UnloadForms();
                module.ShowForm(connection, "ops", "CHS", flag, 1);
                const frmNotice *notice = frmNotice::loadedInstance();
                QVERIFY(notice && notice->isVisible() && !frmMain::loadedInstance());
            }
            QCOMPARE(frmNotice::loadedInstance()->windowTitle(), "通知");
            QCOMPARE(Session().gintDBType, DBType::Jet);
        }
        QVERIFY(!frmNotice::loadedInstance());
        QVERIFY(!Session().gobjLanguagePack && !Session().gobjFontScheme);
        QCOMPARE(Session().gstrConnection, connection); // the rest of the session stays
    }
};

QTEST_MAIN(tst_clsmain)
#include "tst_clsmain.moc"
