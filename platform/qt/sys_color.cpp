#include "platform/window/toolkit_backend.h"

#include <QGuiApplication>
#include <QPalette>
#include <QThread>

#include "platform/qt/qt_colors.h"

namespace {

struct CSystemColor {
    int index;
    QPalette::ColorRole role;
    COLORREF fallback;
};

constexpr CSystemColor kSystemColors[] = {
    {COLOR_WINDOW, QPalette::Base, RGB(255, 255, 255)},
    {COLOR_WINDOWTEXT, QPalette::Text, RGB(0, 0, 0)},
    {COLOR_HIGHLIGHT, QPalette::Highlight, RGB(0, 120, 215)},
    {COLOR_HIGHLIGHTTEXT, QPalette::HighlightedText, RGB(255, 255, 255)},
    {COLOR_BTNFACE, QPalette::Button, RGB(240, 240, 240)},
};

// The palette may only be read on the application's own thread, and only once it exists.
bool CanAskToolkit() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    return app && app->thread() == QThread::currentThread();
}

}  // namespace

COLORREF GetSysColor(int index) {
    for (const CSystemColor& color : kSystemColors) {
        if (color.index == index) {
            return CanAskToolkit() ? ToColorref(QGuiApplication::palette().color(color.role))
                                   : color.fallback;
        }
    }
    return 0;
}
