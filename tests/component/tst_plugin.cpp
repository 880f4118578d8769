// A host loads the module as a Qt plugin, opens a window on a real database through its
// interface, and returns from main with the window still open: the plugin instance is then
// deleted during library finalisation, after the module's own globals.

#include "DbFixture.h"
#include "TestHome.h"
#include <IclsMain.h>

#include <QApplication>
#include <QPluginLoader>
#include <QtTest>

class tst_plugin : public QObject
{
    Q_OBJECT
    TestHome m_home;
    DbFixture m_db;

private Q_SLOTS:
    void opensWindowThroughQPluginLoader()
    {
        QPluginLoader loader(qEnvironmentVariable("ARDENTA_BINARY_DIR") +
                             "/src/component/libQLX_Ardenta.so");
        QCOMPARE(loader.metaData().value("IID").toString(), "QLX_Ardenta.clsMain");
        auto *module = qobject_cast<IclsMain *>(loader.instance());
        QVERIFY2(module, qPrintable(loader.errorString()));
        module->setEditInnerInfo(true);
        QVERIFY(module->EditInnerInfo());
        module->ShowForm(m_db.connection(), "ops", "ENG", 1);
        // Hidden windows (a grid's menu) are top-level widgets too.
        QWidgetList shown = QApplication::topLevelWidgets();
        shown.removeIf([](const QWidget *widget) { return !widget->isVisible(); });
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.front()->objectName(), "frmNotice");
        QCOMPARE(m_home.logEntryCount(), 0);
    }
};

QTEST_MAIN(tst_plugin)
#include "tst_plugin.moc"
