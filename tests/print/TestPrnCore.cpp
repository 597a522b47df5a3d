// The print library's page model without Qt: units and paper, value lists and their stream form, shared
// resources, recorded objects, header and footer tokens and bands, page numbering and print ranges on a fake job.
#include "PrnTestSupport.h"

#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"
#include "print/PrnCanvas.h"
#include "print/PrnRtfFuncs.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {
std::tm At(int Y, int Mo, int D, int H, int Mi)
{
    std::tm t{};
    t.tm_year = Y - 1900;
    t.tm_mon = Mo - 1;
    t.tm_mday = D;
    t.tm_hour = H;
    t.tm_min = Mi;
    return t;
}

// A document of Count pages, each holding the text box "P<n>" at the top left.
void FillPages(TPrnPageList& L, int Count)
{
    for (int n = 1; n <= Count; ++n) {
        if (n > 1)
            L.AddPage();
        L.Canvas().TextBox(pnInches, 1, 1, 4, 2, "P" + std::to_string(n), taLeftJustify, pnTop, 0);
    }
}
}

TEST(PrnCore, UnitsPaperSizesAndOrientation)
{
    EXPECT_DOUBLE_EQ(double(ConvertValue(1, pnInches, pnTwips)), 1440.0);
    EXPECT_DOUBLE_EQ(double(ConvertValue(96, pnPixels, pnInches)), 1.0);
    EXPECT_NEAR(double(ConvertValue(2540, pnUnits, pnMillimeters)), 25.4, 1e-12);
    EXPECT_NEAR(double(ConvertValue(3, pnCentimeters, pnMillimeters)), 30.0, 1e-12);
    TPrnExtSize a4, custom{1, 2};
    ASSERT_TRUE(PaperSizeDimensions(pnA4, a4));
    EXPECT_NEAR(double(a4.Width), 210 / 25.4, 1e-12);
    EXPECT_NEAR(double(a4.Height), 297 / 25.4, 1e-12);
    EXPECT_FALSE(PaperSizeDimensions(pnCustom, custom));
    EXPECT_EQ(custom, (TPrnExtSize{1, 2}));

    TPrnPageList list;
    list.AddPage();
    list.GetPage(2).SetOrientation(pnLandscape);   // already landscape: stays as it is when the list turns
    list.SetOrientation(pnLandscape);
    for (int n : {1, 2}) {
        EXPECT_NEAR(double(list.GetPage(n).Width()), 297 / 25.4, 1e-12);
        EXPECT_NEAR(double(list.GetPage(n).Height()), 210 / 25.4, 1e-12);
    }
    list.SetOrientation(pnPortrait);
    EXPECT_NEAR(double(list.GetPage(1).Width()), 210 / 25.4, 1e-12);
    list.SetPaperSize(pnLetter);
    EXPECT_EQ(list.GetPage(2).Size(), (TPrnExtSize{8.5L, 11}));
    list.SetOrientation(pnLandscape);
    list.SetPaperSize(pnLegal);
    EXPECT_EQ(list.AddPage().Size(), (TPrnExtSize{14, 8.5L}));   // a new page takes the list's paper, turned
}

