#pragma once
// Conversions between the window system's 0x00BBGGRR colours and Qt's.

#include <QColor>

#include "platform/window/win_types.h"

inline QColor ToQColor(COLORREF color) {
    return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

inline COLORREF ToColorref(const QColor& color) {
    return RGB(static_cast<BYTE>(color.red()), static_cast<BYTE>(color.green()),
               static_cast<BYTE>(color.blue()));
}
