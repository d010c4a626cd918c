#pragma once
// The device context that one paint of a recording window draws into, and what the paint drew.
// One form per build:
// - without the system's graphics (Linux): a recording context (recording_context.h) that
//   draws nothing and logs every call;
// - on Windows: a real memory context with a 32-bit bitmap of the client's size, clipped to the
//   painted area, so the system's own drawing runs; the texts handed to DrawTextW while the
//   paint is open on its thread are recorded, the other calls are not (Calls() is empty).
// A surface is made, used and destroyed by one thread (the painting one).

#include <memory>
#include <string>
#include <vector>

#include "platform/window/gdi.h"

class CPaintSurface {
public:
    // A paint of `area` (client coordinates) of a client area `client`.
    CPaintSurface(const RECT& client, const RECT& area);
    ~CPaintSurface();
    CPaintSurface(const CPaintSurface&) = delete;
    CPaintSurface& operator=(const CPaintSurface&) = delete;

    // Owned by the surface; valid until it is destroyed.
    HDC Context() const;
    // The drawing calls in the form of recording_context.h; empty where the system draws.
    std::vector<std::string> Calls() const;
    // The texts drawn with DrawTextW, in order, count applied.
    std::vector<std::u16string> DrawnTexts() const;
    // True where Calls() records the drawing calls.
    static bool RecordsCalls();

private:
    class CImpl;
    std::unique_ptr<CImpl> m_impl;
};
