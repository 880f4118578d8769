#include <clsMain.h>

#include "common/ArdentaError.h"
#include "common/Config.h"
#include "common/Convert.h"
#include "common/ErrLog.h"
#include "common/Language.h"
#include "common/Session.h"
#include "db/ConnectionPool.h"
#include "notice/frmNotice.h"
#include "staff/frmMain.h"
#include "widgets/MsgBox.h"

namespace {
void InitPopupTitle()
{
    Session().gstrPopupTitle = GetLangText(QStringLiteral("0070"), QStringLiteral("Popup"));
}

const QString cannotCreate = QStringLiteral("ActiveX component can't create object");
} // namespace

clsMain::clsMain(QObject *parent) : QObject(parent)
{
    InstallErrLogBox();
}

clsMain::~clsMain()
{
    UnloadForms();
    Session().gobjLanguagePack.reset();
    Session().gobjFontScheme.reset();
}

void clsMain::ShowForm(const QString &strConnection, const QString &strOperator,
                       const QString &strLanguage, qint16 intFlag, qint16 intDBType,
                       const QString &LangPack)
{
    SessionState &session = Session();
    try {
        if (IsBlank(strConnection))
            return;
        session.gstrConnection = strConnection;
        session.gstrOperator = strOperator;
        // The staff history's triggers name him on a database that has no logins of its own.
        ConnectionPool::DeclareOperator(strConnection, strOperator);

        std::shared_ptr<LanguagePack> pack = CreateLanguagePack();
        if (!pack)
            throw ArdentaError(cannotCreate);
        session.gobjLanguagePack = pack;
        pack->Init(QString(), strLanguage, QVariant(LangPack));
        session.gstrLanguage = strLanguage;

        std::shared_ptr<FontScheme> fonts = CreateFontScheme();
        if (!fonts)
            throw ArdentaError(cannotCreate);
        session.gobjFontScheme = fonts;
        fonts->SetLanguage(strLanguage);

        // Past this point no other dialect exists: one that would write nothing on Save while
        // saying "Saved!" opens no window.
        const std::optional<DBType> dialect = ToDBType(intDBType);
        if (!dialect)
            throw ArdentaError(QStringLiteral("Unknown SQL dialect %1: 0 is Transact-SQL, 1 is Jet")
                                   .arg(intDBType));
        session.gintDBType = *dialect;
        InitPopupTitle();
        GetSpecialConfig();

        if (intFlag == 0)
            frmMain::ShowInFront();
        else
            frmNotice::ShowInFront();
    } catch (const std::exception &error) {
        LogFailure(error, QStringLiteral("ShowForm"), QStringLiteral("clsMain"),
                   QStringLiteral("QLX_Ardenta"));
    }
}

void clsMain::UnloadForms()
{
    frmMain::Unload();
    frmNotice::Unload();
    ConnectionPool::CloseAll();
}

bool clsMain::EditInnerInfo() const
{
    return Session().gblnEditInnerInfo;
}

void clsMain::setEditInnerInfo(bool vNewValue)
{
    Session().gblnEditInnerInfo = vNewValue;
}

bool clsMain::EditNotice() const
{
    return Session().gblnEditNotice;
}

void clsMain::setEditNotice(bool vNewValue)
{
    Session().gblnEditNotice = vNewValue;
}

void clsMain::SetHostFactories(LanguagePackFactory languagePacks, FontSchemeFactory fontSchemes)
{
    SetLanguagePackFactory(std::move(languagePacks));
    SetFontSchemeFactory(std::move(fontSchemes));
}

QString clsMain::Version()
{
    return QStringLiteral(ARDENTA_VERSION);
}
