#pragma once

#include <QRect>

// Window and control lengths are kept in twips (1/1440 inch) at the screen's logical DPI:
// 15 twips to a pixel at 96 DPI.
int TwipsToPixels(int twips);
int PixelsToTwips(int pixels);
QRect TwipsRect(int left, int top, int width, int height);
