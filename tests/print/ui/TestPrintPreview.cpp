// The preview control and the print preview window offscreen: zoom steps and limits, fitting the page width,
// the buttons' states and the "(n/N)" caption on one and on many pages, re-use of an open preview, finding a
// report's preview, and printing all pages, the page shown or a range into PDF through the print dialog double.
#include "support/PrintDialogs.h"

#include "grid/XStrGrid.h"
#include "print/ui/PrintGrid.h"
#include "print/ui/PrnPainter.h"
#include "print/ui/PrnPreview.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QRegularExpression>
#include <QMdiArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace {
std::string RunCommand(const std::string& Command)
{
    std::string out;
    if (FILE* f = popen(Command.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0)
            out.append(buf, n);
        pclose(f);
    }
    return out;
}

bool HavePoppler() { return std::system("command -v pdftotext >/dev/null && command -v pdfinfo >/dev/null") == 0; }

int PdfPages(const std::string& File)
{
    std::string info = RunCommand("pdfinfo '" + File + "' 2>/dev/null");
    size_t at = info.find("Pages:");
    return at == std::string::npos ? 0 : std::stoi(info.substr(at + 6));
}

std::string Lines(int N)
{
    std::string t;
    for (int i = 1; i <= N; ++i)
        t += "Report line " + std::to_string(i) + "\r\n";
    return t;
}

class PrintPreview : public ::testing::Test {
protected:
    void SetUp() override
    {
        TPrnQtMeasurer::Install();
        Area.resize(1000, 800);
        Area.show();
        Params.Caption = "Print Preview - ";
    }
    TPrintGridForm* Open(const std::string& Text, TBaseMDIForm* Owner = nullptr)
    {
        TPrintData d;
        d.Title = d.HeaderCaption = "Sample";
        d.Text = Text;
        return TPrintGridForm::CreatePreview(&Area, d, Owner, Params, TFormKinds{3});
    }
    TPrintDialogsDouble Dialogs;
    TDialogsScope Scope{&Dialogs};
    QMdiArea Area;
    TFormParams Params;
    QTemporaryDir Dir;
};
}

TEST_F(PrintPreview, ZoomStepsLimitsAndFitWidth)
{
    TPrnPreview p;
    p.resize(875, 600);
    p.FitWidth();   // A4: 795 / 793.7 pixels
    EXPECT_EQ(p.Zoom(), 100);
    p.ZoomIn();
    EXPECT_EQ(p.Zoom(), 120);
    p.ZoomIn();
    EXPECT_EQ(p.Zoom(), 170);
    p.SetZoom(100);
    p.ZoomOut();
    EXPECT_EQ(p.Zoom(), 80);
    p.SetMinZoom(40);
    p.SetZoom(45);
    p.ZoomOut();
    EXPECT_EQ(p.Zoom(), 40);
    p.SetZoom(1000);
    EXPECT_EQ(p.Zoom(), 400);
    p.SetMinZoom(500);   // above the maximum: the maximum
    EXPECT_EQ(p.MinZoom(), 400);

    // The scroll position keeps its place as a fraction; a page that fits the view has no range and stays at 0.
    TPrnPreview q;
    q.resize(400, 300);
    q.SetZoom(200);
    QScrollBar* v = q.verticalScrollBar();
    v->setValue(v->maximum() / 2);
    q.SetZoom(100);
    EXPECT_NEAR(double(v->value()) / v->maximum(), 0.5, 0.02);
    q.SetZoom(7);
    q.SetZoom(8);
    EXPECT_EQ(v->value(), 0);
    // Keys and wheel move the bars.
    q.SetZoom(200);
    q.setFocus();
    QTest::keyClick(&q, Qt::Key_End);
    EXPECT_EQ(v->value(), v->maximum());
    QTest::keyClick(&q, Qt::Key_PageUp);
    EXPECT_EQ(v->value(), v->maximum() - 10 * v->singleStep());
    QTest::keyClick(&q, Qt::Key_Home);
    EXPECT_EQ(v->value(), 0);
}

