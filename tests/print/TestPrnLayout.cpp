// Grid and text printing laid out with the fixed-advance measurer: fit scale, caption rows on every page, column
// ranges that wrap or split, an over-tall row, an empty grid, double headers that cover fewer columns than the
// data, text blocks per page; and the preview's zoom arithmetic.
#include "PrnTestSupport.h"

#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"
#include "print/PrnCanvas.h"
#include "print/PrnGridPrint.h"
#include "print/PrnTextPrint.h"
#include "print/PrnZoom.h"

#include <gtest/gtest.h>

#include <list>

#include <map>

namespace {
class TFakeGrid : public TPrnGridSource {
public:
    std::vector<TPrnGridColumn> Cols, HeaderCols;
    int Rows = 0;
    int RowPixels = 24;
    std::map<int, int> TallRows;   // row -> pixels
    std::map<std::pair<int, int>, std::string> Texts;   // (column, row) -> a text of its own
    int RowCount() const override { return Rows; }
    int RowHeight(int Row) const override
    {
        auto it = TallRows.find(Row);
        return it == TallRows.end() ? RowPixels : it->second;
    }
    int HeaderHeight() const override { return 20; }
    bool DoubleHeader() const override { return !HeaderCols.empty(); }
    std::vector<TPrnGridColumn> Columns() const override { return Cols; }
    std::vector<TPrnGridColumn> HeaderColumns() const override { return HeaderCols; }
    std::string CellValue(int Col, int Row) const override
    {
        auto it = Texts.find({Col, Row});
        return it != Texts.end() ? it->second : "r" + std::to_string(Row) + "c" + std::to_string(Col);
    }
    void AddColumns(int N, int Width)
    {
        for (int i = 0; i < N; ++i) {
            TPrnGridColumn c;
            c.Caption = "Col" + std::to_string(Cols.size());
            c.Width = Width;
            c.Font.Size = c.HeaderFont.Size = 8;
            Cols.push_back(c);
        }
    }
};

struct TBox {
    std::string Text;
    TPrnExtRect Rect;
    int FontSize;
};

std::vector<TBox> Boxes(TPrnPageList& L, int Page)
{
    std::vector<TBox> out;
    for (auto& o : L.GetPage(Page).Objects)
        if (auto* t = dynamic_cast<TPrnTextBoxObject*>(o.get()))
            out.push_back({t->Text, t->Rect, t->Font() ? t->Font()->Size : 0});
    return out;
}

bool Has(TPrnPageList& L, int Page, const std::string& Text)
{
    for (const TBox& b : Boxes(L, Page))
        if (b.Text == Text)
            return true;
    return false;
}

const TBox* Find(TPrnPageList& L, int Page, const std::string& Text)
{
    // Every answer stays valid for the whole test: a caller may hold one box while it looks up the next.
    static std::list<std::vector<TBox>> keep;
    keep.push_back(Boxes(L, Page));
    for (const TBox& b : keep.back())
        if (b.Text == Text)
            return &b;
    return nullptr;
}

// Letter paper: 7.5 in between the half-inch margins.
class PrnLayout : public ::testing::Test {
protected:
    void SetUp() override
    {
        TPrnTextMeasurer::setInstance(nullptr);
        List.SetPaperSize(pnLetter);
        Print.Grid = &Grid;
        Print.Preview = &List;
    }
    TRecordingDialogs Dialogs;
    TDialogsScope Scope{&Dialogs};
    TPrnPageList List;
    TFakeGrid Grid;
    TPrnGridPrint Print;
};
}

