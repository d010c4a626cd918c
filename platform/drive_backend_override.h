#pragma once
// Another drive backend in place of the operating system's, for tests, benchmarks and the demo
// (which puts the simulator there). Implemented in platform/drive_backend.cpp.

#include "platform/drive_backend.h"

class CScopedDriveBackend {
public:
    // Puts `backend` in place for every thread and remembers the one it replaces (nullptr:
    // the operating system's). The caller keeps ownership and keeps the backend alive while
    // this guard lives and while any drive opened through it may still be used. Meant for
    // start-up and between test cases, not while transfers run.
    explicit CScopedDriveBackend(CDriveBackend* backend);
    // Puts the remembered backend back. Guards end in the reverse order of their making.
    ~CScopedDriveBackend();
    CScopedDriveBackend(const CScopedDriveBackend&) = delete;
    CScopedDriveBackend& operator=(const CScopedDriveBackend&) = delete;

private:
    CDriveBackend* m_previous;
};
