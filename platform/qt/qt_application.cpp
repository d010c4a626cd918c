#include <QGuiApplication>

#include "platform/qt/qt_icons.h"
#include "platform/qt/qt_strings.h"
#include "platform/window/application.h"
#include "res/icon_resources.h"

void PrepareToolkit(int iconResourceId, const CStringTable& strings) {
    // Lets desktops match the window with the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("zelvane"));
    RegisterIcon(iconResourceId, ZelvaneIcon());
    RegisterStrings(strings);
}

bool RunsHeadless() {
    return QGuiApplication::platformName() == QStringLiteral("offscreen");
}
