#include "print/ReportFonts.h"

#include "common/ArdentaError.h"
#include "common/ErrLog.h"
#include "common/Language.h"
#include "print/ReportTextObject.h"

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