TEST_F(PrintPreview, ButtonsAndPageCaptionOnOneAndOnManyPages)
{
    TPrintGridForm* one = Open("one line");
    ASSERT_NE(one, nullptr);
    EXPECT_TRUE(one->FormMask.Contains(3) && one->FormMask.Contains(5));
    EXPECT_EQ(one->windowTitle().toStdString(), "Print Preview - Sample (1/1)");
    for (QAction* a : {one->ButtonFirstPage, one->ButtonPrevPage, one->ButtonNextPage, one->ButtonLastPage})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_GE(one->FPreview->Zoom(), 40);
    one->FPreview->SetZoom(400);
    one->UpdateButtons();
    EXPECT_FALSE(one->ButtonZoomPlus->isEnabled());
    one->FPreview->SetZoom(40);
    one->UpdateButtons();
    EXPECT_FALSE(one->ButtonZoomMinus->isEnabled());
    EXPECT_TRUE(one->ButtonZoomPlus->isEnabled());
    one->ButtonZoomNormal->trigger();
    EXPECT_EQ(one->FPreview->Zoom(), 100);

    TPrintGridForm* many = Open(Lines(200));
    ASSERT_NE(many, nullptr);
    const int n = many->FPreview->NumPages();
    ASSERT_GE(n, 3);
    EXPECT_EQ(many->windowTitle().toStdString(), "Print Preview - Sample (1/" + std::to_string(n) + ")");
    many->resize(900, 640);
    QApplication::processEvents();
    EXPECT_EQ(many->FPreview->verticalScrollBar()->value(), 0);   // a new preview starts at the top of the page
    EXPECT_TRUE(many->ButtonNextPage->isEnabled());
    EXPECT_FALSE(many->ButtonPrevPage->isEnabled());
    many->ButtonNextPage->trigger();
    EXPECT_EQ(many->windowTitle().toStdString(), "Print Preview - Sample (2/" + std::to_string(n) + ")");
    EXPECT_TRUE(many->ButtonFirstPage->isEnabled());
    many->ButtonLastPage->trigger();
    EXPECT_FALSE(many->ButtonNextPage->isEnabled());
    EXPECT_FALSE(many->ButtonLastPage->isEnabled());
    many->ButtonFirstPage->trigger();
    EXPECT_EQ(many->FPreview->CurrentPage(), 1);

    // An empty text leaves one empty page with its header and footer.
    TPrintGridForm* empty = Open("");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->FPreview->NumPages(), 1);
    EXPECT_TRUE(empty->FPreview->PageList().GetPage(1).Objects.empty());
}

TEST_F(PrintPreview, AnOpenPreviewIsUsedAgainAndAReportIsFoundByItsOwnNumberOrName)
{
    TPrintGridForm* owner = Open("owner");   // any child window will do as the source
    int fills = 0;
    auto fill = [&](TPrintData& d) {
        ++fills;
        d.Title = "From owner";
        d.Text = "x";
    };
    TPrintGridForm* first = OpenPrintPreview(&Area, owner, fill);
    TPrintGridForm* again = OpenPrintPreview(&Area, owner, fill);
    EXPECT_EQ(first, again);
    EXPECT_EQ(fills, 1);
    TPrintGridForm* other = OpenPrintPreview(&Area, first, fill);
    EXPECT_NE(other, first);

    TPrintData d;
    d.Text = "report";
    TPrintGridForm* a = TPrintGridForm::CreatePreviewIndexed(&Area, d, -1, nullptr, Params, TFormKinds{3});
    a->ReportName = "Report A";
    TPrintGridForm* b = TPrintGridForm::CreatePreviewIndexed(&Area, d, 7, nullptr, Params, TFormKinds{3});
    b->ReportName = "Report B";
    EXPECT_EQ(FindReportPreview(&Area, "Report A", 0), a);
    EXPECT_EQ(FindReportPreview(&Area, "Report C", 0), nullptr);    // no number of its own: never A's window
    EXPECT_EQ(FindReportPreview(&Area, "Report C", -3), nullptr);
    EXPECT_EQ(FindReportPreview(&Area, "Report B", 7), b);
    EXPECT_EQ(FindReportPreview(&Area, "Report D", 8), nullptr);
}

TEST_F(PrintPreview, PrintsAllPagesThePageShownOrARangeIntoPdf)
{
    if (!HavePoppler())
        GTEST_SKIP() << "pdftotext/pdfinfo (poppler-utils) not installed";
    TPrintGridForm* f = Open(Lines(300));
    ASSERT_NE(f, nullptr);
    const int n = f->FPreview->NumPages();
    ASSERT_GE(n, 5);
    std::string all = Dir.filePath("all.pdf").toStdString(), shown = Dir.filePath("shown.pdf").toStdString(),
                range = Dir.filePath("range.pdf").toStdString(), cancelled = Dir.filePath("no.pdf").toStdString();
    Dialogs.PrintAnswers = {TPrintDialogsDouble::ToPdf(all), TPrintDialogsDouble::ToPdf(shown, prSelection),
        TPrintDialogsDouble::ToPdf(range, prPageNums, 2, 3), std::nullopt};
    f->ButtonPrint->trigger();
    ASSERT_EQ(Dialogs.PrintRequests.size(), 1u);
    EXPECT_EQ(Dialogs.PrintRequests[0].MaxPage, n);
    EXPECT_EQ(Dialogs.PrintRequests[0].ToPage, n);
    EXPECT_EQ(PdfPages(all), n);
    std::string text = RunCommand("pdftotext '" + all + "' - 2>/dev/null");
    EXPECT_NE(text.find("Report line 1\n"), std::string::npos);
    EXPECT_NE(text.find("Report line 300"), std::string::npos);
    EXPECT_NE(text.find("Sample"), std::string::npos);   // the header

    f->ButtonNextPage->trigger();
    f->ButtonNextPage->trigger();
    f->ButtonPrint->trigger();
    EXPECT_EQ(PdfPages(shown), 1);
    EXPECT_NE(RunCommand("pdftotext '" + shown + "' - 2>/dev/null").find("3/" + std::to_string(n)), std::string::npos);

    f->ButtonPrint->trigger();
    EXPECT_EQ(PdfPages(range), 2);
    std::string r = RunCommand("pdftotext '" + range + "' - 2>/dev/null");
    EXPECT_NE(r.find("2/" + std::to_string(n)), std::string::npos);
    EXPECT_EQ(r.find("1/" + std::to_string(n)), std::string::npos);

    f->ButtonPrint->trigger();   // cancelled: nothing printed
    EXPECT_FALSE(QFile::exists(QString::fromStdString(cancelled)));
    EXPECT_EQ(Dialogs.PrintRequests.size(), 4u);
    EXPECT_TRUE(Dialogs.Boxes.empty()) << Dialogs.LastText();
}

