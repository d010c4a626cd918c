#include "app/app_start.h"

#include <QGuiApplication>
#include <memory>

#include "app/bar_report.h"
#include "app/resource.h"
#include "platform/qt/qt_icons.h"
#include "res/icon_resources.h"
#include "ui/text_progress_ctrl.h"

bool RunsHeadless() {
    return QGuiApplication::platformName() == QStringLiteral("offscreen");
}

void PrepareApplication() {
    // Lets desktops match the window with the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("zelvane"));
    RegisterIcon(IDR_MAINFRAME, ZelvaneIcon());
    if (RunsHeadless()) {
        g_progress[0].SetListener(std::make_shared<CBarReport>());
    }
}
