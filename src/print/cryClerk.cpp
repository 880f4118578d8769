#include "print/cryClerk.h"

#include "common/Language.h"
#include "db/ClerkFields.h"
#include "print/ReportFonts.h"

#include <algorithm>

cryClerk::cryClerk() : Report(ReportDefinition::fromFile(QStringLiteral(":/print/cryClerk.json")))
{
    Report_Initialize();
}

QString cryClerk::SourceQuery()
{
    return QStringLiteral("Select * From Vw_Clerk");
}

const std::vector<cryClerk::Caption> &cryClerk::Captions()
{
    static const std::vector<Caption> captions = [] {
        std::vector<const ClerkField *> shown;
        for (const ClerkField &field : ClerkFields) {
            if (field.Report.Position > 0)
                shown.push_back(&field);
        }
        std::sort(shown.begin(), shown.end(), [](const ClerkField *a, const ClerkField *b) {
            return a->Report.Position < b->Report.Position;
        });
        std::vector<Caption> list{{"txtTitle", "0438", "Inner Information"},
                                  {"txtSN", "0053", "SN."}};
        for (const ClerkField *field : shown)
            list.push_back({field->Report.Object, field->Report.Id, field->Report.Default});
        return list;
    }();
    return captions;
}

void cryClerk::Report_Initialize()
{
    for (const Caption &caption : Captions()) {
        ReportTextObject &object = TextObject(QLatin1String(caption.Object));
        IniReportFonts(object);
        object.Text = GetLangText(QLatin1String(caption.Id), QLatin1String(caption.Default));
    }
    // Texts of our own, with ids of their own.
    TextObject(QStringLiteral("fldPageNofM")).Text =
        GetLangText(QStringLiteral("0440"), QStringLiteral("Page %1 / %2"))
            .arg(QStringLiteral("{PageNumber}"), QStringLiteral("{PageCount}"));
    SetContinuedText(GetLangText(QStringLiteral("0441"), QStringLiteral("(continued)")));
    // The department's caption is the grid's (its header line: serial, key, then the fields).
    constexpr int dept = ClerkFieldIndex("Clerk_Dept");
    SetGroupCaption(GetLangText(QStringLiteral("0419"), QString())
                        .split(u'|')
                        .value(dept + 2, QLatin1String(ClerkFields[dept].Header)));
}
