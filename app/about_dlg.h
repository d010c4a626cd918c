#pragma once
// The about box: the icon, the program's name and version, and OK.

#include "platform/window/dialog.h"

class CAboutDlg : public CDialog {
public:
    // `owner`: the window the box stays above while it runs (the main dialog).
    explicit CAboutDlg(CDialog* owner = nullptr);

protected:
    void DoDataExchange(CDataExchange* exchange) override;
};
