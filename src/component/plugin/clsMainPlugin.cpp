#include "clsMainPlugin.h"
