// A host loads the module as a Qt plugin and drives it through its interface.

#include "IclsMain.h"

#include <QObject>
#include <QPluginLoader>
#include <QtTest>

class tst_plugin : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void loadsThroughQPluginLoader();
};

void tst_plugin::loadsThroughQPluginLoader()
{
    const QString library = qEnvironmentVariable("ARDENTA_BINARY_DIR") +
                            QStringLiteral("/src/component/libQLX_Ardenta.so");
    QPluginLoader loader(library);
    QCOMPARE(loader.metaData().value(QStringLiteral("IID")).toString(),
             QStringLiteral("QLX_Ardenta.clsMain"));
    QObject *root = loader.instance();
    QVERIFY2(root, qPrintable(loader.errorString()));
    IclsMain *module = qobject_cast<IclsMain *>(root);
    QVERIFY(module);
    QVERIFY(!module->EditInnerInfo());
    module->setEditInnerInfo(true);
    QVERIFY(module->EditInnerInfo());
    // A blank connection opens nothing and does not fail.
    module->ShowForm(QStringLiteral(" "), QStringLiteral("ops"));
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

QTEST_MAIN(tst_plugin)
#include "tst_plugin.moc"
