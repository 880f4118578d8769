#pragma once
// SystemConfig.ini: the one reader of the module's settings file.

#include <QString>

// A value of SystemConfig.ini with the Windows profile rules; "" when missing.
QString ReadConfigValue(const QString &strSection, const QString &strKey);

// Fills the four grid colour variables of the session from section GridColor.
void GetSpecialConfig();
