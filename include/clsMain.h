#pragma once
// The module's one public class. A host creates it, sets the two permissions and calls ShowForm.

#include "ArdentaExport.h"

#include "IclsMain.h"

#include <QObject>

class ARDENTA_EXPORT clsMain : public QObject, public IclsMain
{
    Q_OBJECT
    Q_INTERFACES(IclsMain)
    Q_PROPERTY(bool EditInnerInfo READ EditInnerInfo WRITE setEditInnerInfo)
    Q_PROPERTY(bool EditNotice READ EditNotice WRITE setEditNotice)
public:
    explicit clsMain(QObject *parent = nullptr);
    // Closes both main windows and releases the host objects of the whole process.
    ~clsMain() override;

    void ShowForm(const QString &strConnection, const QString &strOperator,
                  const QString &strLanguage = QStringLiteral("CHS"), qint16 intFlag = 0,
                  qint16 intDBType = 0, const QString &LangPack = QString()) override;
    void UnloadForms() override;

    bool EditInnerInfo() const override;
    void setEditInnerInfo(bool vNewValue) override;
    bool EditNotice() const override;
    void setEditNotice(bool vNewValue) override;

    void SetHostFactories(LanguagePackFactory languagePacks,
                          FontSchemeFactory fontSchemes) override;

    // The module's version, as the package and the host program report it.
    static QString Version();
};
