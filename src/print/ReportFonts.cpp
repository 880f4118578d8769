#include "ReportFonts.h"

#include "ArdentaError.h"
#include "ErrLog.h"
#include "Language.h"
#include "ReportTextObject.h"

void IniReportFonts(ReportTextObject &objReport)
{
    try {
        const LanguageFont language = SessionLanguageFont();
        objReport.Charset = language.charset;
        objReport.Font.setFamily(language.face);
        objReport.Font.setPointSize(language.size);
    } catch (const std::exception &error) {
        WriteErrLog(QStringLiteral("IniReportFonts: ") + objReport.Name + QLatin1Char(' ') +
                        ErrorText(error),
                    QStringLiteral("modPubic"), QString());
    }
}
