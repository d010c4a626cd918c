#pragma once
// Reading rendered pixels as the window system's colours.

#include <QImage>
#include <QWidget>
#include <algorithm>

#include "platform/qt/qt_colors.h"

// The widget as it would appear on screen, one pixel per logical pixel.
inline QImage Render(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline COLORREF PixelAt(const QImage& image, int x, int y) {
    return ToColorref(QColor(image.pixel(x, y)));
}

// True when every channel of `pixel` lies between those of `a` and `b`: a blend of the two, as
// anti-aliased text over a fill gives.
inline bool IsBlendOf(COLORREF pixel, COLORREF a, COLORREF b) {
    auto between = [](int v, int x, int y) { return v >= std::min(x, y) && v <= std::max(x, y); };
    return between(GetRValue(pixel), GetRValue(a), GetRValue(b)) &&
           between(GetGValue(pixel), GetGValue(a), GetGValue(b)) &&
           between(GetBValue(pixel), GetBValue(a), GetBValue(b));
}
