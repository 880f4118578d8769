#include "cryClerk.h"

#include "Appearance.h"
#include "Language.h"

cryClerk::cryClerk() : Report(ReportDefinition::fromFile(QStringLiteral(":/print/cryClerk.json")))
{
    Report_Initialize();
}

const std::array<cryClerk::Caption, 7> &cryClerk::Captions()
{
    static const std::array<Caption, 7> captions{{
        {"txtTitle", "0438", "Inner Information"},
        {"txtSN", "0053", "SN."},
        {"txtName", "0439", "Name"},
        {"txtExt", "0436", "Ext"},
        {"txtTel", "0057", "Tel"},
        {"txtMobile", "0062", "Mobile"},
        {"txtEmail", "0114", "Email"},
    }};
    return captions;
}

void cryClerk::Report_Initialize()
{
    for (const Caption &caption : Captions()) {
        ReportTextObject &object = TextObject(QLatin1String(caption.Object));
        IniReportFonts(object);
        object.Text = GetLangText(QLatin1String(caption.Id), QLatin1String(caption.Default));
    }
}