TEST_F(PrnLayout, FitToPageWidthShrinksColumnsRowsAndFontsIntoOneRange)
{
    Grid.AddColumns(10, 96);   // 10 in
    Grid.Rows = 3;
    Print.FitToPageWidth = true;
    Print.GridToPage();
    EXPECT_NEAR(double(Print.Scale()), 0.748, 1e-9);
    ASSERT_EQ(List.Count(), 1);
    const TBox* last = Find(List, 1, "r2c9");
    ASSERT_NE(last, nullptr);
    EXPECT_NEAR(double(last->Rect.Right), 0.5 + 7.48, 1e-6);   // every column on the page
    EXPECT_EQ(last->FontSize, 6);                             // 8 pt x 0.748
    EXPECT_NEAR(double(last->Rect.Bottom - last->Rect.Top), 24 / 96.0 * 0.748, 1e-6);
}

TEST_F(PrnLayout, WrappedColumnRangesRepeatTheCaptionRowOnEveryPage)
{
    Grid.AddColumns(10, 96);
    Grid.Rows = 100;   // more than one band of rows
    Print.GridToPage();
    ASSERT_GE(List.Count(), 4);
    EXPECT_EQ(List.Count() % 2, 0);   // each band of rows: two column ranges
    for (int p = 1; p <= List.Count(); ++p) {
        bool left = p % 2 == 1;
        EXPECT_TRUE(Has(List, p, left ? "Col0" : "Col7")) << "page " << p;
        EXPECT_EQ(Has(List, p, "Col6"), left) << "page " << p;   // column 7 moved whole to the next page
    }
    // Both ranges of a band print the same rows, and each band goes on where the last one stopped.
    EXPECT_TRUE(Has(List, 1, "r0c0"));
    EXPECT_TRUE(Has(List, 2, "r0c7"));
    int firstOfBand2 = -1;
    for (int r = 0; r < 100 && firstOfBand2 < 0; ++r)
        if (!Has(List, 1, "r" + std::to_string(r) + "c0"))
            firstOfBand2 = r;
    ASSERT_GT(firstOfBand2, 0);
    EXPECT_TRUE(Has(List, 3, "r" + std::to_string(firstOfBand2) + "c0"));
    EXPECT_TRUE(Has(List, 4, "r" + std::to_string(firstOfBand2) + "c9"));
    EXPECT_TRUE(Has(List, 2, "r" + std::to_string(firstOfBand2 - 1) + "c9"));
    EXPECT_EQ(List.CurrentPage(), 1);
}

TEST_F(PrnLayout, WithoutWrapAnOverflowingColumnIsSplitAndAWideColumnAlways)
{
    Grid.AddColumns(2, 96 * 5);   // 5 in + 5 in on 7.5 in
    Grid.Rows = 1;
    Print.GridOptions &= ~pnWrapColumns;
    Print.GridToPage();
    ASSERT_EQ(List.Count(), 2);
    const TBox* first = Find(List, 1, "r0c1");
    ASSERT_NE(first, nullptr);
    EXPECT_NEAR(double(first->Rect.Left), 5.5, 1e-6);
    const TBox* rest = Find(List, 2, "r0c1");
    ASSERT_NE(rest, nullptr);
    EXPECT_NEAR(double(rest->Rect.Left), 0.5 - 2.5, 1e-6);   // shifted left by the part already printed

    // One column wider than the page is split even with wrapping on.
    TPrnPageList other;
    other.SetPaperSize(pnLetter);
    TFakeGrid wide;
    wide.AddColumns(1, 96 * 20);
    wide.Rows = 1;
    TPrnGridPrint p;
    p.Grid = &wide;
    p.Preview = &other;
    p.GridToPage();
    EXPECT_EQ(other.Count(), 3);   // 7.5 + 7.5 + 5
    for (int n = 1; n <= 3; ++n)
        EXPECT_TRUE(Has(other, n, "r0c0")) << n;
}