// Numbers are written with "." and read back exactly under a locale whose decimal separator is ",".
TEST(PrnCore, ValueListRulesAndStreamUnderGermanNumericLocale)
{
    TGermanNumericLocale german;
    if (!german.Ok())
        GTEST_SKIP() << german.Why;
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.3f", 1.23456);
    ASSERT_STREQ(probe, "1,235") << "the German locale did not take effect";

    TPrnValueList l;
    l.WriteExtValue("E", 1.23456L);
    l.WriteRectValue("R", {0.5L, 0.5L, 8, 11});
    l.WritePointValue("P", {-0.25L, 2.0005L});
    l.WriteIntValue("I", 7);
    l.WriteStringValue("S", "a=b");
    l.WriteIntValue("I", 8);              // replaces in place
    l.WriteStringValue("Gone", "x");
    l.WriteStringValue("Gone", "");       // an empty text is stored by its absence
    EXPECT_EQ(l.Text(), "E=1.235\r\nR=500,500,8000,11000\r\nP=-250,2001\r\nI=8\r\nS=a=b\r\n");
    EXPECT_NEAR(double(l.ReadExtValue("E", 0)), 1.235, 1e-15);
    EXPECT_EQ(l.ReadRectValue("R", {}), (TPrnExtRect{0.5L, 0.5L, 8, 11}));
    EXPECT_EQ(l.ReadStringValue("S", ""), "a=b");
    EXPECT_EQ(l.ReadStringValue("Gone", "dflt"), "dflt");
    EXPECT_TRUE(l.ReadBoolValue("Missing", true));
    EXPECT_FALSE(l.ReadBoolValue("Missing", false));
    TPrnValueList comma;
    comma.WriteStringValue("E", "1,5");   // a comma is no decimal separator here, whatever the locale
    EXPECT_EQ(double(comma.ReadExtValue("E", -1)), -1.0);

    TPrnMemoryStream s;
    TPrnWriter w(s);
    l.SaveToStream(w);
    TPrnValueList().SaveToStream(w);
    EXPECT_EQ(s.Data.substr(s.Data.size() - 4), std::string(4, '\0'));
    s.Rewind();
    TPrnReader r(s);
    TPrnValueList back, empty;
    empty.WriteIntValue("X", 1);
    back.LoadFromStream(r);
    empty.LoadFromStream(r);
    EXPECT_EQ(back.Lines(), l.Lines());
    EXPECT_EQ(empty.Count(), 0);

    TPrnMemoryStream shortStream;
    shortStream.Data = std::string("\x10\0\0\0abc", 7);
    TPrnReader sr(shortStream);
    EXPECT_THROW(back.LoadFromStream(sr), EReadError);
    EXPECT_EQ(back.Lines(), l.Lines());
}

namespace {
TPrnValueList ThroughStream(const TPrnValueList& L)
{
    TPrnMemoryStream s;
    TPrnWriter w(s);
    L.SaveToStream(w);
    s.Rewind();
    TPrnReader r(s);
    TPrnValueList back;
    back.LoadFromStream(r);
    return back;
}

TPrnValueList FromStreamText(const std::string& Text)
{
    TPrnMemoryStream s;
    TPrnWriter w(s);
    w.WriteInteger(int32_t(Text.size()));
    s.Write(Text.data(), Text.size());
    s.Rewind();
    TPrnReader r(s);
    TPrnValueList l;
    l.LoadFromStream(r);
    return l;
}
}

// A value with line breaks (a text page holds the whole text) reads back as it was written, and a stream written
// before such values were marked still reads, its further lines joined to their value again.
TEST(PrnCore, MultiLineValuesComeBackAsWrittenAndOlderStreamsStillRead)
{
    for (const std::string text : {"line1\r\nline2\r\nline3", "a\nb", "a\rb", "ends\r\n", "\r\nstarts", "two\r\n\r\nbreaks",
             "back\\slash\r\nx=y\\r", "single \\r\\n as it stands"}) {
        SCOPED_TRACE(text);
        TPrnValueList l;
        l.WriteStringValue("T", text);
        l.WriteIntValue("F", 2);
        TPrnValueList back = ThroughStream(l);
        EXPECT_EQ(back.ReadStringValue("T", ""), text);
        EXPECT_EQ(back.ReadIntValue("F", 0), 2);
        EXPECT_EQ(back.Count(), 2);
    }
    TPrnValueList plain;
    plain.WriteStringValue("T", "C:\\dir\\n");
    EXPECT_EQ(plain.Text(), "T=C:\\dir\\n\r\n");   // a value without breaks is written as it always was

    TPrnResourceTable table;
    TPrnTextPageObject page(table);
    page.Text = "line1\r\nline2\r\nline3";
    TPrnMemoryStream s;
    TPrnWriter w(s);
    page.SaveToStream(w);
    s.Rewind();
    TPrnReader r(s);
    ASSERT_EQ(r.ReadInteger(), 14);
    TPrnTextPageObject back(table);
    back.LoadFromStream(r);
    EXPECT_EQ(back.Text, page.Text);

    // Written before: the further lines stood bare; a line with its "=" is an entry, a backslash is a backslash.
    TPrnValueList old = FromStreamText("ID=14\r\nT=line1\r\nline2\r\n\r\nline4\r\nF=0\r\nS=a\\nb\r\n");
    EXPECT_EQ(old.ReadStringValue("T", ""), "line1\r\nline2\r\n\r\nline4");
    EXPECT_EQ(old.ReadIntValue("F", -1), 0);
    EXPECT_EQ(old.ReadStringValue("S", ""), "a\\nb");
    EXPECT_EQ(old.Count(), 4);
}

