#include "app/zelvane_dlg.h"

#include <system_error>
#include <thread>

#include "app/about_dlg.h"
#include "app/resource.h"
#include "platform/window/toolkit_backend.h"
#include "ui/text_progress_ctrl.h"
#include "update/device_monitor.h"
#include "update/hidden_test_command.h"

namespace {
constexpr UINT_PTR kRefreshTimer = 0;
constexpr UINT kRefreshMilliseconds = 100;
}  // namespace

CZelvaneDlg::CZelvaneDlg(CDialog* parent)
    : CDialog(MainDialogTemplate(), parent), m_icon(LoadResourceIcon(IDR_MAINFRAME)) {}

void CZelvaneDlg::DoDataExchange(CDataExchange* exchange) {
    CDialog::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_PROGRESS1, g_progress[0]);
}

BOOL CZelvaneDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (CSystemMenu* menu = GetSystemMenu(FALSE)) {
        std::u16string about = LoadResourceString(IDS_ABOUTBOX);
        if (!about.empty()) {
            menu->AppendMenu(MF_SEPARATOR);
            menu->AppendMenu(MF_STRING, IDM_ABOUTBOX, about.c_str());
        }
    }
    SetIcon(m_icon, TRUE);
    SetIcon(m_icon, FALSE);
    SetWindowText(kMainWindowTitle);
    SetTimer(kRefreshTimer, kRefreshMilliseconds);
    StartMonitor();
    return TRUE;
}

void CZelvaneDlg::StartMonitor() {
    // The monitor runs for the life of the process; nothing waits for it. If it cannot be
    // started the window still runs, and no device is ever found.
    try {
        std::thread(DeviceMonitorThread, this).detach();
    } catch (const std::system_error&) {
    }
}

void CZelvaneDlg::OnCommand(UINT id, UINT notification) {
    if (id == IDC_BUTTON1 && notification == BN_CLICKED) {
        OnButton1();
        return;
    }
    CDialog::OnCommand(id, notification);
}

void CZelvaneDlg::OnSysCommand(UINT id, LPARAM param) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about(this);
        about.DoModal();
        return;
    }
    CDialog::OnSysCommand(id, param);
}

void CZelvaneDlg::OnTimer(UINT_PTR timerId) {
    if (timerId == kRefreshTimer) {
        UpdateData(FALSE);
    }
    CDialog::OnTimer(timerId);
}

void CZelvaneDlg::OnDestroy() {
    // Workers keep running after the window is gone; from here on their updates of the visible
    // bar reach a control without a window and change nothing.
    g_progress[0].UnsubclassWindow();
    CDialog::OnDestroy();
}

void CZelvaneDlg::OnButton1() {
    RunHiddenTestCommand();
}
