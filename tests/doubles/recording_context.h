#pragma once
// A device context that draws nothing and records every drawing call, so that painting code can
// be checked call by call. The window's paint context and the memory contexts made from it share
// one log. Each call is logged as one line in the form
//     paint.SetBkColor(0x008000)            colours as 0xBBGGRR
//     mem1.ExtTextOutW(0, 0, ETO_OPAQUE, {0,0,25,14}, "")
//     mem1.SelectClipRgn({0,0,25,14})       regions in device coordinates, null for none
//     mem1.DrawTextW("50%", {0,0,50,14}, 0x25)
//     paint.CreateCompatibleDC() = mem1     paint.CreateCompatibleBitmap(50, 14) = bitmap1
//     mem1.SelectObject(bitmap1) = mem1.stock
//     paint.BitBlt(0, 0, 50, 14, mem1, 0, 0, SRCCOPY)     DeleteObject(bitmap1)     DeleteDC(mem1)
// Queries (GetClipBox, GetWindowOrgEx) are not logged. Rectangles are {left,top,right,bottom}.
// The log is thread-safe; a context is used by one thread at a time.

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/window/gdi.h"

class CDrawingLog {
public:
    void Add(std::string call);
    // Texts handed to DrawTextW, in order, as drawn (count applied).
    void AddDrawnText(std::u16string text);
    std::vector<std::string> Calls() const;
    std::vector<std::u16string> DrawnTexts() const;
    // Numbers for the names of new memory contexts and bitmaps: 1, 2, ...
    int NextNumber();

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_calls;
    std::vector<std::u16string> m_texts;
    int m_lastNumber = 0;
};

// A bitmap of the recording contexts: a name and a size. Deleting it is logged, except for the
// one-pixel bitmap a memory context starts with.
class CRecordingBitmap : public CGdiBitmap {
public:
    CRecordingBitmap(std::shared_ptr<CDrawingLog> log, std::string name, SIZE size, bool logDelete);
    ~CRecordingBitmap() override;
    SIZE Size() const override { return m_size; }
    const std::string& Name() const { return m_name; }

private:
    std::shared_ptr<CDrawingLog> m_log;
    std::string m_name;
    SIZE m_size;
    bool m_logDelete;
};

class CRecordingContext : public CGdiContext {
public:
    // A window's paint context named `name`: `paintArea` (client coordinates) is what may be
    // drawn, so GetClipBox reports it. Deleting it is not logged: the window closes the paint.
    CRecordingContext(std::shared_ptr<CDrawingLog> log, std::string name, RECT paintArea);
    ~CRecordingContext() override;

    const std::string& Name() const { return m_name; }
    const std::shared_ptr<CDrawingLog>& Log() const { return m_log; }

    COLORREF SetBkColor(COLORREF color) override;
    int SetBkMode(int mode) override;
    COLORREF SetTextColor(COLORREF color) override;
    BOOL SetWindowOrgEx(int x, int y, POINT* previous) override;
    BOOL GetWindowOrgEx(POINT* origin) const override;
    int SelectClipRgn(const CGdiRegion* region) override;
    int GetClipBox(RECT* rect) const override;
    BOOL ExtTextOutW(int x, int y, UINT options, const RECT* rect, const char16_t* text,
                     UINT count) override;
    // Records the call and returns a nominal line height of 16.
    int DrawTextW(const char16_t* text, int count, RECT* rect, UINT format) override;
    CGdiContext* CreateCompatibleDC() override;
    CGdiBitmap* CreateCompatibleBitmap(int width, int height) override;
    CGdiBitmap* SelectBitmap(CGdiBitmap* bitmap) override;
    BOOL BitBlt(int x, int y, int cx, int cy, CGdiContext* source, int x1, int y1,
                DWORD rop) override;

private:
    // A memory context made by CreateCompatibleDC: its bitmap bounds what may be drawn.
    CRecordingContext(std::shared_ptr<CDrawingLog> log, std::string name);
    void Record(const std::string& call);
    RECT DeviceBounds() const;

    std::shared_ptr<CDrawingLog> m_log;
    std::string m_name;
    RECT m_paintArea{};
    std::unique_ptr<CRecordingBitmap> m_stockBitmap;  // memory contexts only
    CGdiBitmap* m_selectedBitmap = nullptr;
    POINT m_origin{};
    std::optional<RECT> m_clip;
    COLORREF m_bkColor = RGB(255, 255, 255);
    COLORREF m_textColor = RGB(0, 0, 0);
    int m_bkMode = OPAQUE;
};
