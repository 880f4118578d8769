#include "clsMain.h"

#include "Appearance.h"
#include "ArdentaError.h"
#include "Convert.h"
#include "ErrLog.h"
#include "frmMain.h"
#include "frmNotice.h"

#include <QGuiApplication>
#include <QWidget>
#include "Language.h"
#include "Session.h"

namespace {
void InitPopupTitle()
{
    gstrPopupTitle = GetLangText(QStringLiteral("0070"), QStringLiteral("Popup"));
}

void bringForward(QWidget *window)
{
    window->show();
    // Off-screen rendering (screenshots, tests) has no stacking order to change.
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        return;
    window->raise();
    window->activateWindow();
}

const QString cannotCreate = QStringLiteral("ActiveX component can't create object");
} // namespace

clsMain::clsMain(QObject *parent) : QObject(parent) {}

clsMain::~clsMain()
{
    UnloadForms();
    gobjLanguagePack.reset();
    gobjFontScheme.reset();
}

void clsMain::ShowForm(const QString &strConnection, const QString &strOperator,
                       const QString &strLanguage, qint16 intFlag, qint16 intDBType,
                       const QString &LangPack)
{
    try {
        if (IsBlank(strConnection))
            return;
        gstrConnection = strConnection;
        gstrOperator = strOperator;

        std::shared_ptr<LanguagePack> pack = CreateLanguagePack();
        if (!pack)
            throw ArdentaError(cannotCreate);
        gobjLanguagePack = pack;
        gobjLanguagePack->Init(QString(), strLanguage, QVariant(LangPack));
        gstrLanguage = strLanguage;

        std::shared_ptr<FontScheme> fonts = CreateFontScheme();
        if (!fonts)
            throw ArdentaError(cannotCreate);
        gobjFontScheme = fonts;
        gobjFontScheme->SetLanguage(strLanguage);

        gintDBType = intDBType;
        InitPopupTitle();
        GetSpecialConfig();

        if (intFlag == 0)
            bringForward(frmMain::instance());
        else
            bringForward(frmNotice::instance());
    } catch (const std::exception &error) {
        WriteErrLog(QString::fromUtf8(error.what()), QStringLiteral("ShowForm"),
                    QStringLiteral("clsMain"), QStringLiteral("QLX_Ardenta"));
    }
}

void clsMain::UnloadForms()
{
    frmMain::Unload();
    frmNotice::Unload();
}

bool clsMain::EditInnerInfo() const
{
    return gblnEditInnerInfo;
}

void clsMain::setEditInnerInfo(bool vNewValue)
{
    gblnEditInnerInfo = vNewValue;
}

bool clsMain::EditNotice() const
{
    return gblnEditNotice;
}

void clsMain::setEditNotice(bool vNewValue)
{
    gblnEditNotice = vNewValue;
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