TEST_F(PrnLayout, RowTallerThanAPageIsPrintedAloneAndCutNeverDropped)
{
    Grid.AddColumns(2, 96);
    Grid.Rows = 3;
    Grid.TallRows[1] = 96 * 30;   // 30 in
    Print.GridToPage();
    ASSERT_EQ(List.Count(), 3);
    EXPECT_TRUE(Has(List, 1, "r0c0"));
    EXPECT_TRUE(Has(List, 2, "r1c0"));
    EXPECT_FALSE(Has(List, 2, "r2c0"));
    EXPECT_TRUE(Has(List, 3, "r2c0"));
    const TBox* tall = Find(List, 2, "r1c0");
    ASSERT_NE(tall, nullptr);
    EXPECT_LE(double(tall->Rect.Bottom), 11.0 - 0.5 + 1e-6);   // cut at the page's bottom
    EXPECT_TRUE(Has(List, 2, "Col0"));
}

TEST_F(PrnLayout, EmptyGridGivesTheHeaderRowsOfOnePage)
{
    Grid.AddColumns(10, 96);
    Print.GridToPage();
    EXPECT_EQ(List.Count(), 1);
    EXPECT_TRUE(Has(List, 1, "Col0"));
    EXPECT_FALSE(Has(List, 1, "r0c0"));

    // Without a grid: the error box, nothing recorded.
    TPrnGridPrint none;
    none.Preview = &List;
    none.GridToPage();
    EXPECT_EQ(Dialogs.LastText(),
        "TPrnGridPrint Error!\r\rThe \"Grid\" property must be set to a valid grid component\"");
}

// Margins that leave no width would start every page with the same column at the same place, without end: such a
// layout is refused and nothing is recorded. A sliver of width (1/128 in here; the one refused just outside is
// just under a thousandth) still prints, a page per sliver.
TEST_F(PrnLayout, MarginsThatLeaveNoWidthAreRefusedAndASliverStillPrints)
{
    struct {
        Extended Margin;   // each side, on Letter's 8.5 in
        bool Refused;
    } cases[] = {{4.25L, true}, {5, true}, {4.25L - 1 / 4096.0L, true}, {4.25L - 1 / 256.0L, false}};
    for (const auto& k : cases) {
        SCOPED_TRACE(double(k.Margin));
        TPrnPageList list;
        list.SetPaperSize(pnLetter);
        list.Margins.Left.SetValue(k.Margin);
        list.Margins.Right.SetValue(k.Margin);
        TFakeGrid grid;
        grid.AddColumns(2, 96);   // 2 in
        grid.Rows = 1;
        TPrnGridPrint p;
        p.Grid = &grid;
        p.Preview = &list;
        Dialogs.Boxes.clear();
        p.GridToPage();
        if (k.Refused) {
            ASSERT_EQ(Dialogs.Boxes.size(), 1u);
            EXPECT_EQ(Dialogs.Boxes[0].Text, "TPrnGridPrint Error!\r\rThe margins leave no width to print the grid on: "
                "the page is 8.50 in wide, the left and right margins take " +
                    PrnFormatExtended(2 * k.Margin, 2) + " in.");
            EXPECT_EQ(list.Count(), 1);
            EXPECT_TRUE(list.GetPage(1).Objects.empty());
        } else {
            EXPECT_TRUE(Dialogs.Boxes.empty());
            EXPECT_EQ(list.Count(), 256);   // 2 in in slivers of 1/128 in
            EXPECT_TRUE(Has(list, 256, "r0c1"));
        }
    }
}

TEST_F(PrnLayout, DataColumnsBeyondTheUpperHeaderAreNotLost)
{
    Grid.AddColumns(10, 96);
    Grid.Rows = 2;
    TPrnGridColumn h;
    h.Caption = "Group";
    h.Width = 96 * 2 + 1;
    h.LinkedColumns = 2;   // covers the first two data columns only
    Grid.HeaderCols.push_back(h);
    Print.GridToPage();
    ASSERT_EQ(List.Count(), 2);
    EXPECT_TRUE(Has(List, 1, "Group"));
    EXPECT_FALSE(Has(List, 2, "Group"));
    for (int c = 0; c < 10; ++c)
        EXPECT_TRUE(Has(List, c < 7 ? 1 : 2, "r1c" + std::to_string(c))) << c;
}

