#include "widgets/OleColor.h"

#include <QGuiApplication>
#include <QPalette>

namespace OleColor {

QColor ToColor(qint32 color)
{
    if (quint32(color) & 0x80000000u) {
        // System colours by their Windows index.
        const QPalette palette = QGuiApplication::palette();
        switch (quint32(color) & 0xFFu) {
        case 1:  // desktop
        case 2:  // active caption
        case 13: // highlight
            return palette.color(QPalette::Highlight);
        case 5: // window
            return palette.color(QPalette::Base);
        case 7: // menu text
        case 8: // window text
            return palette.color(QPalette::Text);
        case 9:  // caption text
        case 14: // highlight text
            return palette.color(QPalette::HighlightedText);
        case 16: // button shadow
            return palette.color(QPalette::Dark);
        case 17: // grey text
            return palette.color(QPalette::Disabled, QPalette::Text);
        case 18: // button text
            return palette.color(QPalette::ButtonText);
        case 20: // 3D highlight
            return palette.color(QPalette::Light);
        case 23:
            return palette.color(QPalette::ToolTipText);
        case 24:
            return palette.color(QPalette::ToolTipBase);
        case 15: // button face
        default:
            return palette.color(QPalette::Button);
        }
    }
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

qint32 FromColor(const QColor &color)
{
    return qint32(color.red() | (color.green() << 8) | (color.blue() << 16));
}

} // namespace OleColor
