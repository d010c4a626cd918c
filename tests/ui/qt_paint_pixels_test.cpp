#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPainter>
#include <QWidget>

#include "platform/qt/qt_context.h"
#include "platform/qt/qt_window.h"
#include "tests/ui/pixels.h"
#include "ui/mem_dc.h"
#include "ui/text_progress_ctrl.h"

namespace {

// Colours chosen so that a pixel tells which side of the edge drew it: everything left of the
// edge has no blue, everything right of it full blue.
constexpr COLORREF kBar = RGB(200, 0, 0);
constexpr COLORREF kBarText = RGB(255, 255, 0);
constexpr COLORREF kBack = RGB(255, 255, 255);
constexpr COLORREF kBackText = RGB(0, 0, 255);

class PaintPixelsTest : public ::testing::Test {
protected:
    void SetUp() override {
        widget.resize(200, 24);
        ASSERT_TRUE(control.SubclassWindow(CQtWindow::FromWidget(&widget)));
        control.SetBarColor(kBar);
        control.SetBarTextColor(kBarText);
        control.SetBackColor(kBack);
        control.SetBackTextColor(kBackText);
    }

    // Counts the pixels of columns [from, to) that are not `fill`, and checks that all of them
    // are blends of `fill` and `text`.
    static int TextPixels(const QImage& image, int from, int to, COLORREF fill, COLORREF text) {
        int count = 0;
        for (int x = from; x < to; ++x) {
            for (int y = 0; y < image.height(); ++y) {
                COLORREF pixel = PixelAt(image, x, y);
                EXPECT_TRUE(IsBlendOf(pixel, fill, text)) << "at " << x << "," << y;
                count += pixel != fill;
            }
        }
        return count;
    }

    QWidget widget;
    CTextProgressCtrl control;
};

TEST_F(PaintPixelsTest, WithTextOffOnlyTheTwoFillsSplitAtTheEdge) {
    control.EnableText(FALSE);
    control.SetPos(30);  // 60 of 200 pixels
    QImage image = Render(widget);
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            ASSERT_EQ(PixelAt(image, x, y), x < 60 ? kBar : kBack) << "at " << x << "," << y;
        }
    }
}

TEST_F(PaintPixelsTest, TheLabelChangesColorExactlyAtTheEdge) {
    control.SetWindowText(u"WWWWWWWWWWWWWWWW");  // wide enough to straddle the middle
    control.SetPos(50);
    QImage image = Render(widget);
    EXPECT_GT(TextPixels(image, 90, 100, kBar, kBarText), 0);
    EXPECT_GT(TextPixels(image, 100, 110, kBack, kBackText), 0);
    TextPixels(image, 0, 90, kBar, kBarText);
    TextPixels(image, 110, 200, kBack, kBackText);
}

struct EndCase {
    int pos;
    COLORREF fill;
    COLORREF text;
};

class PaintEndsTest : public PaintPixelsTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(PaintEndsTest, OneFillAndOneLabelColorAtTheEndsOfTheRange) {
    control.SetPos(GetParam().pos);
    QImage image = Render(widget);
    EXPECT_GT(TextPixels(image, 0, 200, GetParam().fill, GetParam().text), 0);
}

INSTANTIATE_TEST_SUITE_P(Ends, PaintEndsTest,
                         ::testing::Values(EndCase{0, kBack, kBackText},
                                           EndCase{100, kBar, kBarText}));

// The window repaints only a part of itself: the off-screen bitmap covers that part, nothing
// outside it changes, and inside it the picture equals a full repaint.
TEST_F(PaintPixelsTest, APartialRepaintChangesOnlyItsRectangle) {
    control.SetPos(20);
    QImage before = Render(widget);
    control.SetPos(80);
    QImage after = Render(widget);

    const QRect part(90, 4, 30, 12);
    QImage partial = before;
    {
        QPainter painter(&partial);
        widget.render(&painter, part.topLeft(), QRegion(part));
    }
    for (int x = 0; x < partial.width(); ++x) {
        for (int y = 0; y < partial.height(); ++y) {
            const QImage& expected = part.contains(x, y) ? after : before;
            ASSERT_EQ(partial.pixel(x, y), expected.pixel(x, y)) << "at " << x << "," << y;
        }
    }
}

TEST_F(PaintPixelsTest, AControlMadeWithAnApplicationTakesThePaletteHighlight) {
    CTextProgressCtrl fresh;
    QWidget bar;
    bar.resize(20, 10);
    ASSERT_TRUE(fresh.SubclassWindow(CQtWindow::FromWidget(&bar)));
    fresh.EnableText(FALSE);
    fresh.SetPos(100);
    QImage image = Render(bar);
    EXPECT_EQ(PixelAt(image, 10, 5),
              ToColorref(QGuiApplication::palette().color(QPalette::Highlight)));
}

class QtContextTest : public ::testing::Test {
protected:
    QImage Blank() const {
        QImage image(100, 50, QImage::Format_RGB32);
        image.fill(QColor(128, 128, 128));
        return image;
    }
};

// Drawing through an off-screen context onto an image of which only one rectangle may change.
TEST_F(QtContextTest, OffScreenDrawingLandsOnlyInsideTheClipBoxAtTheTargetsCoordinates) {
    QImage image = Blank();
    const QRect area(20, 10, 30, 20);
    {
        CDC target;
        target.Attach(new CQtContext(&image, area));
        CMemDC dc(&target);
        RECT everything{0, 0, 100, 50};
        dc.FillSolidRect(&everything, RGB(255, 0, 0));
        RECT corner{45, 25, 60, 40};
        dc.FillSolidRect(&corner, RGB(0, 0, 255));
    }
    for (int x = 0; x < 100; ++x) {
        for (int y = 0; y < 50; ++y) {
            QColor expected = !area.contains(x, y)   ? QColor(128, 128, 128)
                              : (x >= 45 && y >= 25) ? QColor(0, 0, 255)
                                                     : QColor(255, 0, 0);
            ASSERT_EQ(image.pixelColor(x, y), expected) << "at " << x << "," << y;
        }
    }
}

QImage DrawText(const char16_t* text, UINT format) {
    QImage image(120, 30, QImage::Format_RGB32);
    image.fill(Qt::white);
    CQtContext dc(&image, image.rect());
    RECT box{0, 0, 120, 30};
    dc.DrawTextW(text, -1, &box, format);
    return image;
}

TEST_F(QtContextTest, TwoAmpersandsDrawOne) {
    constexpr UINT kCentred = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    EXPECT_EQ(DrawText(u"R&&D", kCentred), DrawText(u"R&D", kCentred | DT_NOPREFIX));
    EXPECT_NE(DrawText(u"R&D", kCentred), DrawText(u"R&D", kCentred | DT_NOPREFIX));
}

}  // namespace
