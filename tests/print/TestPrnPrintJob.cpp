// Print jobs on a fake device: two and four pages to a sheet (which sheet, which slot, what scale), a job stopped
// on the way that is never reported printed, a printer switched before the job.
#include "PrnTestSupport.h"

#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"
#include "print/PrnCanvas.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {
void FillPages(TPrnPageList& L, int Count)
{
    for (int n = 1; n <= Count; ++n) {
        if (n > 1)
            L.AddPage();
        L.Canvas().TextBox(pnInches, 1, 1, 4, 2, "P" + std::to_string(n), taLeftJustify, pnTop, 0);
    }
}

class PrnPrintJob : public ::testing::Test {
protected:
    void SetUp() override
    {
        FillPages(List, 5);
        List.Printer.Backend = &Backend;
        List.Printer.AfterPrint = [this] { ++Printed; };
    }
    TRecordingDialogs Dialogs;
    TDialogsScope Scope{&Dialogs};
    TPrnPageList List;
    TFakeBackend Backend;
    int Printed = 0;
};
}

TEST_F(PrnPrintJob, TwoPagesShareATurnedSheetSideBySide)
{
    const double w = double(List.GetPage(1).Width()), h = double(List.GetPage(1).Height());   // A4 portrait
    List.PagesPerSheet = pnTwoPage;
    ASSERT_TRUE(List.PrintRange(1, 5));
    ASSERT_EQ(Backend.Sheets.size(), 3u);   // 1+2, 3+4, 5
    for (const auto& s : Backend.Sheets) {
        EXPECT_EQ(s.Orientation, pnLandscape);
        EXPECT_NEAR(double(s.Paper.Width), h, 1e-9);
    }
    EXPECT_EQ(Backend.Sheets[1].Texts, (std::vector<std::string>{"P3", "P4"}));
    ASSERT_EQ(Backend.Dev.Placements.size(), 5u);
    // Halves of h/2 x w: A4 pages are just too tall for the half's width to decide.
    const double scale = std::min(h / 2 / w, w / h);
    EXPECT_NEAR(scale, 0.7071, 1e-4);
    const auto& left = Backend.Dev.Placements[0];
    const auto& right = Backend.Dev.Placements[1];
    EXPECT_NEAR(double(left.first), scale, 1e-9);
    EXPECT_NEAR(double(left.second.X), (h / 2 - w * scale) / 2, 1e-9);
    EXPECT_NEAR(double(right.second.X), h / 2 + (h / 2 - w * scale) / 2, 1e-9);
    EXPECT_NEAR(double(left.second.Y), 0, 1e-9);
    EXPECT_EQ(Backend.Dev.Placements[2].second.X, left.second.X);   // the next sheet starts on the left again
    EXPECT_EQ(Printed, 1);

    // Landscape pages stand one above the other on a portrait sheet.
    TPrnExtSize land{11, 8.5};
    TPrnPlacement lower = PrnPagePlacement(PrnSheetSize(land, pnTwoPage), land, pnTwoPage, 1);
    EXPECT_NEAR(double(lower.Scale), 5.5 / 8.5, 1e-12);
    EXPECT_NEAR(double(lower.Offset.Y), 5.5, 1e-9);
    EXPECT_NEAR(double(lower.Offset.X), (8.5 - 11 * 5.5 / 8.5) / 2, 1e-9);
}

TEST_F(PrnPrintJob, FourPagesTakeTheQuartersAtFortyNinePercent)
{
    const double w = double(List.GetPage(1).Width()), h = double(List.GetPage(1).Height());
    List.PagesPerSheet = pnFourPage;
    ASSERT_TRUE(List.PrintRange(1, 5));
    ASSERT_EQ(Backend.Sheets.size(), 2u);
    EXPECT_EQ(Backend.Sheets[0].Orientation, pnPortrait);
    EXPECT_EQ(Backend.Sheets[0].Texts, (std::vector<std::string>{"P1", "P2", "P3", "P4"}));
    EXPECT_EQ(Backend.Sheets[1].Texts, (std::vector<std::string>{"P5"}));
    const auto& p = Backend.Dev.Placements;
    ASSERT_EQ(p.size(), 5u);
    for (const auto& q : p)
        EXPECT_NEAR(double(q.first), 0.49, 1e-12);
    const double qx = w / 2, qy = h / 2;
    const double ix = (qx - w * 0.49) / 2, iy = (qy - h * 0.49) / 2;
    EXPECT_NEAR(double(p[1].second.X), qx + ix, 1e-9);   // top right
    EXPECT_NEAR(double(p[1].second.Y), iy, 1e-9);
    EXPECT_NEAR(double(p[2].second.X), ix, 1e-9);        // bottom left
    EXPECT_NEAR(double(p[2].second.Y), qy + iy, 1e-9);
    EXPECT_NEAR(double(p[4].second.X), ix, 1e-9);        // page 5: top left of the next sheet
    EXPECT_NEAR(double(p[4].second.Y), iy, 1e-9);
}

TEST_F(PrnPrintJob, AnAbortedJobStopsAndIsNotReportedPrinted)
{
    int aborts = 0;
    List.Printer.OnAbortPrint = [&] { ++aborts; };
    List.OnPrintProgress = [&](int Page) {
        if (Page == 2)
            List.Printer.Abort();
    };
    EXPECT_FALSE(List.PrintRange(1, 5));
    EXPECT_TRUE(Backend.AbortCalled);
    EXPECT_EQ(aborts, 1);
    EXPECT_EQ(Printed, 0);
    EXPECT_FALSE(List.Printer.Printing());
    EXPECT_EQ(Backend.Sheets.size(), 2u);   // page 2 was started, page 3 never

    EXPECT_TRUE(Dialogs.Boxes.empty());

    // Stopped before it starts: the device is never started.
    List.OnPrintProgress = nullptr;
    List.Printer.BeforePrint = [](bool& Abort) { Abort = true; };
    Backend.BeginCalls = 0;
    EXPECT_FALSE(List.PrintRange(1, 5));
    EXPECT_EQ(Backend.BeginCalls, 0);
    EXPECT_EQ(aborts, 2);
    EXPECT_EQ(Printed, 0);

    // The next job runs as usual.
    List.Printer.BeforePrint = nullptr;
    EXPECT_TRUE(List.PrintRange(1, 1));
    EXPECT_EQ(Printed, 1);
}

TEST_F(PrnPrintJob, ASwitchOfPrinterBeforeTheJobIsAnnounced)
{
    int changes = 0;
    List.Printer.OnChangePrinter = [&] { ++changes; };
    ASSERT_TRUE(List.PrintRange(1, 1));
    EXPECT_EQ(changes, 0);
    List.Printer.BeforePrint = [this](bool&) { Backend.Name = "Cellar"; };
    ASSERT_TRUE(List.PrintRange(1, 1));
    EXPECT_EQ(changes, 1);
}
