#pragma once
// How the module's windows look: the configured grid colours, the language's fonts, design
// colours and keeping a window on top.

#include <QPalette>
#include <QString>

class QWidget;
class FlexGrid;

// Applies the configured grid colours (those above 0) to a grid.
void SetGridColor(FlexGrid *grdTarget);

// Applies the language's font to a window and its controls.
void iniFormFonts(QWidget *frmTarget);

void SetFormTopMost(QWidget *frmTarget, bool blnTopMost);

// Gives one colour role of a widget's palette a design colour.
void SetWidgetColor(QWidget *widget, QPalette::ColorRole role, const QColor &color);

// The type name of the original toolkit for a control, as the font rules know it ("Label",
// "TextBox", "CommandButton", "VSFlexGrid", ...); "" for kinds the font rules leave alone.
QString ControlTypeName(const QWidget *control);
