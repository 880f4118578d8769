#pragma once
// Grid colours from SystemConfig.ini, the language's fonts, and keeping a window on top.

#include <QPalette>
#include <QString>

class QWidget;
class QFont;
class FlexGrid;

// A value of SystemConfig.ini with the Windows profile rules; "" when missing.
QString ReadConfigValue(const QString &strSection, const QString &strKey);

// Fills the four grid colour variables of the session from section GridColor.
void GetSpecialConfig();

// Applies the configured grid colours (those above 0) to a grid.
void SetGridColor(FlexGrid *grdTarget);

// Applies the language's font to a window and its controls.
void iniFormFonts(QWidget *frmTarget);

// A text object of a report: its name and font.
struct ReportTextObject;
void IniReportFonts(ReportTextObject &objReport);

void SetFormTopMost(QWidget *frmTarget, bool blnTopMost);

// Gives one colour role of a widget's palette a design colour.
void SetWidgetColor(QWidget *widget, QPalette::ColorRole role, const QColor &color);

// The type name of the original toolkit for a control, as the font rules know it ("Label",
// "TextBox", "CommandButton", "VSFlexGrid", ...); "" for kinds the font rules leave alone.
QString ControlTypeName(const QWidget *control);
