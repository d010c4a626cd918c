#pragma once
// The framework's device-context object: a pair of context handles and a printing flag, with
// the drawing operations the user interface uses. Like the framework's, the fields are public:
// derived contexts (the off-screen context) and print set-up fill them in directly.
//
// Drawing goes to the output handle. Every attribute change goes to the output handle and, when
// the attribute handle differs from it, to the attribute handle as well; queries of attributes
// read the attribute handle. A destroyed CDC deletes the context its output handle names, so a
// handle that someone else owns must be detached first (Detach). Used by one thread at a time.

#include <string>

#include "platform/window/gdi.h"

class CBitmap;
class CRgn;

class CDC {
public:
    CDC() = default;
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;        // where drawing goes
    HDC m_hAttribDC = nullptr;  // where attribute queries go
    BOOL m_bPrinting = FALSE;   // the context belongs to a print job

    HDC GetSafeHdc() const { return m_hDC; }
    BOOL IsPrinting() const { return m_bPrinting; }
    // Takes `dc` as both handles; FALSE when a handle is held already or `dc` is null.
    BOOL Attach(HDC dc);
    // Gives up both handles without deleting anything; returns the output handle.
    HDC Detach();
    // Deletes the context of the output handle and clears both handles.
    BOOL DeleteDC();
    // Attaches a new memory context compatible with `dc`'s output handle.
    BOOL CreateCompatibleDC(CDC* dc);

    HBITMAP SelectObject(CBitmap* bitmap);  // returns the bitmap selected before
    HBITMAP SelectObject(HBITMAP bitmap);
    int SelectClipRgn(CRgn* region);  // null removes the clip region
    COLORREF SetBkColor(COLORREF color);
    int SetBkMode(int mode);
    COLORREF SetTextColor(COLORREF color);
    POINT SetWindowOrg(int x, int y);  // returns the previous origin
    POINT GetWindowOrg() const;
    int GetClipBox(RECT* rect) const;
    // Converts a logical rectangle to device coordinates.
    void LPtoDP(RECT* rect) const;

    BOOL ExtTextOut(int x, int y, UINT options, const RECT* rect, const std::u16string& text);
    // A solid fill: the background colour becomes `color`, then an opaque empty ExtTextOut.
    void FillSolidRect(const RECT* rect, COLORREF color);
    int DrawText(const char16_t* text, int count, RECT* rect, UINT format);
    BOOL BitBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, DWORD rop);

private:
    bool HasSeparateAttribDC() const { return m_hAttribDC && m_hAttribDC != m_hDC; }
};