TEST(PrnCore, ResourcesAreSharedCountedAndStreamed)
{
    TPrnPageList list;
    TPrnCanvas& c = list.Canvas();
    c.Pen.Color = clRed;
    c.Brush = {clYellow, bsSolid};
    c.Rectangle(pnInches, 1, 1, 2, 2);
    c.Rectangle(pnInches, 3, 3, 4, 4);
    EXPECT_EQ(list.Resources.Pens.Count(), 1);
    EXPECT_EQ(list.Resources.Pens.RefCount(0), 2);
    EXPECT_EQ(list.Resources.Brushes.RefCount(0), 2);
    list.Current().Objects.pop_back();
    EXPECT_EQ(list.Resources.Pens.RefCount(0), 1);
    c.Font.Size = 14;
    c.TextBox(pnInches, 0, 0, 1, 1, "a", taLeftJustify, pnTop, 0);
    c.Font.Size = 10;
    c.TextBox(pnInches, 0, 0, 1, 1, "b", taLeftJustify, pnTop, 0);
    c.TextBox(pnInches, 0, 0, 1, 1, "c", taLeftJustify, pnTop, 0);
    EXPECT_EQ(list.Resources.Fonts.Count(), 2);
    EXPECT_EQ(list.Resources.Fonts.RefCount(1), 2);

    TPrnMemoryStream s;
    TPrnWriter w(s);
    list.Resources.SaveToStream(w);
    s.Rewind();
    TPrnReader r(s);
    TPrnResourceTable copy;
    copy.LoadFromStream(r);
    ASSERT_EQ(copy.Fonts.Count(), 2);
    EXPECT_EQ(*copy.Fonts.GetFont(0), *list.Resources.Fonts.GetFont(0));
    EXPECT_EQ(copy.Fonts.RefCount(1), 2);
    EXPECT_EQ(copy.Pens.GetPen(0)->Color, clRed);
    EXPECT_EQ(s.Position, s.Data.size());
}

