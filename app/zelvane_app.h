#pragma once
// The application object: starts the user interface and runs the main dialog modally.

#include "platform/window/dialog.h"

class CZelvaneApp {
public:
    // Runs the main dialog until it is closed. Returns FALSE: the application ends with the
    // dialog. Needs the toolkit's application object to exist.
    BOOL InitInstance();

    CDialog* m_pMainWnd = nullptr;
};

extern CZelvaneApp theApp;
