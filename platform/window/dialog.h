#pragma once
// The framework's dialog: a window made from a template and run modally, with the parts of the
// framework the program uses. Everything here runs on the user-interface thread.
//
// - DoModal creates the window and its controls, calls OnInitDialog (after the first data
//   exchange), shows it and dispatches messages until EndDialog; the window is destroyed before
//   DoModal returns. While a dialog runs, the thread keeps dispatching messages for every window,
//   so bars updated from other threads keep painting, also under a nested modal dialog.
// - The close box, Escape and the system menu's Close end the dialog with IDCANCEL; a click on a
//   button reaches OnCommand(id, BN_CLICKED), whose default ends the dialog for IDOK and IDCANCEL.
// - The system menu: on Linux the window manager owns the window's menu, so the entries the
//   program appends to it are offered where a Linux user finds a window's own menu, a context
//   menu on the dialog; choosing one calls OnSysCommand(id, 0). On Win32 they go into the
//   window's real system menu.
// - On Win32 the window comes from the dialog template resource with the template's id, compiled
//   into the executable; a minimised dialog paints its big icon centred and offers it as the
//   drag icon.
// - Timers call OnTimer(id) on this thread.
//
// The toolkit backend implements the window side (platform/window/toolkit_backend.h lists it);
// what every backend shares (data exchange, the default handlers) is in
// platform/window/dialog.cpp.

#include <memory>
#include <string>
#include <vector>

#include "platform/window/dialog_template.h"
#include "platform/window/win_types.h"

class CNativeWindow;
class CWnd;
class CDialog;

#ifndef _WIN32
// A Win32 build takes these from <windows.h> (through win_types.h).
using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr UINT BN_CLICKED = 0;
inline constexpr UINT MF_STRING = 0x0000;
inline constexpr UINT MF_SEPARATOR = 0x0800;
#endif

// The data exchange of one UpdateData call.
class CDataExchange {
public:
    CDataExchange(CDialog* dialog, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}
    BOOL m_bSaveAndValidate;
    CDialog* m_pDlgWnd;
};

// Binds dialog control `id` to `control` on the first exchange (subclassing its window); later
// exchanges find it bound and change nothing.
void DDX_Control(CDataExchange* exchange, int id, CWnd& control);

// The menu of a dialog's window.
class CSystemMenu {
public:
    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, const char16_t* text = nullptr);

    struct CEntry {
        UINT flags;
        UINT_PTR id;
        std::u16string text;
    };
    std::vector<CEntry> entries;  // what was appended, in order
#ifdef _WIN32
    HMENU m_hMenu = nullptr;  // the window's own system menu, which AppendMenu extends
#endif
};

class CDialog {
public:
    CDialog(const CDialogTemplate& dialogTemplate, CDialog* parent);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog until EndDialog and returns the result given to it.
    INT_PTR DoModal();
    void EndDialog(int result);
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    void SetWindowText(const char16_t* text);
    std::u16string GetWindowText() const;
    void SetIcon(HICON icon, BOOL big);
    // Starts timer `id` every `milliseconds`; replaces a timer with the same id.
    UINT_PTR SetTimer(UINT_PTR id, UINT milliseconds);
    // The window's menu; null before the window exists.
    CSystemMenu* GetSystemMenu(BOOL revert);
    // The window of control `id`, or null.
    std::shared_ptr<CNativeWindow> GetDlgItem(int id) const;
    // Whether the dialog's window exists and is shown.
    bool IsWindowVisible() const;

    // The toolkit's own object behind the window (a QWidget* on Qt, the HWND on Win32), for the
    // demo and tests;
    // null while the window does not exist.
    void* ToolkitWindow() const;

    const CDialogTemplate& Template() const { return m_template; }

    // For the toolkit backend: the events the framework turns into messages.
    void HandleInitDialog();
    void HandleCommand(int id) { OnCommand(static_cast<UINT>(id), BN_CLICKED); }
    void HandleSysCommand(UINT id) { OnSysCommand(id, 0); }
    void HandleTimer(UINT_PTR id) { OnTimer(id); }

protected:
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* exchange);
    virtual void OnCommand(UINT id, UINT notification);
    virtual void OnSysCommand(UINT id, LPARAM param);
    virtual void OnTimer(UINT_PTR id);
    // The window is about to be destroyed; its controls still exist.
    virtual void OnDestroy();

private:
    struct CWindowState;
    const CDialogTemplate& m_template;
    CDialog* m_parent;
    std::unique_ptr<CWindowState> m_window;
};
