// The section windows' look on a picture: every kind of cell shows its text readably, clDefault included.
#include "GridUiSupport.h"

#include <gtest/gtest.h>
#include <cmath>
#include <map>

namespace {
double Luminance(QColor C)
{
    auto channel = [](double v) {
        v /= 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(C.red()) + 0.7152 * channel(C.green()) + 0.0722 * channel(C.blue());
}

// The contrast between a cell's background (its most frequent colour) and its text (the pixel that differs most
// from the background), read from the picture.
double TextContrast(const QImage& Shot, QRect Cell)
{
    Cell.adjust(2, 2, -2, -2);
    std::map<QRgb, int> counts;
    for (int y = Cell.top(); y <= Cell.bottom(); ++y)
        for (int x = Cell.left(); x <= Cell.right(); ++x)
            ++counts[Shot.pixel(x, y)];
    QRgb background = std::max_element(counts.begin(), counts.end(),
        [](const auto& a, const auto& b) { return a.second < b.second; })->first;
    double lb = Luminance(QColor(background));
    double best = 1.0;
    for (const auto& [rgb, n] : counts) {
        double l = Luminance(QColor(rgb));
        best = std::max(best, (std::max(l, lb) + 0.05) / (std::min(l, lb) + 0.05));
    }
    return best;
}
}  // namespace

TEST(GridLook, FormBaseColoursKeepEveryTextReadable)
{
    TGridWindow w(520, 260);
    TXStringGrid& g = *w.Grid;
    ApplyFormBaseLook(g);
    const char* captions[] = {"Box", "Name", "Value", "Locked"};
    for (const char* c : captions) {
        TXGridColumn* col = g.Columns().Add();
        col->SetCaption(c);
        col->SetWidth(110);
        col->SetRowProperty(true);
    }
    g.SetFixedCols(1);
    g.SetRowCount(8);
    for (int r = 0; r < 8; ++r) {
        g.SetCells(0, r, std::to_string(100 + r));
        g.SetCells(1, r, "Subscriber " + std::to_string(r));
        g.SetCells(2, r, "Value " + std::to_string(r));
        g.SetCellValueOptions(3, r, voReadOnly);
        g.SetCells(3, r, "locked " + std::to_string(r));
    }
    w.Show();
    g.SetRow(2);
    g.SetCol(1);
    QTest::keyClick(&g, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&g, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&g, Qt::Key_Right, Qt::ShiftModifier);
    QApplication::processEvents();
    QImage shot = g.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_TRUE(shot.save(ScreenshotPath("grid-form-look.png")));
    ASSERT_TRUE(g.Selection().Top < g.Selection().Bottom);
    int current = g.TXCustomGrid::Row();   // core row of the current cell
    struct TCell {
        const char* What;
        int Col, CoreRow;
    };
    for (TCell c : {TCell{"caption", 3, 0}, TCell{"current caption", g.TXCustomGrid::Col(), 0},
             TCell{"frozen cell", 0, 1}, TCell{"frozen cell of the current row", 0, current},
             TCell{"plain cell", 1, 7}, TCell{"selected cell", 1, 3}, TCell{"read-only cell", 3, 7},
             TCell{"read-only cell of the current row", 3, current}}) {
        SCOPED_TRACE(c.What);
        EXPECT_GE(TextContrast(shot, g.CellRect(c.Col, c.CoreRow)), 2.5);
    }
}
