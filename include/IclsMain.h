#pragma once
// The module's public interface, as a host sees it through QPluginLoader.

#include "ArdentaExport.h"

#include <QString>
#include <QtPlugin>

#include "FontScheme.h"
#include "LanguagePack.h"

class ARDENTA_EXPORT IclsMain
{
public:
    virtual ~IclsMain() = default;

    // Opens the staff window (intFlag 0) or the notice window (any other flag) for the given
    // database, operator, language and SQL dialect (0 Transact-SQL, 1 Jet).
    virtual void ShowForm(const QString &strConnection, const QString &strOperator,
                          const QString &strLanguage = QStringLiteral("CHS"), qint16 intFlag = 0,
                          qint16 intDBType = 0, const QString &LangPack = QString()) = 0;
    // Closes the staff and notice windows.
    virtual void UnloadForms() = 0;

    virtual bool EditInnerInfo() const = 0;
    virtual void setEditInnerInfo(bool vNewValue) = 0;
    virtual bool EditNotice() const = 0;
    virtual void setEditNotice(bool vNewValue) = 0;

    // Lets a host that loaded the module as a plugin supply its own language and font objects
    // (an empty factory restores the built-in one).
    virtual void SetHostFactories(LanguagePackFactory languagePacks,
                                  FontSchemeFactory fontSchemes) = 0;
};

#define IclsMain_iid "QLX_Ardenta.clsMain"
Q_DECLARE_INTERFACE(IclsMain, IclsMain_iid)