// A table loaded while recorded objects and placed rich text still refer to its entries: they keep drawing with
// their own pen, brush, font and memo, which stay listed after the loaded ones until the page lets them go.
TEST(PrnCore, LoadingTheResourceTableKeepsWhatRecordedObjectsStillUse)
{
    // A rectangle, a text box and rich text, recorded with their own pen, brush and font.
    auto Record = [](TPrnCanvas& C, TColor Pen, TColor Brush, int FontSize, const char* Text, TPrnPlainMemo& Memo) {
        C.Pen.Color = Pen;
        C.Brush = {Brush, bsSolid};
        C.Rectangle(pnInches, 1, 1, 2, 2);
        C.Font.Size = FontSize;
        C.TextBox(pnInches, 1, 5, 4, 6, Text, taLeftJustify, pnTop, 0);
        Memo.ReplaceSelection(RichTextFromPlain(std::string(Text) + " memo", RtfDefaultFont()));
        C.RichText(pnInches, 1, 3, 4, 4, Memo);
    };
    TPrnPageList other;
    TPrnPlainMemo otherMemo;
    Record(other.Canvas(), clGreen, clBlue, 20, "other", otherMemo);
    TPrnMemoryStream s;
    TPrnWriter w(s);
    other.Resources.SaveToStream(w);
    TPrnResourceTable& loaded = other.Resources;

    TPrnPageList list;
    TPrnPlainMemo memo;
    Record(list.Canvas(), clRed, clYellow, 14, "kept", memo);
    s.Rewind();
    TPrnReader r(s);
    list.Resources.LoadFromStream(r);

    TPrnResourceTable& t = list.Resources;
    auto& rect = static_cast<TPrnRectangleShape&>(*list.Current().Objects[0]);
    auto& box = static_cast<TPrnTextBoxObject&>(*list.Current().Objects[1]);
    EXPECT_GE(t.Pens.IndexOfPen(rect.Pen()), loaded.Pens.Count());
    EXPECT_GE(t.Brushes.IndexOfBrush(rect.Brush()), loaded.Brushes.Count());
    EXPECT_GE(t.Fonts.IndexOfFont(box.Font()), loaded.Fonts.Count());
    EXPECT_GE(t.Memos().IndexOfMemo(list.Current().RtfInfo.Items[0].Memo.get()), loaded.Memos().Count());
    EXPECT_EQ(rect.Pen()->Color, clRed);
    EXPECT_EQ(rect.Brush()->Color, clYellow);
    EXPECT_EQ(box.Font()->Size, 14);
    TRecordingDevice d;
    list.DrawPage(1, d, false);
    EXPECT_TRUE(d.Drew("kept"));
    EXPECT_TRUE(d.Drew("memo"));   // "kept " and "memo", a word at a time
    // Saved again, the object names its entry of the table.
    TPrnValueList l;
    rect.SaveToValueList(l);
    EXPECT_EQ(t.Pens.GetPen(l.ReadIntValue("P", -1)), rect.Pen());

    // Once the page has gone, the table holds what was loaded, with its counts.
    list.Clear();
    EXPECT_EQ(t.Pens.Count(), loaded.Pens.Count());
    EXPECT_EQ(t.Brushes.Count(), loaded.Brushes.Count());
    EXPECT_EQ(t.Fonts.Count(), loaded.Fonts.Count());
    EXPECT_EQ(t.Memos().Count(), 1);
    EXPECT_EQ(t.Memos().GetMemo(0)->Text(), "other memo");
    EXPECT_EQ(t.Pens.RefCount(0), loaded.Pens.RefCount(0));
}

