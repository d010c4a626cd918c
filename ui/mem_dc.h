#pragma once
// An off-screen drawing context for one paint. Placed between a paint handler and the window's
// paint context, it collects everything drawn into a bitmap that covers exactly the area being
// repainted (the target's clip box) and copies it onto the target in one block transfer when it
// is destroyed, so the window never shows a half-drawn picture. Callers draw with the target's
// own coordinates; whatever they draw outside the clip box is discarded.
//
// When the target belongs to a print job, no bitmap is made: drawing goes straight to the target,
// whose context is borrowed and left open when this object is destroyed.
//
// Lifetime: one paint, on the painting thread. Construct it after the paint context and destroy
// it before the paint closes (declare it after the paint context in the same scope). The target
// must outlive it. A fresh off-screen context has the platform's default attributes; the caller
// sets every attribute it needs. Failures are not reported: if the memory context or the bitmap
// cannot be made, the drawing goes nowhere and the target stays as it was.

#include "platform/window/dc.h"
#include "platform/window/gdi_objects.h"

class CMemDC : public CDC {
public:
    explicit CMemDC(CDC* target);
    ~CMemDC() override;

private:
    CBitmap m_offscreenBitmap;
    HBITMAP m_savedBitmap = nullptr;  // what the memory context held before; not owned
    CDC* m_target;
    RECT m_clipBox{};
    BOOL m_offscreen;
};
