// A host that loads QLX_Ardenta as a plugin and supplies its own language pack.
//   example-host CONNECTION [--check]
// With --check it opens both windows, prints their titles and exits.

#include <IclsMain.h>
#include <LanguagePack.h>

#include <cstdio>
#include <QApplication>
#include <QPluginLoader>
#include <QTimer>
#include <QWidget>

namespace {
// The host's own captions; ids it does not know answer empty, as a real pack would.
class HostLanguagePack : public LanguagePack
{
public:
    int Init(const QString &, const QString &, const QVariant &) override { return 0; }
    QString GetText(const QString &strId) override
    {
        if (strId == QLatin1String("0421"))
            return QStringLiteral("Host staff list");
        if (strId == QLatin1String("0423"))
            return QStringLiteral("Host notices");
        if (strId == QLatin1String("0070"))
            return QStringLiteral("Host");
        return QStringLiteral("[") + strId + QStringLiteral("]");
    }
};
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: example-host CONNECTION [--check]\n");
        return 2;
    }

    QPluginLoader loader(QStringLiteral(ARDENTA_LIBRARY));
    auto *module = qobject_cast<IclsMain *>(loader.instance());
    if (!module) {
        std::fprintf(stderr, "cannot load the module: %s\n", qPrintable(loader.errorString()));
        return 1;
    }
    module->SetHostFactories([] { return std::make_shared<HostLanguagePack>(); }, {});
    module->setEditInnerInfo(true);
    module->setEditNotice(true);
    module->ShowForm(arguments.at(1), QStringLiteral("host"), QStringLiteral("ENG"), 0);
    module->ShowForm(arguments.at(1), QStringLiteral("host"), QStringLiteral("ENG"), 1);

    if (arguments.contains(QStringLiteral("--check"))) {
        QTimer::singleShot(200, &app, [module] {
            for (QWidget *window : QApplication::topLevelWidgets()) {
                if (window->isVisible())
                    std::printf("%s: %s\n", qPrintable(window->objectName()),
                                qPrintable(window->windowTitle()));
            }
            std::fflush(stdout);
            module->UnloadForms();
            QApplication::quit();
        });
    }
    return QApplication::exec();
}
