#include "tests/doubles/recording_context.h"

#include "platform/files/utf.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <utility>

namespace {

std::string Hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*x", digits, value);
    return text;
}

std::string Describe(const RECT& r) {
    // snprintf rather than a chain of string additions, which GCC 12 misreads in release builds
    // as an overlapping copy (-Wrestrict).
    char text[64];
    std::snprintf(text, sizeof text, "{%ld,%ld,%ld,%ld}", static_cast<long>(r.left),
                  static_cast<long>(r.top), static_cast<long>(r.right),
                  static_cast<long>(r.bottom));
    return text;
}

std::string Describe(const RECT* r) {
    return r ? Describe(*r) : "null";
}

std::string Quoted(std::u16string_view text) {
    // Appended piece by piece: GCC 12 misreads "literal" + string in release builds (-Wrestrict).
    std::string out(1, '"');
    out += ToUtf8(std::u16string(text));
    out += '"';
    return out;
}

std::string DescribeOptions(UINT options) {
    std::string out;
    if (options & ETO_OPAQUE) {
        out = "ETO_OPAQUE";
    }
    if (options & ETO_CLIPPED) {
        out += out.empty() ? "ETO_CLIPPED" : "|ETO_CLIPPED";
    }
    return out.empty() ? Hex(options, 1) : out;
}

std::string DescribeMode(int mode) {
    return mode == TRANSPARENT ? "TRANSPARENT" : mode == OPAQUE ? "OPAQUE" : std::to_string(mode);
}

std::u16string_view Counted(const char16_t* text, int count) {
    if (!text) {
        return {};
    }
    return count < 0 ? std::u16string_view(text) : std::u16string_view(text, count);
}

bool Intersect(RECT& a, const RECT& b) {
    a = RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
             std::min(a.bottom, b.bottom)};
    return a.left < a.right && a.top < a.bottom;
}

}  // namespace

void CDrawingLog::Add(std::string call) {
    std::lock_guard lock(m_mutex);
    m_calls.push_back(std::move(call));
}

void CDrawingLog::AddDrawnText(std::u16string text) {
    std::lock_guard lock(m_mutex);
    m_texts.push_back(std::move(text));
}

std::vector<std::string> CDrawingLog::Calls() const {
    std::lock_guard lock(m_mutex);
    return m_calls;
}

std::vector<std::u16string> CDrawingLog::DrawnTexts() const {
    std::lock_guard lock(m_mutex);
    return m_texts;
}

int CDrawingLog::NextNumber() {
    std::lock_guard lock(m_mutex);
    return ++m_lastNumber;
}

CRecordingBitmap::CRecordingBitmap(std::shared_ptr<CDrawingLog> log, std::string name, SIZE size,
                                   bool logDelete)
    : m_log(std::move(log)), m_name(std::move(name)), m_size(size), m_logDelete(logDelete) {}

CRecordingBitmap::~CRecordingBitmap() {
    if (m_logDelete) {
        m_log->Add("DeleteObject(" + m_name + ")");
    }
}

CRecordingContext::CRecordingContext(std::shared_ptr<CDrawingLog> log, std::string name,
                                     RECT paintArea)
    : m_log(std::move(log)), m_name(std::move(name)), m_paintArea(paintArea) {}

CRecordingContext::CRecordingContext(std::shared_ptr<CDrawingLog> log, std::string name)
    : m_log(std::move(log)), m_name(std::move(name)) {
    m_stockBitmap = std::make_unique<CRecordingBitmap>(m_log, m_name + ".stock", SIZE{1, 1}, false);
    m_selectedBitmap = m_stockBitmap.get();
}

CRecordingContext::~CRecordingContext() {
    if (m_stockBitmap) {
        m_log->Add("DeleteDC(" + m_name + ")");
    }
}

void CRecordingContext::Record(const std::string& call) {
    m_log->Add(m_name + "." + call);
}

COLORREF CRecordingContext::SetBkColor(COLORREF color) {
    Record("SetBkColor(" + Hex(color, 6) + ")");
    return std::exchange(m_bkColor, color);
}

int CRecordingContext::SetBkMode(int mode) {
    Record("SetBkMode(" + DescribeMode(mode) + ")");
    return std::exchange(m_bkMode, mode);
}

