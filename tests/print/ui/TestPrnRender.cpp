// The renderer on QImage at low resolution: where grid lines land, what margin clipping, excluded rectangles and
// screen-only objects leave on the page, that a font scaled to nothing is not drawn full size, that text keeps
// its length from screen to paper resolution, and how wide a pen is drawn at the device's resolution.
#include "print/PrnCanvas.h"
#include "print/ui/PrnPainter.h"

#include <gtest/gtest.h>

#include <set>

namespace {
bool Dark(const QImage& I, int X, int Y) { return qGray(I.pixel(X, Y)) < 160; }

// Columns (or rows) holding any ink inside the rectangle.
struct TInk {
    int Left = 1 << 30, Right = -1, Top = 1 << 30, Bottom = -1;
    int Width() const { return Right < Left ? 0 : Right - Left + 1; }
    int Height() const { return Bottom < Top ? 0 : Bottom - Top + 1; }
};
TInk InkIn(const QImage& I, QRect R)
{
    TInk ink;
    for (int y = R.top(); y <= R.bottom(); ++y)
        for (int x = R.left(); x <= R.right(); ++x)
            if (qGray(I.pixel(x, y)) < 200) {
                ink.Left = std::min(ink.Left, x);
                ink.Right = std::max(ink.Right, x);
                ink.Top = std::min(ink.Top, y);
                ink.Bottom = std::max(ink.Bottom, y);
            }
    return ink;
}

class PrnRender : public ::testing::Test {
protected:
    void SetUp() override { TPrnQtMeasurer::Install(); }
};
}

// A4 portrait at 20 pixels to the inch: horizontal lines every 10 mm at round(j x 10 mm x 20 / 25.4), the 30th
// one beyond the paper's bottom edge; nothing on other rows.
TEST_F(PrnRender, PageGridLinesLandOnExpectedPixelRows)
{
    TPrnPageList list;
    QImage image = PrnRenderPage(list, 1, 20, false);
    ASSERT_EQ(image.height(), 234);
    TPrnPageGrid grid;
    grid.GridStyle = pnLines;
    grid.GridPen.Color = clBlack;
    {
        QPainter p(&image);
        TPrnPainterDevice d(p, 20, 20, false);
        grid.Draw(d, list.GetPage(1).Width(), list.GetPage(1).Height());
    }
    std::set<int> rows, columns;
    for (int j = 1; j <= 30; ++j)
        rows.insert(int(std::lround(j * 200 / 25.4)));
    for (int i = 1; i <= 21; ++i)
        columns.insert(int(std::lround(i * 200 / 25.4)));
    EXPECT_EQ(*rows.rbegin(), 236);
    EXPECT_EQ(*columns.rbegin(), 165);   // on the right edge: just outside an image 165 pixels wide
    for (int y = 0; y < image.height(); ++y)
        EXPECT_EQ(Dark(image, 3, y), rows.count(y) == 1) << "row " << y;
    for (int x = 0; x < image.width(); ++x)
        EXPECT_EQ(Dark(image, x, 3), columns.count(x) == 1) << "column " << x;
}

TEST_F(PrnRender, MarginClippingExcludedRectanglesAndScreenOnlyObjects)
{
    TPrnPageList list;
    list.Margins.ClipMargins = true;
    for (TPrnValue* m : {&list.Margins.Left, &list.Margins.Top, &list.Margins.Right, &list.Margins.Bottom})
        m->SetValue(1);
    TPrnCanvas& c = list.Canvas();
    c.Pen.Style = psClear;
    c.Brush = {clBlack, bsSolid};
    c.ExcludeClipRect(pnInches, 2, 2, 3, 3);
    c.Rectangle(pnInches, 0, 0, 8.27L, 11.69L);
    c.Brush.Color = clRed;
    c.Rectangle(pnInches, 4, 4, 5, 5);
    list.Current().Objects.back()->Printable = false;

    QImage screen = PrnRenderPage(list, 1, 20, false), paper = PrnRenderPage(list, 1, 20, true);
    for (const QImage* image : {&screen, &paper}) {
        EXPECT_EQ(image->pixel(10, 10), qRgb(255, 255, 255)) << "margin";
        EXPECT_EQ(image->pixel(19, 100), qRgb(255, 255, 255)) << "last margin column";
        EXPECT_EQ(image->pixel(20, 100), qRgb(0, 0, 0)) << "first column inside the margins";
        EXPECT_EQ(image->pixel(150, 100), qRgb(255, 255, 255)) << "right margin";
        EXPECT_EQ(image->pixel(30, 30), qRgb(0, 0, 0));
        EXPECT_EQ(image->pixel(50, 50), qRgb(255, 255, 255)) << "excluded";
        EXPECT_EQ(image->pixel(59, 59), qRgb(255, 255, 255)) << "excluded";
        EXPECT_EQ(image->pixel(60, 60), qRgb(0, 0, 0));
    }
    EXPECT_EQ(screen.pixel(90, 90), qRgb(255, 0, 0));
    EXPECT_EQ(paper.pixel(90, 90), qRgb(0, 0, 0)) << "a screen-only object reached the printer";
}