TEST(PrnCore, TextObjectsSaveTheirKeysAndDefaults)
{
    TPrnResourceTable table;
    TPrnTextBoxObject box(table);
    box.Rect = {1, 2, 3, 4};
    box.Text = "Cell";
    box.Alignment = taCenter;
    box.VertAlignment = pnBottom;
    box.InnerMargin = 0.025L;
    box.ClipText = false;
    box.SetFont(TPrnFont{clBlue, fsBold | fsItalic, "Courier New", 9, 0, 1});
    TPrnValueList l;
    box.SaveToValueList(l);
    EXPECT_EQ(l.ReadIntValue("ID", 0), 14);
    TPrnTextBoxObject back(table);
    back.LoadFromValueList(l);
    EXPECT_EQ(back.Text, "Cell");
    EXPECT_EQ(back.Rect, box.Rect);
    EXPECT_EQ(back.Alignment, taCenter);
    EXPECT_EQ(back.VertAlignment, pnBottom);
    EXPECT_NEAR(double(back.InnerMargin), 0.025, 1e-12);
    EXPECT_FALSE(back.ClipText);
    EXPECT_EQ(back.Font(), box.Font());
    TPrnValueList bare;
    TPrnTextBoxObject defaults(table);
    defaults.ClipText = defaults.WordBreak = false;
    defaults.LoadFromValueList(bare);
    EXPECT_TRUE(defaults.ClipText);
    EXPECT_TRUE(defaults.WordBreak);

    TPrnTextPageObject page(table);
    page.Text = "Lines";
    page.SetFont(TPrnFont{});
    TPrnValueList p;
    page.SaveToValueList(p);
    int t = 0, f = 0;
    for (const std::string& line : p.Lines()) {
        EXPECT_NE(line.rfind("TA=", 0), 0u);
        EXPECT_NE(line.rfind("WB=", 0), 0u);
        t += line.rfind("T=", 0) == 0;
        f += line.rfind("F=", 0) == 0;
    }
    EXPECT_EQ(t, 1);
    EXPECT_EQ(f, 1);
    page.Text.clear();
    TPrnValueList noText;
    page.SaveToValueList(noText);
    EXPECT_EQ(noText.ReadStringValue("T", "absent"), "absent");

    // A whole object through its stream record: type id, then its list.
    TPrnMemoryStream s;
    TPrnWriter w(s);
    box.SaveToStream(w);
    s.Rewind();
    TPrnReader r(s);
    auto made = CreatePrnObject(r.ReadInteger(), table);
    ASSERT_TRUE(dynamic_cast<TPrnTextBoxObject*>(made.get()));
    made->LoadFromStream(r);
    EXPECT_EQ(static_cast<TPrnTextBoxObject&>(*made).Text, "Cell");
}

// Header and footer captions and text boxes get the page number, count, date and time of the page drawn; text
// taken from data never does, so a grid cell or a report line holding "{PAGE}" prints as it stands.
TEST(PrnCore, TokensExpandInCaptionsAndTextBoxesNotInTextFromData)
{
    std::tm now = At(2026, 12, 7, 14, 35);
    EXPECT_EQ(ExpandHeaderFooterTokens("Page {PAGE} of {NUMPAGES} ({PAGE})", 2, 5, now), "Page 2 of 5 (2)");
    EXPECT_EQ(ExpandHeaderFooterTokens("{TIME}", 1, 1, now), "14:35");
    EXPECT_EQ(ExpandHeaderFooterTokens("{TIME}", 1, 1, At(2026, 1, 2, 9, 5)), "09:05");
    EXPECT_EQ(ExpandHeaderFooterTokens("{DATE}", 1, 1, now), "07/12/2026");   // C locale date separator

    TPrnPageList list;
    list.Clock = [now] {
        std::tm t = now;
        return mktime(&t);
    };
    FillPages(list, 5);
    list.GetPage(2).Objects.clear();
    list.SetCurrentPage(2);
    list.Canvas().TextBox(pnInches, 1, 3, 4, 4, "box {PAGE}/{NUMPAGES} {DATE} {TIME}", taLeftJustify, pnTop, 0);
    list.Canvas().TextPage(pnInches, 1, 5, 4, 6, "report {PAGE} {TIME}", taLeftJustify, 0, 0);
    list.Header.Visible = list.Footer.Visible = true;
    list.Header.CaptionLeft().Caption = "Sheet {PAGE}/{NUMPAGES}";
    list.Footer.CaptionRight().Caption = "at {TIME}";
    TRecordingDevice d;
    list.DrawPage(2, d, false);
    EXPECT_TRUE(d.Drew("Sheet 2/5"));
    EXPECT_TRUE(d.Drew("at 14:35"));
    EXPECT_TRUE(d.Drew("box 2/5 07/12/2026 14:35"));
    EXPECT_TRUE(d.Drew("report {PAGE} {TIME}"));

    // A box marked as data keeps its tokens, also through its value list; a plain box stores no mark.
    auto& box = static_cast<TPrnTextBoxObject&>(*list.GetPage(2).Objects[0]);
    TPrnValueList plain;
    box.SaveToValueList(plain);
    EXPECT_EQ(plain.ReadStringValue("XT", "absent"), "absent");
    box.ExpandTokens = false;
    TPrnValueList marked;
    box.SaveToValueList(marked);
    TPrnTextBoxObject back(list.Resources);
    back.LoadFromValueList(marked);
    EXPECT_FALSE(back.ExpandTokens);
    TRecordingDevice e;
    list.DrawPage(2, e, false);
    EXPECT_TRUE(e.Drew("box {PAGE}/{NUMPAGES} {DATE} {TIME}"));
}

