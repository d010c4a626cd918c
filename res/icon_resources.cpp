#include "res/icon_resources.h"

#include <QtCore/QSize>
#include <QtCore/QString>

QIcon ZelvaneIcon() {
    InitIconResources();
    QIcon icon;
    for (int size : kZelvaneIconSizes) {
        icon.addFile(QStringLiteral(":/icons/zelvane-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}
