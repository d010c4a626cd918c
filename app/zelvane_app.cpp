#include "app/zelvane_app.h"

#include "app/zelvane_dlg.h"

CZelvaneApp theApp;

BOOL CZelvaneApp::InitInstance() {
    CZelvaneDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