TEST(PrnCore, BandGeometryInBothOrientationsAndEachOrigin)
{
    TPrnPageList list;
    list.Measurer = new TPrnFixedMeasurer;   // freed below
    std::unique_ptr<TPrnTextMeasurer> keep(list.Measurer);
    list.Header.Visible = list.Footer.Visible = true;
    list.Header.CaptionCenter().Font.Size = 20;   // the tallest caption decides: 20 x 1.2 / 72 in
    list.Footer.Height.SetValue(0.4L);
    const Extended hh = 20 * 1.2L / 72, w = 210 / 25.4L, h = 297 / 25.4L;
    for (TPrnOrientation o : {pnPortrait, pnLandscape}) {
        list.SetOrientation(o);
        Extended pw = o == pnPortrait ? w : h, ph = o == pnPortrait ? h : w;
        TPrnExtRect head = list.GetHeaderRect(1), foot = list.GetFooterRect(1), area = list.GetDrawingArea(1);
        EXPECT_NEAR(double(head.Left), 0.5, 1e-12);
        EXPECT_NEAR(double(head.Right), double(pw - 0.5L), 1e-12) << o;
        EXPECT_NEAR(double(head.Bottom), double(0.5L + hh), 1e-12);
        EXPECT_NEAR(double(foot.Bottom), double(ph - 0.5L), 1e-12) << o;
        EXPECT_NEAR(double(foot.Top), double(ph - 0.9L), 1e-12) << o;
        EXPECT_NEAR(double(area.Top), double(head.Bottom), 1e-12);
    }

    list.SetOrientation(pnPortrait);
    list.Margins.Left.SetValue(1);
    list.Margins.Top.SetValue(0.75L);
    TPrnExtRect printer = list.Printer.GetPrinterMargins(pnPortrait);   // the default device: 65, 50 at 300
    EXPECT_NEAR(double(printer.Left), 65 / 300.0, 1e-12);
    EXPECT_NEAR(double(list.Printer.GetPrinterMargins(pnLandscape).Left), 50 / 300.0, 1e-12);
    struct {
        TPrnCoordsRelative Origin;
        Extended X, Y;
    } cases[] = {{pnFromPage, 0, 0}, {pnFromPrinterMargins, printer.Left, printer.Top},
        {pnFromUserMargins, 1, 0.75L}, {pnFromHeaderLine, 1, 0.75L + hh}};
    for (auto& c : cases) {
        list.Canvas().CoordsRelativeTo = c.Origin;
        list.Canvas().Line(pnMillimeters, 0, 0, 25.4L, 0);
        auto& line = static_cast<TPrnLineObject&>(*list.Current().Objects.back());
        EXPECT_NEAR(double(line.Rect.Left), double(c.X), 1e-12) << c.Origin;
        EXPECT_NEAR(double(line.Rect.Top), double(c.Y), 1e-12) << c.Origin;
        EXPECT_NEAR(double(line.Rect.Right), double(c.X + 1), 1e-12) << c.Origin;
    }
}