// A cell or a caption that holds a token is the device's text: it prints as it stands.
TEST_F(PrnLayout, CellsAndCaptionsPrintTokensAsTheyStand)
{
    Grid.AddColumns(2, 96 * 3);   // wide enough for the texts on one line each
    Grid.Cols[1].Caption = "Page {PAGE}";
    Grid.Rows = 1;
    Grid.Texts[{0, 0}] = "{PAGE} of {NUMPAGES} at {TIME}";
    Print.GridToPage();
    TRecordingDevice d;
    List.DrawPage(1, d, false);
    EXPECT_TRUE(d.Drew("{PAGE} of {NUMPAGES} at {TIME}"));
    EXPECT_TRUE(d.Drew("Page {PAGE}"));
}

TEST_F(PrnLayout, MarkedRowsAreFilled)
{
    Grid.AddColumns(1, 96);
    Grid.Rows = 4;
    Print.GridOptions |= pnMark2Row;
    Print.GridToPage();
    int filled = 0;
    for (auto& o : List.GetPage(1).Objects)
        if (auto* r = dynamic_cast<TPrnRectangleShape*>(o.get()); r && r->Brush() && r->Brush()->Color == cl3DLight)
            ++filled;
    EXPECT_EQ(filled, 2);   // rows 1 and 3
}

// ---- text ------------------------------------------------------------------------------------------------------
namespace {
std::string Lines(int N, const char* Sep = "\r\n")
{
    std::string t;
    for (int i = 1; i <= N; ++i)
        t += "line " + std::to_string(i) + (i < N ? Sep : "");
    return t;
}
}

TEST_F(PrnLayout, TextOf130LinesGivesThreePagesOfItsOwnBlocks)
{
    // 10 pt lines are 1/6 in: 60 of them between the top margin and a bottom margin of 0.45 in.
    List.Margins.Bottom.SetValue(0.45L);
    TPrnTextPrint t;
    t.Preview = &List;
    t.TextFont.Size = 10;
    t.Text = Lines(130, "\n");
    t.TextToPage();
    ASSERT_EQ(List.Count(), 3);
    EXPECT_EQ(List.CurrentPage(), 1);
    TRecordingDevice d;
    List.DrawPage(3, d, false);
    ASSERT_EQ(d.Texts.size(), 10u);
    EXPECT_EQ(d.Texts.front().Text, "line 121");
    EXPECT_EQ(d.Texts.back().Text, "line 130");
    // Lines stand one measured line height apart.
    EXPECT_NEAR(double(d.Texts[1].Top - d.Texts[0].Top), 10 * 1.2 / 72, 1e-9);

    // CR alone and tabs.
    TPrnPageList other;
    TPrnTextPrint u;
    u.Preview = &other;
    u.Text = "a\tb\rc";
    u.TextToPage();
    TRecordingDevice e;
    other.DrawPage(1, e, false);
    ASSERT_EQ(e.Texts.size(), 2u);
    EXPECT_EQ(e.Texts[0].Text, "a       b");
    EXPECT_EQ(e.Texts[1].Text, "c");
}

