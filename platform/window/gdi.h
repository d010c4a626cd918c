#pragma once
// The drawing services the user interface is written against, in the shape of the system's
// graphics interface: device contexts, bitmaps and rectangular regions behind handles, and free
// functions with the system's names. A Win32 build uses the real ones; elsewhere each toolkit
// backend implements CGdiContext and CGdiBitmap, and the functions below forward to them.
//
// Coordinates: drawing calls take logical coordinates; the window origin set with
// SetWindowOrgEx maps logical (x, y) to device (x - origin.x, y - origin.y). Clip regions are in
// device coordinates. Rectangles are half-open: right and bottom are outside.
//
// Threads: a context and the bitmaps selected into it are used by one thread at a time (the one
// that paints). Every function accepts a null handle and then fails (FALSE, 0 or null).

#include "platform/window/win_types.h"

#ifndef _WIN32

// Pixels that a memory context draws into. Made by a context's CreateCompatibleBitmap, owned by
// the caller, released with DeleteObject once no context has it selected.
class CGdiBitmap {
public:
    virtual ~CGdiBitmap() = default;
    virtual SIZE Size() const = 0;
};

// A rectangular region in device coordinates, normalised (left <= right, top <= bottom).
struct CGdiRegion {
    RECT rect;
};

// A device context: drawing attributes (background colour and mode, text colour, clip region,
// window origin) and the drawing operations that use them. A fresh context has the defaults of
// the system: white background, opaque mode, black text, no clip region, origin (0, 0).
class CGdiContext {
public:
    virtual ~CGdiContext() = default;

    virtual COLORREF SetBkColor(COLORREF color) = 0;    // returns the previous colour
    virtual int SetBkMode(int mode) = 0;                // TRANSPARENT or OPAQUE
    virtual COLORREF SetTextColor(COLORREF color) = 0;  // returns the previous colour
    virtual BOOL SetWindowOrgEx(int x, int y, POINT* previous) = 0;
    virtual BOOL GetWindowOrgEx(POINT* origin) const = 0;
    // Copies `region` as the clip region (null removes it); returns NULLREGION or SIMPLEREGION.
    virtual int SelectClipRgn(const CGdiRegion* region) = 0;
    // The smallest logical rectangle around what may be drawn now; NULLREGION when empty.
    virtual int GetClipBox(RECT* rect) const = 0;

    // With ETO_OPAQUE fills `rect` with the background colour; then draws `count` characters
    // with their top-left corner at (x, y). An inverted rectangle is empty.
    virtual BOOL ExtTextOutW(int x, int y, UINT options, const RECT* rect, const char16_t* text,
                             UINT count) = 0;
    // Draws `count` characters (-1: up to the terminator) into `rect` as the format asks
    // (DT_CENTER, DT_RIGHT, DT_VCENTER, DT_BOTTOM, DT_SINGLELINE, DT_NOCLIP, DT_NOPREFIX;
    // without DT_NOPREFIX "&x" underlines x and "&&" draws one ampersand). Returns the height of
    // the text drawn, 0 on failure.
    virtual int DrawTextW(const char16_t* text, int count, RECT* rect, UINT format) = 0;

    // A memory context like this one: no clip region, a one-pixel bitmap selected. The caller
    // owns it and releases it with DeleteDC.
    virtual CGdiContext* CreateCompatibleDC() = 0;
    // A bitmap of this context's kind, `width` x `height` pixels; null when it cannot be made.
    virtual CGdiBitmap* CreateCompatibleBitmap(int width, int height) = 0;
    // Selects `bitmap` into this memory context and returns the one it held; null on failure.
    virtual CGdiBitmap* SelectBitmap(CGdiBitmap* bitmap) = 0;
    // Copies `cx` x `cy` pixels from (x1, y1) of `source` to (x, y) of this context, both in
    // their own logical coordinates. Only SRCCOPY is supported.
    virtual BOOL BitBlt(int x, int y, int cx, int cy, CGdiContext* source, int x1, int y1,
                        DWORD rop) = 0;
};

using HDC = CGdiContext*;
using HBITMAP = CGdiBitmap*;
using HRGN = CGdiRegion*;

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;  // TRUE when the background still needs erasing
    RECT rcPaint;
};

COLORREF SetBkColor(HDC dc, COLORREF color);
int SetBkMode(HDC dc, int mode);
COLORREF SetTextColor(HDC dc, COLORREF color);
BOOL SetWindowOrgEx(HDC dc, int x, int y, POINT* previous);
BOOL GetWindowOrgEx(HDC dc, POINT* origin);
BOOL LPtoDP(HDC dc, POINT* points, int count);
int SelectClipRgn(HDC dc, HRGN region);
int GetClipBox(HDC dc, RECT* rect);
BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, const char16_t* text,
                 UINT count, const INT* dx);
int DrawTextW(HDC dc, const char16_t* text, int count, RECT* rect, UINT format);
HDC CreateCompatibleDC(HDC dc);
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
HBITMAP SelectObject(HDC dc, HBITMAP bitmap);
BOOL BitBlt(HDC dc, int x, int y, int cx, int cy, HDC source, int x1, int y1, DWORD rop);
BOOL DeleteDC(HDC dc);
// Rectangles given with left > right or top > bottom are normalised, as the system does.
HRGN CreateRectRgn(int left, int top, int right, int bottom);
BOOL DeleteObject(HBITMAP bitmap);
BOOL DeleteObject(HRGN region);

#endif