// The header's rule runs along the bottom of its band, under the captions; the footer's along the top of its band.
TEST(PrnCore, TheHeaderRuleStandsUnderItsBandAndTheFooterRuleAboveIts)
{
    TPrnPageList list;
    list.Header.Visible = list.Footer.Visible = true;
    list.Header.Height.SetValue(0.5L);
    list.Footer.Height.SetValue(0.4L);
    TRecordingDevice d;
    list.DrawPage(1, d, false);
    const TPrnExtRect head = list.GetHeaderRect(1), foot = list.GetFooterRect(1);
    auto rule = [&](Extended Y) { return TPrnRect{d.X(head.Left), d.Y(Y), d.X(head.Right), d.Y(Y)}; };
    EXPECT_EQ(d.Lines, (std::vector<TPrnRect>{rule(head.Bottom), rule(foot.Top)}));
    EXPECT_NE(d.Y(head.Bottom), d.Y(head.Top));
    EXPECT_NE(d.Y(foot.Top), d.Y(foot.Bottom));
    // A band without its rule draws none; the other keeps its own.
    list.Header.SetShowLine(false);
    TRecordingDevice e;
    list.DrawPage(1, e, false);
    EXPECT_EQ(e.Lines, (std::vector<TPrnRect>{rule(foot.Top)}));
}

TEST(PrnCore, PageNumbersOutsideTheDocumentAreRefused)
{
    TRecordingDialogs dialogs;
    TDialogsScope scope(&dialogs);
    TPrnPageList list;
    FillPages(list, 3);
    EXPECT_THROW(list.GetPage(0), EPrnError);
    EXPECT_THROW(list.GetPage(4), EPrnError);
    EXPECT_THROW(list.InsertPage(5), EPrnError);
    list.SetCurrentPage(9);   // navigation outside the pages is ignored
    EXPECT_EQ(list.CurrentPage(), 3);
    TFakeBackend backend;
    list.Printer.Backend = &backend;
    EXPECT_FALSE(list.PrintRange(0, 2));
    EXPECT_FALSE(list.PrintRange(2, 4));
    EXPECT_EQ(backend.BeginCalls, 0);
    ASSERT_EQ(dialogs.Boxes.size(), 2u);
    EXPECT_NE(dialogs.Boxes[1].Text.find("Page 4 is not in the document's pages 1 to 3."), std::string::npos);
}

TEST(PrnCore, FontScaledBelowOnePointIsClamped)
{
    EXPECT_EQ(ScaleFontSize(8, 0.748L), 6);
    EXPECT_EQ(ScaleFontSize(8, 0.05L), 1);
    EXPECT_EQ(ScaleFontSize(1, 0.4L), 1);
    TPrnFont f;
    f.Size = 0;
    EXPECT_EQ(f.EffectiveSize(), 1);
    TPrnFixedMeasurer m;
    EXPECT_NEAR(double(m.LineHeight(f)), 1.2 / 72, 1e-12);
}

// Pages go out in the asked order, each on its own paper; copies that the device cannot make are made by sending
// the pages again, collated or not.
TEST(PrnCore, PrintRangeOrderOrientationAndCopies)
{
    TRecordingDialogs dialogs;
    TDialogsScope scope(&dialogs);
    TPrnPageList list;
    FillPages(list, 5);
    list.GetPage(2).SetOrientation(pnLandscape);
    TFakeBackend backend;
    list.Printer.Backend = &backend;

    ASSERT_TRUE(list.PrintRange(3, 1));
    EXPECT_EQ(backend.Bodies(), (std::vector<std::string>{"P3", "P2", "P1"}));
    EXPECT_EQ(backend.Sheets[0].Orientation, pnPortrait);
    EXPECT_EQ(backend.Sheets[1].Orientation, pnLandscape);
    EXPECT_GT(backend.Sheets[1].Paper.Width, backend.Sheets[1].Paper.Height);
    EXPECT_EQ(backend.Sheets[2].Orientation, pnPortrait);

    struct {
        bool Repeats, Collate;
        std::vector<std::string> Sheets;
        int DeviceCopies;
    } cases[] = {{false, true, {"P2", "P3", "P2", "P3"}, 3}, {false, false, {"P2", "P2", "P3", "P3"}, 3},
        {true, true, {"P2", "P3"}, 3}};
    list.Printer.SetPrintCopies(2);
    for (auto& c : cases) {
        backend.Sheets.clear();
        backend.Repeats = c.Repeats;
        list.Printer.SetCollate(c.Collate);
        ASSERT_TRUE(list.PrintRange(2, 3));
        EXPECT_EQ(backend.Bodies(), c.Sheets) << c.Repeats << c.Collate;
        EXPECT_EQ(backend.Started.Copies, 2);
        EXPECT_EQ(backend.Started.Collate, c.Collate);
    }
    EXPECT_TRUE(dialogs.Boxes.empty());
}

