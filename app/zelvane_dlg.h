#pragma once
// The main window: one visible progress bar (control 1001, bound to g_progress[0]), the about
// entry in the window's menu, and the start of the device monitor. A hidden button carries the
// test command.

#include "platform/window/dialog.h"

inline constexpr char16_t kMainWindowTitle[] = u"Tarvik DB Updater V1.3";

class CZelvaneDlg : public CDialog {
public:
    explicit CZelvaneDlg(CDialog* parent = nullptr);

    // The hidden test command (button 1000).
    void OnButton1();

protected:
    void DoDataExchange(CDataExchange* exchange) override;
    BOOL OnInitDialog() override;
    void OnCommand(UINT id, UINT notification) override;
    void OnSysCommand(UINT id, LPARAM param) override;
    void OnTimer(UINT_PTR timerId) override;
    void OnDestroy() override;

private:
    void StartMonitor();

    HICON m_icon;
};
