#pragma once

struct ReportTextObject;

// Gives a report text object the session language's character set, face and size.
void IniReportFonts(ReportTextObject &objReport);
