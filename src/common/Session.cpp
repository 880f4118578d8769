#include "Session.h"

#include "FontScheme.h"
#include "LanguagePack.h"

QString gstrConnection;
QString gstrOperator;
QString gstrLanguage = QStringLiteral("CHS");
qint16 gintDBType = 0;
bool gblnEditInnerInfo = false;
bool gblnEditNotice = false;
QString gstrPopupTitle = QStringLiteral("Popup");
std::shared_ptr<LanguagePack> gobjLanguagePack;
std::shared_ptr<FontScheme> gobjFontScheme;

qint32 glngGridFontColor = 0;
qint32 glngGridFixedFontColor = 0;
qint32 glngGridBackColor = 0;
qint32 glngGridAlternate = 0;