// A text printout ends above a visible footer (its band is an inch high here), and at the bottom margin when the
// footer is hidden; no line runs past that limit.
TEST_F(PrnLayout, TextStopsAboveAVisibleFooterAndAtTheBottomMarginWithout)
{
    for (bool footer : {true, false}) {
        SCOPED_TRACE(footer);
        TPrnPageList list;
        list.SetPaperSize(pnLetter);
        list.Header.Visible = true;
        list.Footer.Visible = footer;
        list.Footer.Height.SetValue(1);
        TPrnTextPrint t;
        t.Preview = &list;
        t.Text = Lines(200);
        t.TextToPage();
        const Extended limit = footer ? list.GetFooterRect(1).Top : 11 - 0.5L;
        auto* page = dynamic_cast<TPrnTextPageObject*>(list.GetPage(1).Objects.front().get());
        ASSERT_NE(page, nullptr);
        EXPECT_NEAR(double(page->Rect.Bottom), double(limit), 1e-9);
        TRecordingDevice d;
        list.DrawPage(1, d, false);
        const Extended line = d.Fixed.LineHeight(*page->Font());
        Extended lowest = 0;
        for (const auto& x : d.Texts)
            if (x.Text.rfind("line ", 0) == 0)
                lowest = std::max(lowest, x.Top + line);
        EXPECT_LE(lowest, limit);
        EXPECT_GT(lowest, limit - 2 * line);   // the page is filled down to the limit
    }
}

TEST_F(PrnLayout, TextAfterOtherPagesDrawsItsOwnBlocksAndAShortPageStillHoldsALine)
{
    List.Canvas().TextBox(pnInches, 1, 1, 2, 2, "before", taLeftJustify, pnTop, 0);
    List.AddPage();
    List.SetCurrentPage(2);
    TPrnTextPrint t;
    t.Preview = &List;
    t.Text = Lines(100);
    t.TextToPage();
    ASSERT_GE(List.Count(), 3);
    TRecordingDevice d;
    List.DrawPage(2, d, false);
    ASSERT_FALSE(d.Texts.empty());
    EXPECT_EQ(d.Texts.front().Text, "line 1");

    // A text rectangle lower than one line: one line per page, never a division by nothing.
    TPrnPageList small;
    small.Margins.Top.SetValue(5.8L);
    small.Margins.Bottom.SetValue(5.8L);
    TPrnTextPrint s;
    s.Preview = &small;
    s.Text = Lines(3);
    s.TextToPage();
    EXPECT_EQ(small.Count(), 3);
    TRecordingDevice e;
    small.DrawPage(3, e, false);
    ASSERT_EQ(e.Texts.size(), 1u);
    EXPECT_EQ(e.Texts[0].Text, "line 3");
}

TEST_F(PrnLayout, TextWiderThanThePageIsShrunkToItsWidth)
{
    TPrnTextPrint t;
    t.Preview = &List;
    t.TextFont.Size = 10;
    // 120 characters: 10 in at 10 pt, 7 in at 7 pt (a size above the floor, which has its own test).
    t.Text = std::string(120, 'x') + "\r\nshort";
    TPrnFixedMeasurer m;
    Extended width = 7.5L - 0.05L;
    EXPECT_EQ(t.PrintFont(m, width).Size, 10);   // cut at the edge when not asked to fit
    t.FitToPageWidth = true;
    TPrnFont f = t.PrintFont(m, width);
    EXPECT_LT(f.Size, 10);
    EXPECT_LE(m.TextWidth(f, std::string(120, 'x')), width);
    EXPECT_GT(m.TextWidth(TPrnFont{f.Color, 0, f.Name, f.Size + 1, 0, 1}, std::string(120, 'x')), width);
    t.TextToPage();
    auto* page = dynamic_cast<TPrnTextPageObject*>(List.GetPage(1).Objects.front().get());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Font()->Size, f.Size);
}

TEST(PrnZoom, TableWalkClampsAndFitWidth)
{
    TPrnZoomLimits l;
    EXPECT_EQ(PrnZoomIn(100, l), 120);
    EXPECT_EQ(PrnZoomIn(120, l), 170);
    EXPECT_EQ(PrnZoomIn(350, l), 400);   // 500 clamped to the maximum
    l.MaxZoom = 800;
    EXPECT_EQ(PrnZoomIn(800, l), 800);
    EXPECT_EQ(PrnZoomOut(7, l), 7);
    EXPECT_EQ(PrnZoomOut(100, l), 80);
    l.MinZoom = 40;
    EXPECT_EQ(PrnZoomOut(45, l), 40);
    l.Style = pnFixedZoom;
    EXPECT_EQ(PrnZoomIn(100, l), 110);
    EXPECT_EQ(PrnZoomOut(45, l), 40);
    EXPECT_EQ(PrnFitWidthZoom(875, 30, 30, 210 / 25.4L), 100);
    EXPECT_EQ(PrnScrollFraction(0, 0), 0.0);
    EXPECT_EQ(PrnScrollFraction(50, 200), 0.25);
}

