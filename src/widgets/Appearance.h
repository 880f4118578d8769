#pragma once
// How the module's windows look: the configured grid colours, the language's fonts, the design
// colours, the command buttons, captions from the language pack, and keeping a window on top.
// Every window lays itself out from a table of ControlDesign values in twips, as designed.

#include <initializer_list>
#include <QPalette>
#include <QString>

class FlexGrid;
class QKeySequence;
class QPushButton;
class QWidget;

// The design colours, written as the original writes colours: &H00BBGGRR, red in the low byte.
namespace DesignColor {
inline constexpr quint32 Window = 0x00C0E0FF;    // light orange: windows and their button bars
inline constexpr quint32 Button = 0x00C0FFFF;    // light yellow
inline constexpr quint32 Viewing = 0x00FFFFFF;   // white: a notice being read
inline constexpr quint32 Composing = 0x00C0FFC0; // light green: a notice being written
inline constexpr quint32 Caption = 0x00FF0000;   // blue: the search window's labels
inline constexpr quint32 White = 0x00FFFFFF;
} // namespace DesignColor

// One control as designed: its name, place and size in twips, and for a captioned control the
// text id of its caption (kept in its Tag) and the design caption.
struct ControlDesign
{
    const char *Name;
    int Left;
    int Top;
    int Width;
    int Height;
    const char *Tag = nullptr;
    const char *Caption = nullptr;
};

// Names the control, tags it and puts it at its design place.
void PlaceControl(QWidget *control, const ControlDesign &design);

// A command button of the module: placed as designed, with the design caption, light yellow.
QPushButton *MakeButton(QWidget *parent, const ControlDesign &design);

// The window's cancel button: Escape anywhere in the window presses it, also while a child has
// the focus.
void SetCancelButton(QWidget *window, QPushButton *button);
// A key anywhere in the window presses the button, as a click does (nothing while disabled).
void SetButtonKey(QWidget *window, const QKeySequence &key, QPushButton *button);

// A caption from the language pack: the text id is the control's Tag; the suffix (an access
// key) is appended in every language.
struct Caption
{
    QWidget *Control;
    const char *Default;
    const char *Suffix = "";
};

// Sets the captions in the order given (buttons, check boxes, labels), then the window's title
// from the window's own Tag.
void SetCaptions(QWidget *window, const char *titleDefault,
                 std::initializer_list<Caption> captions);

// Names a control that shows no caption of its own for screen readers, from the language pack;
// called where the captions are set, so that the name follows the language.
void SetAccessibleName(QWidget *control, const char *id, const char *englishDefault);

// Applies the configured grid colours (those above 0) to a grid.
void SetGridColor(FlexGrid *grdTarget);

// Applies the language's font to a window and its controls.
void iniFormFonts(QWidget *frmTarget);

void SetFormTopMost(QWidget *frmTarget, bool blnTopMost);

// Gives one colour role of a widget's palette a design colour (&H00BBGGRR).
void SetWidgetColor(QWidget *widget, QPalette::ColorRole role, quint32 oleColor);

// The type name of the original toolkit for a control, as the font rules know it ("Label",
// "TextBox", "CommandButton", "VSFlexGrid", ...); "" for kinds the font rules leave alone.
QString ControlTypeName(const QWidget *control);
