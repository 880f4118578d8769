#include "component/plugin/clsMainPlugin.h"