TEST_F(PrnLayout, OneOverlongLineShrinksTheTextNoFurtherThanAReadableSizeAndIsWrappedThere)
{
    TPrnTextPrint t;
    t.Preview = &List;
    t.TextFont.Size = 10;
    t.FitToPageWidth = true;
    TPrnFixedMeasurer m;
    const Extended width = 7.5L - 0.05L;   // 149 characters at 6 pt
    // Just inside the floor: 148 characters fit at 6 pt and are neither shrunk further nor wrapped.
    t.Text = std::string(148, 'x') + "\r\nshort";
    EXPECT_EQ(t.PrintFont(m, width).Size, PrnTextMinFitSize);
    t.TextToPage();
    auto* page = dynamic_cast<TPrnTextPageObject*>(List.GetPage(1).Objects.back().get());
    ASSERT_NE(page, nullptr);
    EXPECT_FALSE(page->WordBreak);
    EXPECT_EQ(page->Lines(m).size(), 2u);

    // Outside: one line of 400 words (2,000 characters) stays at 6 pt and is wrapped, losing no word.
    TPrnPageList other;
    other.SetPaperSize(pnLetter);
    t.Preview = &other;
    std::string words;
    for (int i = 0; i < 400; ++i)
        words += "w" + std::to_string(1000 + i) + " ";
    t.Text = "head\r\n" + words;
    EXPECT_EQ(t.PrintFont(m, width).Size, PrnTextMinFitSize);
    t.TextToPage();
    page = dynamic_cast<TPrnTextPageObject*>(other.GetPage(1).Objects.back().get());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Font()->Size, PrnTextMinFitSize);
    std::string joined;
    for (const std::string& line : page->Lines(m)) {
        std::string ink = line.substr(0, line.find_last_not_of(' ') + 1);   // a blank at the end takes no room
        EXPECT_LE(m.TextWidth(*page->Font(), ink), width + 1e-9L) << line;
        joined += line + " ";
    }
    for (int i = 0; i < 400; i += 57)
        EXPECT_NE(joined.find("w" + std::to_string(1000 + i) + " "), std::string::npos) << i;
    // A size of its own below the floor is kept, not raised.
    t.TextFont.Size = 5;
    EXPECT_EQ(t.PrintFont(m, width).Size, 5);
}

namespace {
std::vector<TPrnExtRect> LineRects(TPrnPageList& L, int Page)
{
    std::vector<TPrnExtRect> out;
    for (auto& o : L.GetPage(Page).Objects)
        if (auto* l = dynamic_cast<TPrnLineObject*>(o.get()))
            out.push_back(l->Rect);
    return out;
}

int HorizontalLinesAt(const std::vector<TPrnExtRect>& Lines, Extended Y)
{
    int n = 0;
    for (const TPrnExtRect& r : Lines)
        n += std::abs(double(r.Top - Y)) < 1e-9 && std::abs(double(r.Bottom - Y)) < 1e-9 && r.Left != r.Right;
    return n;
}
}