// A font shrunk below one point is drawn at one point: a device given size 0 would use its full default size.
TEST_F(PrnRender, FontScaledBelowOnePointIsNotPrintedFullSize)
{
    TPrnPageList list;
    TPrnCanvas& c = list.Canvas();
    c.Pen.Style = psClear;
    c.Font.Size = ScaleFontSize(10, 0.04L);
    c.TextBox(pnInches, 1, 1, 7, 3, "MMMMMMMM", taLeftJustify, pnTop, 0);
    c.Font.Size = 0;
    c.TextBox(pnInches, 1, 4, 7, 6, "MMMMMMMM", taLeftJustify, pnTop, 0);
    QImage image = PrnRenderPage(list, 1, 96, true);
    for (int top : {96, 4 * 96}) {
        TInk ink = InkIn(image, QRect(96, top, 6 * 96, 2 * 96));
        EXPECT_GT(ink.Width(), 0) << "nothing drawn at " << top;
        EXPECT_LE(ink.Height(), 3) << "at " << top;
        EXPECT_LE(ink.Width(), 12) << "at " << top;
    }
}

// The same text box at screen and at three times that resolution: the text is three times as long, and breaks
// its lines at the same words.
TEST_F(PrnRender, TextKeepsItsLengthFromScreenToPaper)
{
    TPrnPageList list;
    TPrnCanvas& c = list.Canvas();
    c.Pen.Style = psClear;
    c.Font.Size = 12;
    c.TextBox(pnInches, 1, 1, 3, 3, "The quick brown fox jumps over the lazy dog", taLeftJustify, pnTop, 0);
    QImage small = PrnRenderPage(list, 1, 96, false), large = PrnRenderPage(list, 1, 288, false);
    TInk a = InkIn(small, QRect(96, 96, 2 * 96, 2 * 96)), b = InkIn(large, QRect(288, 288, 2 * 288, 2 * 288));
    ASSERT_GT(a.Width(), 50);
    EXPECT_NEAR(double(b.Width()) / a.Width(), 3.0, 0.1);
    EXPECT_NEAR(double(b.Height()) / a.Height(), 3.0, 0.15);
    EXPECT_GT(a.Height(), 30) << "the text was expected to wrap onto more than one line";
}

// Pen widths are quarter points, drawn at the device's resolution: a one-point pen is 8 pixels wide at 600 to the
// inch and a quarter-point pen 2; on the screen a solid line thinner than two pixels is a one-pixel line.
TEST_F(PrnRender, PenWidthsAreQuarterPointsAtTheDevicesResolution)
{
    struct {
        int Width;   // quarter points
        double Ppi;
        int Pixels;
    } cases[] = {{4, 600, 8}, {1, 600, 2}, {12, 300, 13}, {4, 96, 1}, {8, 96, 3}};
    for (const auto& k : cases) {
        SCOPED_TRACE(std::to_string(k.Width) + " at " + std::to_string(int(k.Ppi)));
        TPrnPageList list;
        list.GetPage(1).SetSize({1, 1});
        TPrnCanvas& c = list.Canvas();
        c.Pen = TPrnPen{clBlack, k.Width, psSolid, pmCopy};
        c.Line(pnInches, 0.25L, 0.5L, 0.75L, 0.5L);
        QImage image = PrnRenderPage(list, 1, k.Ppi, k.Ppi > 96);
        const int mid = image.width() / 2;
        EXPECT_EQ(InkIn(image, QRect(mid, 0, 1, image.height())).Height(), k.Pixels);
    }
}
