#include "app/about_dlg.h"

#include "app/resource.h"

CAboutDlg::CAboutDlg(CDialog* owner) : CDialog(AboutBoxTemplate(), owner) {}

void CAboutDlg::DoDataExchange(CDataExchange* exchange) {
    CDialog::DoDataExchange(exchange);
}