TEST_F(PrnLayout, RowLinesTheCaptionsBottomLineAndTheBorderStandWhereTheyBelong)
{
    Grid.AddColumns(3, 96);
    Grid.Rows = 3;
    Print.GridToPage();
    const TBox cap = *Find(List, 1, "Col0"), r1 = *Find(List, 1, "r1c0"), r2 = *Find(List, 1, "r2c0");
    const TBox r0 = *Find(List, 1, "r0c0");
    std::vector<TPrnExtRect> lines = LineRects(List, 1);
    EXPECT_EQ(HorizontalLinesAt(lines, cap.Rect.Top), 1);
    // The caption row's bottom line is the only line between it and the first data row.
    EXPECT_EQ(HorizontalLinesAt(lines, cap.Rect.Bottom), 1);
    EXPECT_NEAR(double(r0.Rect.Top), double(cap.Rect.Bottom), 1e-9);
    EXPECT_EQ(HorizontalLinesAt(lines, r1.Rect.Top), 1);   // above every data row but the first
    // The border ends the page: along the last row's bottom, then along the band's right edge.
    ASSERT_GE(lines.size(), 2u);
    const Extended right = 0.5L + 3;
    const TPrnExtRect bottom = lines[lines.size() - 2], edge = lines.back();
    EXPECT_NEAR(double(bottom.Top), double(r2.Rect.Bottom), 1e-9);
    EXPECT_NEAR(double(bottom.Left), 0.5, 1e-9);
    EXPECT_NEAR(double(bottom.Right), double(right), 1e-9);
    EXPECT_NEAR(double(edge.Left), double(right), 1e-9);
    EXPECT_NEAR(double(edge.Right), double(right), 1e-9);
    EXPECT_NEAR(double(edge.Bottom), double(r2.Rect.Bottom), 1e-9);
    EXPECT_LT(edge.Top, edge.Bottom);

    // Without row lines the data rows stand without lines between them; the caption keeps its bottom line.
    TPrnPageList plain;
    plain.SetPaperSize(pnLetter);
    Print.Preview = &plain;
    Print.GridOptions &= ~unsigned(pnHorzLine);
    Print.GridToPage();
    lines = LineRects(plain, 1);
    EXPECT_EQ(HorizontalLinesAt(lines, Find(plain, 1, "r1c0")->Rect.Top), 0);
    EXPECT_EQ(HorizontalLinesAt(lines, Find(plain, 1, "Col0")->Rect.Bottom), 1);
}

TEST_F(PrnLayout, RowsGrowToTheirWrappedTextOnlyWithAutoExpandRows)
{
    Grid.AddColumns(2, 48);   // half an inch each
    Grid.Rows = 2;
    Grid.Texts[{1, 0}] = "one two three four five six";
    Print.GridToPage();
    const Extended normal = 24 / 96.0L;
    const TBox* tall = Find(List, 1, "one two three four five six");
    ASSERT_NE(tall, nullptr);
    EXPECT_GT(RectHeight(tall->Rect), 2 * normal);
    EXPECT_NEAR(double(RectHeight(Find(List, 1, "r1c0")->Rect)), double(normal), 1e-9);
    EXPECT_NEAR(double(RectHeight(Find(List, 1, "r0c0")->Rect)), double(RectHeight(tall->Rect)), 1e-9);   // the whole row

    TPrnPageList fixed;
    fixed.SetPaperSize(pnLetter);
    Print.Preview = &fixed;
    Print.AutoExpandRows = false;
    Print.GridToPage();
    tall = Find(fixed, 1, "one two three four five six");
    ASSERT_NE(tall, nullptr);
    EXPECT_NEAR(double(RectHeight(tall->Rect)), double(normal), 1e-9);
    for (auto& o : fixed.GetPage(1).Objects) {
        if (auto* t = dynamic_cast<TPrnTextBoxObject*>(o.get())) {
            EXPECT_FALSE(t->WordBreak) << t->Text;
        }
    }
}