COLORREF CRecordingContext::SetTextColor(COLORREF color) {
    Record("SetTextColor(" + Hex(color, 6) + ")");
    return std::exchange(m_textColor, color);
}

BOOL CRecordingContext::SetWindowOrgEx(int x, int y, POINT* previous) {
    Record("SetWindowOrgEx(" + std::to_string(x) + ", " + std::to_string(y) + ")");
    if (previous) {
        *previous = m_origin;
    }
    m_origin = POINT{x, y};
    return TRUE;
}

BOOL CRecordingContext::GetWindowOrgEx(POINT* origin) const {
    *origin = m_origin;
    return TRUE;
}

int CRecordingContext::SelectClipRgn(const CGdiRegion* region) {
    Record("SelectClipRgn(" + Describe(region ? &region->rect : nullptr) + ")");
    if (region) {
        m_clip = region->rect;
    } else {
        m_clip.reset();
    }
    RECT box{};
    return GetClipBox(&box);
}

RECT CRecordingContext::DeviceBounds() const {
    if (!m_stockBitmap) {
        return m_paintArea;
    }
    SIZE size = m_selectedBitmap->Size();
    return RECT{0, 0, size.cx, size.cy};
}

int CRecordingContext::GetClipBox(RECT* rect) const {
    RECT box = DeviceBounds();
    bool visible = box.left < box.right && box.top < box.bottom;
    if (m_clip) {
        visible = Intersect(box, *m_clip);
    }
    if (!visible) {
        *rect = RECT{};
        return NULLREGION;
    }
    *rect = RECT{box.left + m_origin.x, box.top + m_origin.y, box.right + m_origin.x,
                 box.bottom + m_origin.y};
    return SIMPLEREGION;
}

BOOL CRecordingContext::ExtTextOutW(int x, int y, UINT options, const RECT* rect,
                                    const char16_t* text, UINT count) {
    Record("ExtTextOutW(" + std::to_string(x) + ", " + std::to_string(y) + ", " +
           DescribeOptions(options) + ", " + Describe(rect) + ", " +
           Quoted(Counted(text, static_cast<int>(count))) + ")");
    return TRUE;
}

int CRecordingContext::DrawTextW(const char16_t* text, int count, RECT* rect, UINT format) {
    std::u16string_view drawn = Counted(text, count);
    Record("DrawTextW(" + Quoted(drawn) + ", " + Describe(rect) + ", " + Hex(format, 2) + ")");
    m_log->AddDrawnText(std::u16string(drawn));
    return 16;
}

CGdiContext* CRecordingContext::CreateCompatibleDC() {
    std::string name = "mem" + std::to_string(m_log->NextNumber());
    Record("CreateCompatibleDC() = " + name);
    return new CRecordingContext(m_log, name);
}

CGdiBitmap* CRecordingContext::CreateCompatibleBitmap(int width, int height) {
    std::string name = "bitmap" + std::to_string(m_log->NextNumber());
    Record("CreateCompatibleBitmap(" + std::to_string(width) + ", " + std::to_string(height) +
           ") = " + name);
    return new CRecordingBitmap(m_log, name, SIZE{width, height}, true);
}

CGdiBitmap* CRecordingContext::SelectBitmap(CGdiBitmap* bitmap) {
    auto* recorded = dynamic_cast<CRecordingBitmap*>(bitmap);
    if (!m_stockBitmap || !recorded) {
        Record("SelectObject(?) = null");
        return nullptr;
    }
    auto* previous = static_cast<CRecordingBitmap*>(m_selectedBitmap);
    Record("SelectObject(" + recorded->Name() + ") = " + previous->Name());
    m_selectedBitmap = recorded;
    return previous;
}

BOOL CRecordingContext::BitBlt(int x, int y, int cx, int cy, CGdiContext* source, int x1, int y1,
                               DWORD rop) {
    auto* recorded = dynamic_cast<CRecordingContext*>(source);
    Record("BitBlt(" + std::to_string(x) + ", " + std::to_string(y) + ", " + std::to_string(cx) +
           ", " + std::to_string(cy) + ", " + (recorded ? recorded->Name() : "?") + ", " +
           std::to_string(x1) + ", " + std::to_string(y1) + ", " +
           (rop == SRCCOPY ? std::string("SRCCOPY") : Hex(rop, 8)) + ")");
    return recorded && rop == SRCCOPY ? TRUE : FALSE;
}
