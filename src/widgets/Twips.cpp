#include "widgets/Twips.h"

#include <cmath>
#include <QGuiApplication>
#include <QScreen>

namespace {
double logicalDpi()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        return screen->logicalDotsPerInchX();
    return 96.0;
}
} // namespace

int TwipsToPixels(int twips)
{
    return int(std::lround(twips * logicalDpi() / 1440.0));
}

int PixelsToTwips(int pixels)
{
    return int(std::lround(pixels * 1440.0 / logicalDpi()));
}

QRect TwipsRect(int left, int top, int width, int height)
{
    return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                 TwipsToPixels(height));
}
