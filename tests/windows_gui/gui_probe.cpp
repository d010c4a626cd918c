// gui_probe.exe: looks at the running Zelvane.exe from inside the same Wine desktop and prints
// what it finds as "key=value" lines for tests/windows_gui/run-gui-test.sh. A Windows program of
// its own, so that the windows are read through the system's own calls, not through X.
//
//   gui_probe main                wait for the main window; its geometry, controls and bar text
//   gui_probe about               wait for the about box; its geometry
//   gui_probe close <title>       close the window with that title (WM_CLOSE)
//   gui_probe sysmenu-about       choose the about entry of the main window's system menu
// Exit status 0 when what was asked for was found, 1 otherwise.

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr wchar_t kMainTitle[] = L"Tarvik DB Updater V1.3";
constexpr wchar_t kAboutTitle[] = L"About Zelvane";
constexpr int kWaitSteps = 600;  // x 100 ms

HWND WaitForWindow(const wchar_t* title) {
    for (int step = 0; step < kWaitSteps; ++step) {
        if (HWND window = ::FindWindowW(nullptr, title)) {
            return window;
        }
        ::Sleep(100);
    }
    return nullptr;
}

std::string Narrow(const wchar_t* text) {
    std::string out;
    for (; *text != 0; ++text) {
        out += *text < 0x80 ? static_cast<char>(*text) : '?';
    }
    return out;
}

std::string TextOf(HWND window) {
    wchar_t buffer[256] = {};
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(buffer), SMTO_BLOCK,
                          5000, &copied);
    return Narrow(buffer);
}

// Pixels of `cx` x `cy` dialog units for the templates' font (MS Shell Dlg, 8 points), measured
// the way the dialog manager measures: the average width of the 52 letters and the cell height.
SIZE DialogUnitsToPixels(int cx, int cy) {
    HDC screen = ::GetDC(nullptr);
    int height = -::MulDiv(8, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
    HFONT font = ::CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0,
                               0, 0, 0, L"MS Shell Dlg");
    HGDIOBJ saved = ::SelectObject(screen, font);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(screen, &metrics);
    SIZE letters{};
    const wchar_t alphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    ::GetTextExtentPoint32W(screen, alphabet, 52, &letters);
    ::SelectObject(screen, saved);
    ::DeleteObject(font);
    ::ReleaseDC(nullptr, screen);
    int baseX = (letters.cx / 26 + 1) / 2;
    int baseY = metrics.tmHeight;
    return SIZE{::MulDiv(cx, baseX, 4), ::MulDiv(cy, baseY, 8)};
}

void PrintClient(const char* prefix, HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    POINT origin{0, 0};
    ::ClientToScreen(window, &origin);
    std::printf("%s_client=%ldx%ld\n%s_origin=%ld,%ld\n", prefix, client.right, client.bottom,
                prefix, origin.x, origin.y);
}

void PrintControl(HWND dialog, int id) {
    HWND control = ::GetDlgItem(dialog, id);
    if (control == nullptr) {
        std::printf("control_%d=missing\n", id);
        return;
    }
    wchar_t className[64] = {};
    ::GetClassNameW(control, className, 64);
    LONG style = ::GetWindowLongW(control, GWL_STYLE);
    LONG exStyle = ::GetWindowLongW(control, GWL_EXSTYLE);
    // The frame the window system gives it: the template's WS_BORDER may become an edge.
    const char* frame = (style & WS_BORDER) != 0            ? "border"
                        : (exStyle & WS_EX_CLIENTEDGE) != 0 ? "clientedge"
                        : (exStyle & WS_EX_STATICEDGE) != 0 ? "staticedge"
                                                            : "none";
    std::printf("control_%d=%s visible=%d frame=%s\n", id, Narrow(className).c_str(),
                (style & WS_VISIBLE) != 0 ? 1 : 0, frame);
}

// How many child windows of `dialog` are visible.
int VisibleChildren(HWND dialog) {
    int count = 0;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        count += ::IsWindowVisible(child) ? 1 : 0;
    }
    return count;
}

int ProbeMain() {
    HWND dialog = WaitForWindow(kMainTitle);
    if (dialog == nullptr) {
        std::printf("main=missing\n");
        return 1;
    }
    std::printf("main=found\n");
    PrintClient("main", dialog);
    SIZE expected = DialogUnitsToPixels(320, 91);
    std::printf("main_expected_client=%ldx%ld\n", expected.cx, expected.cy);
    for (int id : {1, 2, 1000, 1001, 1002, 1003}) {
        PrintControl(dialog, id);
    }
    std::printf("visible_controls=%d\n", VisibleChildren(dialog));
    HWND bar = ::GetDlgItem(dialog, 1001);
    if (bar != nullptr) {
        // The monitor sets the text once it runs; give it time.
        std::string text;
        for (int step = 0; step < kWaitSteps && (text = TextOf(bar)).empty(); ++step) {
            ::Sleep(100);
        }
        std::printf("bar_text=%s\n", text.c_str());
        PrintClient("bar", bar);
    }
    return 0;
}

int ProbeAbout() {
    HWND about = WaitForWindow(kAboutTitle);
    if (about == nullptr) {
        std::printf("about=missing\n");
        return 1;
    }
    std::printf("about=found\n");
    PrintClient("about", about);
    SIZE expected = DialogUnitsToPixels(235, 55);
    std::printf("about_expected_client=%ldx%ld\n", expected.cx, expected.cy);
    return 0;
}

int Close(const wchar_t* title) {
    HWND window = ::FindWindowW(nullptr, title);
    if (window == nullptr) {
        return 1;
    }
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    for (int step = 0; step < kWaitSteps && ::IsWindow(window); ++step) {
        ::Sleep(100);
    }
    return ::IsWindow(window) ? 1 : 0;
}

int ChooseAboutEntry() {
    HWND dialog = ::FindWindowW(nullptr, kMainTitle);
    if (dialog == nullptr) {
        return 1;
    }
    // What choosing the entry sends: WM_SYSCOMMAND with the entry's command id.
    ::PostMessageW(dialog, WM_SYSCOMMAND, 0x10, 0);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"main") {
        return ProbeMain();
    }
    if (command == L"about") {
        return ProbeAbout();
    }
    if (command == L"close" && argc > 2) {
        return Close(std::wcscmp(argv[2], L"about") == 0 ? kAboutTitle : kMainTitle);
    }
    if (command == L"sysmenu-about") {
        return ChooseAboutEntry();
    }
    std::fprintf(stderr, "usage: gui_probe main|about|close main|close about|sysmenu-about\n");
    return 2;
}
