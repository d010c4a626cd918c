// The paint surface without the system's graphics: a recording context named "paint".

#include "tests/doubles/paint_surface.h"
#include "tests/doubles/recording_context.h"

class CPaintSurface::CImpl {
public:
    explicit CImpl(const RECT& area)
        : m_log(std::make_shared<CDrawingLog>()), m_context(m_log, "paint", area) {}

    std::shared_ptr<CDrawingLog> m_log;
    CRecordingContext m_context;
};

CPaintSurface::CPaintSurface(const RECT& /*client*/, const RECT& area)
    : m_impl(std::make_unique<CImpl>(area)) {}

CPaintSurface::~CPaintSurface() = default;

HDC CPaintSurface::Context() const {
    return &m_impl->m_context;
}

std::vector<std::string> CPaintSurface::Calls() const {
    return m_impl->m_log->Calls();
}

std::vector<std::u16string> CPaintSurface::DrawnTexts() const {
    return m_impl->m_log->DrawnTexts();
}

bool CPaintSurface::RecordsCalls() {
    return true;
}
