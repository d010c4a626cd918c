#pragma once
// The program icon, compiled into the binary from res/zelvane.qrc: the images
// ":/icons/zelvane-16.png", -32, -48, -64, -128 and -256 (16 px drawn on its own pixel grid, the
// others from one drawing).

#include <QtCore/QtGlobal>
#include <QtGui/QIcon>

// Registers the compiled-in images. Resources in a static library are only linked in and
// registered through this call; it must stand outside any namespace, which is why it is here.
// Calling it more than once is harmless.
inline void InitIconResources() {
    Q_INIT_RESOURCE(zelvane);
}

// The pixel sizes of the icon's images, smallest first.
inline constexpr int kZelvaneIconSizes[] = {16, 32, 48, 64, 128, 256};

// The program icon with one image per size above; registers the images first.
QIcon ZelvaneIcon();