TEST(PrnCore, NoPrinterOrAFailedStartIsReportedNotPrinted)
{
    TRecordingDialogs dialogs;
    TDialogsScope scope(&dialogs);
    TPrnPageList list;
    FillPages(list, 2);
    bool printed = false;
    list.Printer.AfterPrint = [&] { printed = true; };
    EXPECT_FALSE(list.PrintRange(1, 2));   // no backend at all
    TFakeBackend backend;
    backend.Available = false;
    list.Printer.Backend = &backend;
    EXPECT_FALSE(list.PrintRange(1, 2));
    EXPECT_EQ(backend.BeginCalls, 0);
    backend.Available = true;
    backend.FailBegin = true;
    EXPECT_FALSE(list.PrintRange(1, 2));
    EXPECT_FALSE(list.Printer.Printing());
    EXPECT_FALSE(printed);
    ASSERT_EQ(dialogs.Boxes.size(), 3u);
    EXPECT_EQ(dialogs.Boxes[0].Text, "Unable to print... No Printer available.");
    EXPECT_EQ(dialogs.Boxes[1].Text, "Unable to print... No Printer available.");
    EXPECT_EQ(dialogs.Boxes[2].Text, "Unable to print... The printer could not be started.");
    EXPECT_EQ(dialogs.Boxes[2].Type, mtError);
}

TEST(PrnCore, CaptionAndBandChangesAskForARepaintOnceEach)
{
    TPrnPageList list;
    int repaints = 0;
    list.OnPaintRequest = [&] { ++repaints; };
    list.Header.CaptionLeft().SetCaption("Report");
    list.Header.CaptionLeft().SetCaption("Report");   // the same text: no notice
    EXPECT_EQ(repaints, 1);
    TPrnFont f = list.Footer.CaptionCenter().Font;
    f.Size = 20;
    list.Footer.CaptionCenter().SetFont(f);
    list.Footer.SetVisible(true);
    list.Footer.SetVisible(true);
    list.Header.SetShowLine(false);
    list.Header.Height.SetValue(0.4L);
    EXPECT_EQ(repaints, 5);
    list.BeginUpdate();
    list.Header.SetVisible(true);   // inside an update only the end repaints
    EXPECT_EQ(repaints, 5);
    list.EndUpdate();
    EXPECT_EQ(repaints, 6);
}

TEST(PrnCore, RectangleCornersOutlineAndTheComponentsAbout)
{
    auto c = RectCorners({1, 2, 3, 4});
    EXPECT_EQ(c[0], (TPrnExtPoint{1, 2}));
    EXPECT_EQ(c[1], (TPrnExtPoint{3, 2}));
    EXPECT_EQ(c[2], (TPrnExtPoint{3, 4}));
    EXPECT_EQ(c[3], (TPrnExtPoint{1, 4}));
    TRecordingDevice d;
    DrawRectOutline(d, {10, 20, 30, 40});
    EXPECT_EQ(d.Lines, (std::vector<TPrnRect>{{10, 20, 30, 20}, {30, 20, 30, 40}, {30, 40, 10, 40}, {10, 40, 10, 20}}));
    EXPECT_EQ(TPrnPrinter().About(), PrnVersionString("TPrnPrinter"));
    EXPECT_EQ(PrnVersionString("TPrnGridPrint").rfind("TPrnGridPrint v2", 0), 0u);
    EXPECT_FALSE(GetSystemVersionName().empty());
}
