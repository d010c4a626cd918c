// The paint surface on Windows: a memory context of the system with a 32-bit bitmap of the
// client's size. It needs no display, so the tests run where no desktop exists. The texts are
// caught on their way to the system: the program's import of DrawTextW is pointed at a function
// that notes the text for the paint open on the calling thread and then draws it.

#include "tests/doubles/paint_surface.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <utility>

namespace {

using DrawTextWFunction = int(WINAPI*)(HDC, LPCWSTR, int, LPRECT, UINT);

DrawTextWFunction g_systemDrawText = nullptr;
// The texts of the paint open on this thread, null when none is.
thread_local std::vector<std::u16string>* t_drawnTexts = nullptr;

int WINAPI NotingDrawText(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format) {
    if (t_drawnTexts && text) {
        const auto* units = reinterpret_cast<const char16_t*>(text);
        t_drawnTexts->push_back(count < 0 ? std::u16string(units) : std::u16string(units, count));
    }
    return g_systemDrawText(dc, text, count, rect, format);
}

// The program's import slot of `function` from user32.dll; null when it imports none.
ULONG_PTR* ImportSlot(const char* function) {
    auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
    for (; imports.VirtualAddress && module->Name; ++module) {
        if (_stricmp(reinterpret_cast<const char*>(base + module->Name), "user32.dll") != 0 ||
            !module->OriginalFirstThunk) {
            continue;
        }
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                continue;
            }
            const auto* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) {
                return &slots->u1.Function;
            }
        }
    }
    return nullptr;
}

void NoteDrawnTexts() {
    FARPROC system = ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "DrawTextW");
    ULONG_PTR* slot = ImportSlot("DrawTextW");
    if (!system || !slot) {
        std::fprintf(stderr, "paint surface: DrawTextW not imported; drawn texts not recorded\n");
        return;
    }
    // Through void (*)(): GCC accepts that between unrelated function types.
    g_systemDrawText = reinterpret_cast<DrawTextWFunction>(reinterpret_cast<void (*)()>(system));
    DWORD protection = 0;
    ::VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
    *slot = reinterpret_cast<ULONG_PTR>(&NotingDrawText);
    ::VirtualProtect(slot, sizeof *slot, protection, &protection);
}

HBITMAP MakeBitmap(HDC dc, const RECT& client) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = std::max<LONG>(client.right, 1);
    info.bmiHeader.biHeight = -std::max<LONG>(client.bottom, 1);  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    return ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

}  // namespace

class CPaintSurface::CImpl {
public:
    CImpl(const RECT& client, const RECT& area)
        : m_dc(::CreateCompatibleDC(nullptr)), m_bitmap(MakeBitmap(m_dc, client)) {
        static std::once_flag noting;
        std::call_once(noting, NoteDrawnTexts);
        m_stock = ::SelectObject(m_dc, m_bitmap);
        // What a paint of the system may draw: its update area.
        ::IntersectClipRect(m_dc, area.left, area.top, area.right, area.bottom);
        m_outerTexts = std::exchange(t_drawnTexts, &m_texts);
    }
    ~CImpl() {
        t_drawnTexts = m_outerTexts;
        ::SelectObject(m_dc, m_stock);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(m_dc);
    }

    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_stock = nullptr;
    std::vector<std::u16string> m_texts;
    std::vector<std::u16string>* m_outerTexts = nullptr;
};

CPaintSurface::CPaintSurface(const RECT& client, const RECT& area)
    : m_impl(std::make_unique<CImpl>(client, area)) {}

CPaintSurface::~CPaintSurface() = default;

HDC CPaintSurface::Context() const {
    return m_impl->m_dc;
}

std::vector<std::string> CPaintSurface::Calls() const {
    return {};
}

std::vector<std::u16string> CPaintSurface::DrawnTexts() const {
    return m_impl->m_texts;
}

bool CPaintSurface::RecordsCalls() {
    return false;
}
