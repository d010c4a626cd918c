#include <memory>

#include "platform/qt/qt_dialog_widget.h"
#include "platform/qt/qt_icons.h"
#include "platform/qt/qt_window.h"
#include "platform/window/dialog.h"

struct CDialog::CWindowState {
    std::unique_ptr<CQtDialogWidget> widget;
};

CDialog::CDialog(const CDialogTemplate& dialogTemplate, CDialog* parent)
    : m_template(dialogTemplate), m_parent(parent), m_window(std::make_unique<CWindowState>()) {}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal() {
    QWidget* parent =
        m_parent != nullptr ? static_cast<QWidget*>(m_parent->ToolkitWindow()) : nullptr;
    m_window->widget = std::make_unique<CQtDialogWidget>(*this, m_template, parent);
    HandleInitDialog();
    INT_PTR result = m_window->widget->exec();
    OnDestroy();
    m_window->widget.reset();
    return result;
}

void CDialog::EndDialog(int result) {
    if (m_window->widget) {
        m_window->widget->done(result);
    }
}

void CDialog::SetWindowText(const char16_t* text) {
    if (m_window->widget) {
        m_window->widget->setWindowTitle(text != nullptr ? QString::fromUtf16(text) : QString());
    }
}

std::u16string CDialog::GetWindowText() const {
    return m_window->widget ? m_window->widget->windowTitle().toStdU16String() : std::u16string();
}

void CDialog::SetIcon(HICON icon, BOOL /*big*/) {
    // One icon set carries every size; the window manager picks the big and the small one.
    if (m_window->widget && icon != nullptr) {
        m_window->widget->setWindowIcon(icon->icon);
    }
}

UINT_PTR CDialog::SetTimer(UINT_PTR id, UINT milliseconds) {
    if (!m_window->widget || m_window->widget->StartTimer(id, milliseconds) == 0) {
        return 0;
    }
    return id == 0 ? 1 : id;  // non-zero means the timer runs
}

CSystemMenu* CDialog::GetSystemMenu(BOOL revert) {
    if (!m_window->widget) {
        return nullptr;
    }
    if (revert) {
        m_window->widget->Menu().entries.clear();
    }
    return &m_window->widget->Menu();
}

std::shared_ptr<CNativeWindow> CDialog::GetDlgItem(int id) const {
    QWidget* control = m_window->widget ? m_window->widget->Control(id) : nullptr;
    return control != nullptr ? CQtWindow::FromWidget(control) : nullptr;
}

bool CDialog::IsWindowVisible() const {
    return m_window->widget && m_window->widget->isVisible();
}

void* CDialog::ToolkitWindow() const {
    return m_window->widget.get();
}

void CDialog::OnSysCommand(UINT /*id*/, LPARAM /*param*/) {}

void CDialog::OnTimer(UINT_PTR /*id*/) {}

void CDialog::OnDestroy() {}

BOOL CSystemMenu::AppendMenu(UINT flags, UINT_PTR id, const char16_t* text) {
    entries.push_back({flags, id, text != nullptr ? std::u16string(text) : std::u16string()});
    return TRUE;
}
