#pragma once
// The program's icons on Qt: registered once at start-up under their resource ids, then found
// by LoadResourceIcon (platform/window/toolkit_backend.h) like any other resource.

#include <QIcon>

struct CIconResource {
    QIcon icon;
};

// Registers `icon` under `resourceId`, replacing an earlier one. On the user-interface thread,
// before any dialog asks for it.
void RegisterIcon(int resourceId, const QIcon& icon);
