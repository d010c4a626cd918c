// Renders the dialog's progress bar in the states the updater shows and saves them as PNG files:
//     QT_QPA_PLATFORM=offscreen ui_render_screenshots <directory>
// The bar has the dialog's size (457 x 21 client pixels inside a one-pixel border) and is drawn
// at twice the pixel density, so the pictures stay sharp on high-resolution screens.

#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QVBoxLayout>
#include <cstdio>

#include "platform/qt/qt_window.h"
#include "ui/text_progress_ctrl.h"

namespace {

struct CShot {
    const char* file;
    int pos;
    const char16_t* text;
};

constexpr CShot kShots[] = {
    {"progress-wait-connect.png", 0, u"Wait Connect.."},
    {"progress-50-percent.png", 50, u""},  // the label straddles the bar's edge
    {"progress-57-percent.png", 57, u""},
    {"progress-success.png", 100, u"Success!!"},
};

// The colours the device monitor gives the visible bar.
void UseMonitorColors(CTextProgressCtrl& control) {
    control.EnableText(TRUE);
    control.SetBackColor(0xFFFFFF);
    control.SetBarTextColor(0xFFFFFF);
    control.SetBarColor(0x008000);
    control.SetBackTextColor(0x008000);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <directory>\n", argv[0]);
        return 2;
    }
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);

    QWidget panel;  // the part of the dialog around the bar
    auto* frame = new QFrame(&panel);
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame->setLineWidth(1);
    auto* bar = new QWidget(frame);
    bar->setFixedSize(457, 21);
    (new QVBoxLayout(frame))->setContentsMargins(0, 0, 0, 0);
    frame->layout()->addWidget(bar);
    (new QVBoxLayout(&panel))->setContentsMargins(12, 12, 12, 12);
    panel.layout()->addWidget(frame);
    panel.show();

    CTextProgressCtrl control;
    control.SubclassWindow(CQtWindow::FromWidget(bar));
    UseMonitorColors(control);
    bool saved = true;
    for (const CShot& shot : kShots) {
        control.SetPos(shot.pos);
        control.SetWindowText(shot.text);
        QString path = QDir(argv[1]).filePath(shot.file);
        saved = panel.grab().save(path) && saved;
        std::printf("%s\n", qPrintable(path));
    }
    control.UnsubclassWindow();
    return saved ? 0 : 1;
}
