#pragma once

#include <clsMain.h>

// The object a host gets from QPluginLoader::instance(): one clsMain of the loaded module.
class clsMainPlugin : public clsMain
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID IclsMain_iid FILE "clsMainPlugin.json")
public:
    using clsMain::clsMain;
};
