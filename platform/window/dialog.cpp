// The parts of the framework's dialog that every toolkit backend shares: the data exchange and
// the default handlers that do not touch the window system.

#include "platform/window/dialog.h"

#include "platform/window/native_window.h"
#include "platform/window/wnd.h"

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange exchange(this, saveAndValidate);
    DoDataExchange(&exchange);
    return TRUE;
}

void CDialog::HandleInitDialog() {
    OnInitDialog();
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange* /*exchange*/) {}

void CDialog::OnCommand(UINT id, UINT notification) {
    if (notification == BN_CLICKED && (id == IDOK || id == IDCANCEL)) {
        EndDialog(static_cast<int>(id));
    }
}

void DDX_Control(CDataExchange* exchange, int id, CWnd& control) {
    if (control.IsWindow()) {
        return;  // bound by an earlier exchange
    }
    if (auto window = exchange->m_pDlgWnd->GetDlgItem(id)) {
        control.SubclassWindow(window);
    }
}