// What the help topic and the README say of the print preview window is what the window offers: the controls the
// topic names are its buttons, and several pages to a sheet are spoken of only when a control offers them.
TEST_F(PrintPreview, HelpAndReadmeNameOnlyWhatTheWindowOffers)
{
    TPrintGridForm* f = Open("text");
    std::vector<std::string> buttons;
    for (QAction* a : f->findChildren<QAction*>())
        if (!a->text().isEmpty())
            buttons.push_back(a->text().toLower().toStdString());
    ASSERT_GE(buttons.size(), 8u);
    auto read = [](const char* Name) {
        QFile file(QString(ORLANTIS_SOURCE_DIR) + "/" + Name);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << Name;
        return QString::fromLatin1(file.readAll()).toLower();
    };
    const QString topic = read("data/help/PrintGrid.htm"), readme = read("README.md");
    QRegularExpressionMatchIterator named = QRegularExpression("<b>(.*?)</b>").globalMatch(topic);
    int count = 0;
    for (; named.hasNext(); ++count) {
        const std::string name = named.next().captured(1).toStdString();
        EXPECT_TRUE(std::find(buttons.begin(), buttons.end(), name) != buttons.end()) << "no button \"" << name << "\"";
    }
    EXPECT_GT(count, 0);
    const bool sheets = std::any_of(buttons.begin(), buttons.end(),
        [](const std::string& B) { return B.find("sheet") != std::string::npos; });
    for (const char* name : {"data/help/PrintGrid.htm", "README.md"}) {
        const QString text = name[0] == 'R' ? readme : topic;
        EXPECT_TRUE(sheets || (!text.contains("to a sheet") && !text.contains("per sheet"))) << name;
    }
}

TEST_F(PrintPreview, AGridIsLaidOutWithItsCaptionsAndWideTextIsShrunkNotCut)
{
    TXStringGrid grid;
    for (int i = 0; i < 3; ++i)
        grid.Columns().Add()->SetCaption("Head" + std::to_string(i));
    grid.Loaded();
    grid.SetRowCount(60);
    for (int r = 0; r < 60; ++r)
        for (int c = 0; c < 3; ++c)
            grid.SetCells(c, r, "v" + std::to_string(r) + "." + std::to_string(c));
    TPrintData d;
    d.Title = d.HeaderCaption = "Grid";
    d.Grid = &grid;
    TPrintGridForm* f = TPrintGridForm::CreatePreview(&Area, d, nullptr, Params, TFormKinds{3});
    ASSERT_NE(f, nullptr);
    int heads = 0, cells = 0;
    for (int p = 1; p <= f->FPreview->NumPages(); ++p)
        for (auto& o : f->FPreview->PageList().GetPage(p).Objects)
            if (auto* t = dynamic_cast<TPrnTextBoxObject*>(o.get())) {
                heads += t->Text == "Head2";
                cells += t->Text.rfind("v", 0) == 0;
            }
    EXPECT_EQ(heads, f->FPreview->NumPages());   // on every page
    EXPECT_EQ(cells, 180);

    // A screen of 120 columns in the window's text font is printed smaller, whole (wider ones stop shrinking at a
    // readable size: PrnLayout.OneOverlongLine...).
    TPrintGridForm* wide = Open(std::string(120, 'W') + "\r\nend");
    ASSERT_NE(wide, nullptr);
    auto* page = dynamic_cast<TPrnTextPageObject*>(wide->FPreview->PageList().GetPage(1).Objects.front().get());
    ASSERT_NE(page, nullptr);
    EXPECT_LT(page->Font()->Size, 10);
    TPrnFont font = *page->Font();
    EXPECT_LE(TPrnTextMeasurer::instance().TextWidth(font, std::string(120, 'W')), 8.27L - 1.0L);
}
