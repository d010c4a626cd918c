// The framework's dialog on Win32: the window is made by the system's dialog manager from the
// dialog template resource compiled into the executable (the template's id), so the styles,
// fonts and controls are exactly those of the resource. The dialog manager runs the modal loop,
// which dispatches the messages of every window of this thread.

#include <memory>

#include "platform/win32/win32_window.h"
#include "platform/window/dialog.h"

struct CDialog::CWindowState {
    HWND hwnd = nullptr;
    CSystemMenu menu;
    HICON bigIcon = nullptr;
    // Set by the base handlers: the message goes on to the dialog manager's own processing.
    bool passOn = false;

    static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(CDialog& dialog, UINT message, WPARAM wParam, LPARAM lParam);
    // Runs `handler`; TRUE when it handled the message, FALSE when a base handler passed it on.
    // A nested modal loop inside the handler may handle other messages meanwhile.
    template <typename Handler>
    INT_PTR Run(Handler handler) {
        bool outer = passOn;
        passOn = false;
        handler();
        bool passedOn = passOn;
        passOn = outer;
        return passedOn ? FALSE : TRUE;
    }
    // Minimised: the big icon centred in the iconic window. False when the window is not
    // minimised or has no icon, and the dialog manager paints.
    bool PaintIconic();
};

INT_PTR CALLBACK CDialog::CWindowState::Procedure(HWND hwnd, UINT message, WPARAM wParam,
                                                  LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        reinterpret_cast<CDialog*>(lParam)->m_window->hwnd = hwnd;
    }
    auto* dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    return dialog != nullptr ? dialog->m_window->Handle(*dialog, message, wParam, lParam) : FALSE;
}

INT_PTR CDialog::CWindowState::Handle(CDialog& dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            dialog.HandleInitDialog();
            return TRUE;  // the dialog manager sets the focus
        case WM_COMMAND:
            dialog.OnCommand(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_SYSCOMMAND:
            return Run([&] { dialog.OnSysCommand(static_cast<UINT>(wParam), lParam); });
        case WM_TIMER:
            return Run([&] { dialog.OnTimer(wParam); });
        case WM_PAINT:
            return PaintIconic() ? TRUE : FALSE;
        case WM_QUERYDRAGICON:
            // The icon is the cursor while the minimised window is dragged.
            return reinterpret_cast<INT_PTR>(bigIcon);
        case WM_DESTROY:
            dialog.OnDestroy();
            return FALSE;
        default:
            return FALSE;
    }
}

bool CDialog::CWindowState::PaintIconic() {
    if (!::IsIconic(hwnd) || bigIcon == nullptr) {
        return false;
    }
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(hwnd, &paint);
    ::SendMessageW(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    int iconWidth = ::GetSystemMetrics(SM_CXICON);
    int iconHeight = ::GetSystemMetrics(SM_CYICON);
    RECT client{};
    ::GetClientRect(hwnd, &client);
    int x = (client.right - client.left - iconWidth + 1) / 2;
    int y = (client.bottom - client.top - iconHeight + 1) / 2;
    ::DrawIcon(dc, x, y, bigIcon);
    ::EndPaint(hwnd, &paint);
    return true;
}

CDialog::CDialog(const CDialogTemplate& dialogTemplate, CDialog* parent)
    : m_template(dialogTemplate), m_parent(parent), m_window(std::make_unique<CWindowState>()) {}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal() {
    HWND owner = m_parent != nullptr ? static_cast<HWND>(m_parent->ToolkitWindow()) : nullptr;
    INT_PTR result =
        ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_template.id), owner,
                          &CWindowState::Procedure, reinterpret_cast<LPARAM>(this));
    m_window = std::make_unique<CWindowState>();
    return result;
}

void CDialog::EndDialog(int result) {
    if (m_window->hwnd != nullptr) {
        ::EndDialog(m_window->hwnd, result);
    }
}

void CDialog::SetWindowText(const char16_t* text) {
    if (m_window->hwnd != nullptr) {
        ::SetWindowTextW(m_window->hwnd, SystemText(text != nullptr ? text : u""));
    }
}

std::u16string CDialog::GetWindowText() const {
    if (m_window->hwnd == nullptr) {
        return {};
    }
    std::u16string text(static_cast<std::size_t>(::GetWindowTextLengthW(m_window->hwnd)) + 1,
                        u'\0');
    int copied =
        ::GetWindowTextW(m_window->hwnd, SystemText(text.data()), static_cast<int>(text.size()));
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

void CDialog::SetIcon(HICON icon, BOOL big) {
    if (m_window->hwnd == nullptr) {
        return;
    }
    if (big) {
        m_window->bigIcon = icon;
    }
    ::SendMessageW(m_window->hwnd, WM_SETICON, big ? ICON_BIG : ICON_SMALL,
                   reinterpret_cast<LPARAM>(icon));
}

UINT_PTR CDialog::SetTimer(UINT_PTR id, UINT milliseconds) {
    return m_window->hwnd != nullptr ? ::SetTimer(m_window->hwnd, id, milliseconds, nullptr) : 0;
}

CSystemMenu* CDialog::GetSystemMenu(BOOL revert) {
    HMENU menu = m_window->hwnd != nullptr ? ::GetSystemMenu(m_window->hwnd, revert) : nullptr;
    if (menu == nullptr) {
        return nullptr;
    }
    m_window->menu.m_hMenu = menu;
    return &m_window->menu;
}

std::shared_ptr<CNativeWindow> CDialog::GetDlgItem(int id) const {
    HWND control = m_window->hwnd != nullptr ? ::GetDlgItem(m_window->hwnd, id) : nullptr;
    return control != nullptr ? CWin32Window::FromHandle(control) : nullptr;
}

bool CDialog::IsWindowVisible() const {
    return m_window->hwnd != nullptr && ::IsWindowVisible(m_window->hwnd);
}

void* CDialog::ToolkitWindow() const {
    return m_window->hwnd;
}

void CDialog::OnSysCommand(UINT /*id*/, LPARAM /*param*/) {
    m_window->passOn = true;
}

void CDialog::OnTimer(UINT_PTR /*id*/) {
    m_window->passOn = true;
}

void CDialog::OnDestroy() {}

BOOL CSystemMenu::AppendMenu(UINT flags, UINT_PTR id, const char16_t* text) {
    entries.push_back({flags, id, text != nullptr ? std::u16string(text) : std::u16string()});
    return ::AppendMenuW(m_hMenu, flags, id, SystemText(text));
}
