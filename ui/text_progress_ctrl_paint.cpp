// How the progress bar paints itself: two solid fills, then the label drawn twice through two
// clip regions so that its colour changes exactly at the bar's edge. Composed off-screen.

#include <algorithm>
#include <string>

#include "platform/window/gdi_objects.h"
#include "platform/window/paint_dc.h"
#include "ui/mem_dc.h"
#include "ui/text_progress_ctrl.h"
#include "ui/truncate.h"

namespace {

constexpr UINT kLabelFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

std::u16string Percentage(double fraction) {
    std::string digits = std::to_string(TruncateToInt32(fraction * 100.0)) + "%";
    return std::u16string(digits.begin(), digits.end());
}

// The right edge of the filled part. Positions outside the range would put it outside the
// client area; it is held at the client's edges, which looks the same and keeps every rectangle
// and region inside the window.
LONG FilledRight(const RECT& client, double fraction) {
    std::int64_t filled = TruncateToInt32((client.right - client.left) * fraction);
    return static_cast<LONG>(
        std::clamp<std::int64_t>(client.left + filled, client.left, client.right));
}

// Draws `label` centred in `client`, visible only inside `part`, in `color`.
void DrawLabelPart(CDC& dc, const std::u16string& label, const RECT& client, const RECT& part,
                   COLORREF color) {
    // Clip regions are in device coordinates; convert, so that the split stays at the bar's
    // edge also when only a part of the window is repainted and the origin is shifted.
    RECT device = part;
    dc.LPtoDP(&device);
    CRgn region;
    region.CreateRectRgnIndirect(&device);
    dc.SelectClipRgn(&region);
    dc.SetTextColor(color);
    RECT box = client;
    dc.DrawText(label.c_str(), static_cast<int>(label.size()), &box, kLabelFormat);
}

}  // namespace

BOOL CTextProgressCtrl::OnEraseBkgnd(CDC* /*dc*/) {
    return TRUE;  // the paint covers the whole client area; erasing first would only flicker
}

void CTextProgressCtrl::OnPaint() {
    CPaintDC paintDC(this);
    if (m_lower >= m_upper) {
        return;
    }
    RECT client;
    GetClientRect(&client);
    double fraction = Fraction(m_pos.load(std::memory_order_relaxed));
    CMemDC dc(&paintDC);

    RECT bar = client;
    bar.right = FilledRight(client, fraction);
    RECT rest = client;
    rest.left = bar.right;
    dc.FillSolidRect(&bar, m_barColor.load(std::memory_order_relaxed));
    dc.FillSolidRect(&rest, m_backColor.load(std::memory_order_relaxed));

    if (m_showText.load(std::memory_order_relaxed)) {
        DrawLabel(dc, client, bar, rest, fraction);
    }
}

void CTextProgressCtrl::DrawLabel(CDC& dc, const RECT& client, const RECT& bar, const RECT& rest,
                                  double fraction) {
    const std::u16string label = m_text.empty() ? Percentage(fraction) : m_text;
    dc.SetBkMode(TRANSPARENT);
    DrawLabelPart(dc, label, client, bar, m_barTextColor.load(std::memory_order_relaxed));
    DrawLabelPart(dc, label, client, rest, m_backTextColor.load(std::memory_order_relaxed));
}