TEST_F(PrnLayout, TheSecondMarkColumnIsFilledAndCellTextStandsInTheMiddle)
{
    Grid.AddColumns(3, 96);
    Grid.Rows = 2;
    Grid.TallRows[0] = 96;   // one inch
    Print.GridOptions |= pnMark2Col;
    Print.MarkRowColor = clYellow;
    Print.GridToPage();
    std::vector<TPrnExtRect> marked;
    for (auto& o : List.GetPage(1).Objects)
        if (auto* r = dynamic_cast<TPrnRectangleShape*>(o.get()); r && r->Brush() && r->Brush()->Color == clYellow)
            marked.push_back(r->Rect);
    ASSERT_EQ(marked.size(), 2u);   // column 1 of both rows, not columns 0 and 2
    for (const TPrnExtRect& r : marked) {
        EXPECT_NEAR(double(r.Left), 1.5, 1e-9);
        EXPECT_NEAR(double(r.Right), 2.5, 1e-9);
    }

    TRecordingDevice d;
    d.Ppi = 7200;
    List.DrawPage(1, d, false);
    const TBox cell = *Find(List, 1, "r0c0");
    auto* box = [&]() -> TPrnTextBoxObject* {
        for (auto& o : List.GetPage(1).Objects)
            if (auto* t = dynamic_cast<TPrnTextBoxObject*>(o.get()); t && t->Text == "r0c0")
                return t;
        return nullptr;
    }();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->VertAlignment, pnMiddle);
    for (const auto& t : d.Texts) {
        if (t.Text == "r0c0") {
            EXPECT_NEAR(double(t.Top),
                double(cell.Rect.Top + (RectHeight(cell.Rect) - box->TextHeight) / 2 + box->InnerMargin), 1e-3);
        }
    }
}

TEST_F(PrnLayout, TextPageAlignmentAndHeaderAndFooterCaptionPlaces)
{
    TPrnFixedMeasurer m;
    TPrnCanvas& c = List.Canvas();
    c.Pen = TPrnPen{clBlack, 1, psClear, pmCopy};
    c.TextPage(pnInches, 1, 1, 5, 5, "ab\r\nabcd", taRightJustify, 0);
    c.TextPage(pnInches, 1, 6, 5, 9, "ab", taCenter, 0);
    List.Header.Visible = List.Footer.Visible = true;
    List.Header.Height.SetValue(0.5L);   // taller than its captions: where they stand in it shows
    List.Footer.Height.SetValue(0.5L);
    List.Header.CaptionLeft().Caption = "L";
    List.Header.CaptionCenter().Caption = "Mid";
    List.Header.CaptionRight().Caption = "Right";
    List.Footer.CaptionLeft().Caption = "F";
    TRecordingDevice d;
    d.Ppi = 7200;
    List.DrawPage(1, d, false);
    auto at = [&](const std::string& Text, size_t Nth = 0) {
        for (const auto& t : d.Texts)
            if (t.Text == Text && Nth-- == 0)
                return t;
        ADD_FAILURE() << Text;
        return TRecordingDevice::TText{};
    };
    const TPrnFont f = c.Font;
    EXPECT_NEAR(double(at("ab").X), double(5 - m.TextWidth(f, "ab")), 1e-9);
    EXPECT_NEAR(double(at("abcd").X), double(5 - m.TextWidth(f, "abcd")), 1e-9);
    EXPECT_NEAR(double(at("ab", 1).X), double(3 - m.TextWidth(f, "ab") / 2), 1e-9);

    const TPrnExtRect header = List.GetHeaderRect(1), footer = List.GetFooterRect(1);
    const TPrnFont& hf = List.Header.CaptionLeft().Font;
    EXPECT_NEAR(double(at("L").X), 0.5, 1e-9);
    EXPECT_NEAR(double(at("L").Top), double(header.Bottom - m.LineHeight(hf)), 1e-9);   // stands on the line
    EXPECT_NEAR(double(at("Mid").X), double((header.Left + header.Right) / 2 - m.TextWidth(hf, "Mid") / 2), 1e-9);
    EXPECT_NEAR(double(at("Right").X), double(header.Right - m.TextWidth(hf, "Right")), 1e-9);
    EXPECT_NEAR(double(at("F").Top), double(footer.Top), 1e-9);                             // hangs from the line
}
