// The core's painting rules that a picture shows: line colours by region and option, and the selection.
#include "GridUiSupport.h"

#include <gtest/gtest.h>

namespace {
// A plain core grid drawing nothing of its own: 5 x 5 cells of 64 x 24 with one fixed row and column.
class TPlainGrid : public TXCustomGrid {
public:
    using TXCustomGrid::TXCustomGrid;

protected:
    void DrawCell(QPainter&, int, int, const QRect&, TGridDrawState) override {}
};

QColor Pixel(QWidget* W, QPoint P) { return W->grab().toImage().pixelColor(P); }
}  // namespace

TEST(GridCorePaint, LineColoursByRegionAndOption)
{
    QWidget window;
    window.resize(400, 200);
    auto* g = new TPlainGrid(&window);
    g->setGeometry(0, 0, 400, 200);
    window.show();
    QApplication::processEvents();
    QWidget* vp = g->viewport();
    // Fixed lines are black, scrolling lines silver.
    EXPECT_EQ(Pixel(vp, QPoint(64, 10)), QColor(Qt::black));             // after fixed column 0, in the fixed row
    EXPECT_EQ(Pixel(vp, QPoint(65 + 64, 40)), ToQColor(clSilver));        // between scrolling columns 1 and 2
    EXPECT_EQ(Pixel(vp, QPoint(100, 25 + 24)), ToQColor(clSilver));       // between scrolling rows 1 and 2
    // A silver grid draws its scrolling lines grey.
    g->SetColor(clSilver);
    EXPECT_EQ(Pixel(vp, QPoint(65 + 64, 40)), ToQColor(clGray));
    // Scrolling vertical lines switched off: their gaps take the grid's colour, the fixed ones stay black.
    g->SetColor(clWindow);
    g->SetOptions(g->Options() & TGridOptions(~goVertLine));
    EXPECT_EQ(Pixel(vp, QPoint(65 + 64, 40)), ToQColor(clWindow));
    EXPECT_EQ(Pixel(vp, QPoint(64, 40)), QColor(Qt::black));
    // The selected cell (not focused) is drawn in the highlight colour.
    g->SetOptions(g->Options() | goRangeSelect);
    g->FocusCell(2, 2, true);
    g->FocusCell(3, 3, false);
    window.setFocus();
    EXPECT_EQ(Pixel(vp, QPoint(65 + 65 + 10, 25 + 25 + 10)), ToQColor(clHighlight));
}
