#include "platform/qt/qt_context.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QString>
#include <utility>

#include "platform/qt/qt_colors.h"

namespace {

// Half-open RECT to QRect; an inverted rectangle becomes an empty one.
QRect ToQRect(const RECT& r) {
    return QRect(r.left, r.top, std::max(0, r.right - r.left), std::max(0, r.bottom - r.top));
}

RECT ToRect(const QRect& r) {
    return RECT{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

int ToQtTextFlags(UINT format) {
    int flags = (format & DT_CENTER)  ? Qt::AlignHCenter
                : (format & DT_RIGHT) ? Qt::AlignRight
                                      : Qt::AlignLeft;
    if (format & DT_SINGLELINE) {
        flags |= Qt::TextSingleLine;
        flags |= (format & DT_VCENTER)  ? Qt::AlignVCenter
                 : (format & DT_BOTTOM) ? Qt::AlignBottom
                                        : Qt::AlignTop;
    } else {
        flags |= Qt::AlignTop;
    }
    if (!(format & DT_NOPREFIX)) {
        flags |= Qt::TextShowMnemonic;
    }
    if (format & DT_NOCLIP) {
        flags |= Qt::TextDontClip;
    }
    return flags;
}

QString ToQString(const char16_t* text, qsizetype count) {
    return text ? QString::fromUtf16(text, count) : QString();
}

}  // namespace

CQtBitmap::CQtBitmap(int width, int height, qreal devicePixelRatio)
    : m_size{width, height},
      m_image(qRound(width * devicePixelRatio), qRound(height * devicePixelRatio),
              QImage::Format_RGB32) {
    m_image.setDevicePixelRatio(devicePixelRatio);
    m_image.fill(Qt::black);
}

CQtContext::CQtContext(QPaintDevice* device, QRect paintArea)
    : m_device(device), m_paintArea(paintArea), m_devicePixelRatio(device->devicePixelRatioF()) {}

CQtContext::CQtContext(qreal devicePixelRatio)
    : m_devicePixelRatio(devicePixelRatio),
      m_stockBitmap(std::make_unique<CQtBitmap>(1, 1, devicePixelRatio)),
      m_selectedBitmap(m_stockBitmap.get()) {}

CQtContext::~CQtContext() {
    EndPainting();
}

QPaintDevice* CQtContext::Device() const {
    return m_device ? m_device : &m_selectedBitmap->Image();
}

QRect CQtContext::DeviceBounds() const {
    if (m_device) {
        return m_paintArea;
    }
    SIZE size = m_selectedBitmap->Size();
    return QRect(0, 0, size.cx, size.cy);
}

QRect CQtContext::VisibleDeviceArea() const {
    return m_clip ? DeviceBounds().intersected(*m_clip) : DeviceBounds();
}

QPainter* CQtContext::Painter() {
    QRect visible = VisibleDeviceArea();
    if (visible.isEmpty()) {
        return nullptr;
    }
    if (!m_painter) {
        m_painter = std::make_unique<QPainter>();
        if (!m_painter->begin(Device())) {
            m_painter.reset();
            return nullptr;
        }
        m_painter->setFont(QGuiApplication::font());
    }
    // The clip is set while no transformation is in force, so it stays in device coordinates.
    m_painter->resetTransform();
    m_painter->setClipRect(visible);
    m_painter->translate(-m_origin);
    return m_painter.get();
}

void CQtContext::EndPainting() {
    m_painter.reset();
}

COLORREF CQtContext::SetBkColor(COLORREF color) {
    return std::exchange(m_bkColor, color);
}

int CQtContext::SetBkMode(int mode) {
    return std::exchange(m_bkMode, mode);
}

COLORREF CQtContext::SetTextColor(COLORREF color) {
    return std::exchange(m_textColor, color);
}

BOOL CQtContext::SetWindowOrgEx(int x, int y, POINT* previous) {
    if (previous) {
        *previous = POINT{m_origin.x(), m_origin.y()};
    }
    m_origin = QPoint(x, y);
    return TRUE;
}

BOOL CQtContext::GetWindowOrgEx(POINT* origin) const {
    *origin = POINT{m_origin.x(), m_origin.y()};
    return TRUE;
}

int CQtContext::SelectClipRgn(const CGdiRegion* region) {
    if (region) {
        m_clip = ToQRect(region->rect);
    } else {
        m_clip.reset();
    }
    return VisibleDeviceArea().isEmpty() ? NULLREGION : SIMPLEREGION;
}

int CQtContext::GetClipBox(RECT* rect) const {
    QRect visible = VisibleDeviceArea();
    if (visible.isEmpty()) {
        *rect = RECT{};
        return NULLREGION;
    }
    *rect = ToRect(visible.translated(m_origin));
    return SIMPLEREGION;
}

BOOL CQtContext::ExtTextOutW(int x, int y, UINT options, const RECT* rect, const char16_t* text,
                             UINT count) {
    QPainter* painter = Painter();
    if (!painter) {
        return FALSE;
    }
    if ((options & ETO_OPAQUE) && rect && !ToQRect(*rect).isEmpty()) {
        painter->fillRect(ToQRect(*rect), ToQColor(m_bkColor));
    }
    if (!text || count == 0) {
        return TRUE;
    }
    if ((options & ETO_CLIPPED) && rect) {
        painter->setClipRect(ToQRect(*rect), Qt::IntersectClip);
    }
    QString string = ToQString(text, count);
    QFontMetrics metrics(painter->font());
    if (m_bkMode == OPAQUE && !(options & ETO_OPAQUE)) {
        painter->fillRect(QRect(x, y, metrics.horizontalAdvance(string), metrics.height()),
                          ToQColor(m_bkColor));
    }
    painter->setPen(ToQColor(m_textColor));
    painter->drawText(QPoint(x, y + metrics.ascent()), string);
    return TRUE;
}

int CQtContext::DrawTextW(const char16_t* text, int count, RECT* rect, UINT format) {
    QPainter* painter = Painter();
    if (!painter) {
        return 0;
    }
    QString string = ToQString(text, count < 0 ? -1 : count);
    int flags = ToQtTextFlags(format);
    QRect box = ToQRect(*rect);
    if (m_bkMode == OPAQUE) {
        painter->fillRect(painter->boundingRect(box, flags, string), ToQColor(m_bkColor));
    }
    painter->setPen(ToQColor(m_textColor));
    QRect drawn;
    painter->drawText(box, flags, string, &drawn);
    return drawn.height();
}

CGdiContext* CQtContext::CreateCompatibleDC() {
    return new CQtContext(m_devicePixelRatio);
}

CGdiBitmap* CQtContext::CreateCompatibleBitmap(int width, int height) {
    return new CQtBitmap(width, height, m_devicePixelRatio);
}

CGdiBitmap* CQtContext::SelectBitmap(CGdiBitmap* bitmap) {
    auto* qtBitmap = dynamic_cast<CQtBitmap*>(bitmap);
    if (!m_stockBitmap || !qtBitmap) {
        return nullptr;
    }
    EndPainting();
    return std::exchange(m_selectedBitmap, qtBitmap);
}

BOOL CQtContext::BitBlt(int x, int y, int cx, int cy, CGdiContext* source, int x1, int y1,
                        DWORD rop) {
    auto* memory = dynamic_cast<CQtContext*>(source);
    if (!memory || !memory->m_stockBitmap || rop != SRCCOPY) {
        return FALSE;
    }
    QPainter* painter = Painter();
    if (!painter || cx <= 0 || cy <= 0) {
        return painter ? TRUE : FALSE;
    }
    memory->EndPainting();
    const QImage& image = memory->m_selectedBitmap->Image();
    qreal ratio = image.devicePixelRatio();
    QPoint from = QPoint(x1, y1) - memory->m_origin;
    QRectF sourceRect(from.x() * ratio, from.y() * ratio, cx * ratio, cy * ratio);
    painter->setCompositionMode(QPainter::CompositionMode_Source);
    painter->drawImage(QRectF(x, y, cx, cy), image, sourceRect);
    painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    return TRUE;
}
