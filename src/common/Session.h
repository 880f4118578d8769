#pragma once
// The session state of modPublic: one object for the whole process, shared by every clsMain
// instance and read directly by every window. clsMain::ShowForm and the two permission
// properties fill it; tests put it back as a whole with Session() = SessionState().

#include "common/DBType.h"

#include <memory>
#include <QString>

class LanguagePack;
class FontScheme;

struct SessionState
{
    QString gstrConnection;
    QString gstrOperator;
    QString gstrLanguage = QStringLiteral("CHS");
    DBType gintDBType = DBType::TransactSql; // checked by ShowForm: no other value gets here
    bool gblnEditInnerInfo = false;
    bool gblnEditNotice = false;
    QString gstrPopupTitle = QStringLiteral("Popup");
    std::shared_ptr<LanguagePack> gobjLanguagePack;
    std::shared_ptr<FontScheme> gobjFontScheme;
    // Grid colours in the Windows layout &H00BBGGRR; 0 means "not configured".
    qint32 glngGridFontColor = 0;
    qint32 glngGridFixedFontColor = 0;
    qint32 glngGridBackColor = 0;
    qint32 glngGridAlternate = 0;
};

// Never destroyed: a host that loaded the module as a plugin may delete its clsMain during
// library finalisation, after the module's ordinary globals are gone.
SessionState &Session();
