#pragma once
// The device contexts and bitmaps of the Qt backend. A context draws with a QPainter on a paint
// device: a widget during its paint event (the paint context of a window), any other device such
// as a QImage, or, for a memory context, the bitmap selected into it. The default font is the
// application's font, the toolkit's counterpart of the system font.
//
// Threads: a context is used on the thread that owns its device (the GUI thread for widgets),
// and needs a QGuiApplication for text.

#include <QImage>
#include <QPainter>
#include <QRect>
#include <memory>
#include <optional>

#include "platform/window/gdi.h"

class CQtBitmap : public CGdiBitmap {
public:
    // `width` x `height` logical pixels at `devicePixelRatio` physical pixels each, opaque and
    // black to start with.
    CQtBitmap(int width, int height, qreal devicePixelRatio);
    SIZE Size() const override { return m_size; }
    QImage& Image() { return m_image; }

private:
    SIZE m_size;
    QImage m_image;
};

class CQtContext : public CGdiContext {
public:
    // Draws on `device`, of which only `paintArea` (device coordinates) may be drawn: the update
    // rectangle of a paint, or the part of an image a test lets through. The device must outlive
    // the context.
    CQtContext(QPaintDevice* device, QRect paintArea);
    ~CQtContext() override;

    COLORREF SetBkColor(COLORREF color) override;
    int SetBkMode(int mode) override;
    COLORREF SetTextColor(COLORREF color) override;
    BOOL SetWindowOrgEx(int x, int y, POINT* previous) override;
    BOOL GetWindowOrgEx(POINT* origin) const override;
    int SelectClipRgn(const CGdiRegion* region) override;
    int GetClipBox(RECT* rect) const override;
    BOOL ExtTextOutW(int x, int y, UINT options, const RECT* rect, const char16_t* text,
                     UINT count) override;
    int DrawTextW(const char16_t* text, int count, RECT* rect, UINT format) override;
    CGdiContext* CreateCompatibleDC() override;
    CGdiBitmap* CreateCompatibleBitmap(int width, int height) override;
    CGdiBitmap* SelectBitmap(CGdiBitmap* bitmap) override;
    // The source must be a memory context of this backend.
    BOOL BitBlt(int x, int y, int cx, int cy, CGdiContext* source, int x1, int y1,
                DWORD rop) override;

private:
    // A memory context with a one-pixel bitmap selected.
    explicit CQtContext(qreal devicePixelRatio);

    // The painter on the current device, set to the clip and origin now in force; null when
    // there is nothing to draw on.
    QPainter* Painter();
    // Ends painting, so that the pixels can be read or the bitmap swapped.
    void EndPainting();
    QPaintDevice* Device() const;
    QRect DeviceBounds() const;
    QRect VisibleDeviceArea() const;

    QPaintDevice* m_device = nullptr;  // null for memory contexts
    QRect m_paintArea;
    qreal m_devicePixelRatio = 1.0;
    std::unique_ptr<CQtBitmap> m_stockBitmap;  // memory contexts only
    CQtBitmap* m_selectedBitmap = nullptr;
    std::unique_ptr<QPainter> m_painter;
    QPoint m_origin;
    std::optional<QRect> m_clip;  // device coordinates
    COLORREF m_bkColor = RGB(255, 255, 255);
    COLORREF m_textColor = RGB(0, 0, 0);
    int m_bkMode = OPAQUE;
};
