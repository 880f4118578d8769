#pragma once
// Process-wide session state. Every window reads these directly; clsMain::ShowForm fills them.

#include <memory>
#include <QString>

class LanguagePack;
class FontScheme;

extern QString gstrConnection;
extern QString gstrOperator;
extern QString gstrLanguage;
extern qint16 gintDBType;
extern bool gblnEditInnerInfo;
extern bool gblnEditNotice;
extern QString gstrPopupTitle;
extern std::shared_ptr<LanguagePack> gobjLanguagePack;
extern std::shared_ptr<FontScheme> gobjFontScheme;

// Grid colours in the Windows layout &H00BBGGRR; 0 means "not configured".
extern qint32 glngGridFontColor;
extern qint32 glngGridFixedFontColor;
extern qint32 glngGridBackColor;
extern qint32 glngGridAlternate;
