// Printing through Qt into PDF files, checked with pdftotext and pdfinfo: pages in the asked order and range,
// mixed orientation in one file, header and footer texts, page sizes, copies repeated for a device that cannot
// make them; and a missing printer or one that will not start reported, never claimed printed.
#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"
#include "print/PrnCanvas.h"
#include "print/ui/PrnQtPrinter.h"

#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>

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

std::string PageText(const QString& File, int Page)
{
    return RunCommand("pdftotext -f " + std::to_string(Page) + " -l " + std::to_string(Page) + " '" +
        File.toStdString() + "' - 2>/dev/null");
}

// Page sizes in points, from pdfinfo.
std::vector<std::pair<double, double>> PageSizes(const QString& File)
{
    std::string info = RunCommand("pdfinfo -f 1 -l 99 '" + File.toStdString() + "' 2>/dev/null");
    std::vector<std::pair<double, double>> sizes;
    std::regex re(R"(Page\s+\d+ size:\s+([\d.]+) x ([\d.]+) pts)");
    for (auto it = std::sregex_iterator(info.begin(), info.end(), re); it != std::sregex_iterator(); ++it)
        sizes.push_back({std::stod((*it)[1]), std::stod((*it)[2])});
    return sizes;
}

// Which "Body page N" each PDF page holds.
std::vector<int> Bodies(const QString& File)
{
    std::vector<int> bodies;
    for (size_t p = 1; p <= PageSizes(File).size(); ++p) {
        std::smatch m;
        std::string text = PageText(File, int(p));
        bodies.push_back(std::regex_search(text, m, std::regex(R"(Body page (\d))")) ? std::stoi(m[1]) : 0);
    }
    return bodies;
}

class PrnPdf : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HavePoppler())
            GTEST_SKIP() << "pdftotext/pdfinfo (poppler-utils) not installed";
        TPrnQtMeasurer::Install();
        Scope = std::make_unique<TDialogsScope>(&Dialogs);
        List.Header.Visible = List.Footer.Visible = true;
        List.Header.CaptionLeft().Caption = "Orlantis report";
        List.Header.CaptionRight().Caption = "{PAGE}/{NUMPAGES}";
        List.Footer.CaptionCenter().Caption = "Footer line";
        for (int n = 1; n <= 5; ++n) {
            if (n > 1)
                List.AddPage();
            if (n == 2)
                List.Current().SetOrientation(pnLandscape);
            List.Canvas().TextBox(pnInches, 1, 2, 6, 3, "Body page " + std::to_string(n), taLeftJustify, pnTop, 0);
        }
        List.Printer.AfterPrint = [this] { ++Printed; };
    }
    QString File(const char* Name) const { return Dir.filePath(Name); }

    QTemporaryDir Dir;
    TRecordingDialogs Dialogs;
    std::unique_ptr<TDialogsScope> Scope;
    TPrnPageList List;
    int Printed = 0;
};
}

TEST_F(PrnPdf, PagesInAskedOrderWithMixedOrientationHeaderAndFooter)
{
    {
        QPdfWriter writer(File("down.pdf"));
        TPrnQtPrintBackend backend(&writer);
        List.Printer.Backend = &backend;
        List.Printer.Settings.Title = "Mailbox report";
        ASSERT_TRUE(List.PrintRange(3, 1));
    }
    std::string info = RunCommand("pdfinfo '" + File("down.pdf").toStdString() + "'");
    EXPECT_NE(info.find("Mailbox report"), std::string::npos) << info;
    EXPECT_EQ(Bodies(File("down.pdf")), (std::vector<int>{3, 2, 1}));
    std::string first = PageText(File("down.pdf"), 1);
    EXPECT_NE(first.find("Orlantis report"), std::string::npos) << first;
    EXPECT_NE(first.find("3/5"), std::string::npos) << first;
    EXPECT_NE(first.find("Footer line"), std::string::npos) << first;
    auto sizes = PageSizes(File("down.pdf"));
    ASSERT_EQ(sizes.size(), 3u);
    EXPECT_NEAR(sizes[0].first, 595.3, 1);    // A4 portrait
    EXPECT_NEAR(sizes[0].second, 841.9, 1);
    EXPECT_NEAR(sizes[1].first, 841.9, 1);    // page 2 is landscape
    EXPECT_NEAR(sizes[1].second, 595.3, 1);
    EXPECT_NEAR(sizes[2].first, 595.3, 1);

    {
        QPdfWriter writer(File("range.pdf"));
        TPrnQtPrintBackend backend(&writer);
        List.Printer.Backend = &backend;
        ASSERT_TRUE(List.PrintRange(2, 3));
    }
    EXPECT_EQ(Bodies(File("range.pdf")), (std::vector<int>{2, 3}));
    EXPECT_NE(PageText(File("range.pdf"), 2).find("3/5"), std::string::npos);
    EXPECT_EQ(Printed, 2);
    EXPECT_TRUE(Dialogs.Boxes.empty()) << Dialogs.LastText();
}

// A PDF file cannot make copies itself: the pages are sent again, collated or not as asked.
TEST_F(PrnPdf, CopiesOnAPdfPrinterRepeatThePages)
{
    List.Printer.SetPrintCopies(2);
    for (bool collate : {true, false}) {
        QString name = File(collate ? "collated.pdf" : "uncollated.pdf");
        {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(name);
            TPrnQtPrintBackend backend(&printer);
            List.Printer.Backend = &backend;
            List.Printer.SetCollate(collate);
            ASSERT_TRUE(List.PrintRange(2, 3));
        }
        EXPECT_EQ(Bodies(name), (collate ? std::vector<int>{2, 3, 2, 3} : std::vector<int>{2, 2, 3, 3}));
    }
}

// Without printers Qt would write a PDF nobody named; a printer that cannot start is a failure. Neither is
// reported as printed.
TEST_F(PrnPdf, NoPrinterAndAFailedStartAreReported)
{
    QPrinter system;   // no output file: the system's printer
    TPrnQtPrintBackend none(&system);
    none.PrintersInstalled = [] { return false; };
    List.Printer.Backend = &none;
    EXPECT_FALSE(List.PrintRange(1, 5));
    size_t expected = 2;
    // On a machine without printers Qt's own printer falls back to PDF with no file name: also no printer.
    QPrinter fallback;
    if (fallback.outputFormat() == QPrinter::PdfFormat) {
        TPrnQtPrintBackend silent(&fallback);
        silent.PrintersInstalled = [] { return true; };
        List.Printer.Backend = &silent;
        EXPECT_FALSE(List.PrintRange(1, 5));
        ++expected;
    }

    QPrinter broken;
    broken.setOutputFormat(QPrinter::PdfFormat);
    broken.setOutputFileName(File("missing-folder/out.pdf"));
    TPrnQtPrintBackend failing(&broken);
    List.Printer.Backend = &failing;
    EXPECT_FALSE(List.PrintRange(1, 5));
    EXPECT_FALSE(List.Printer.Printing());

    EXPECT_EQ(Printed, 0);
    ASSERT_EQ(Dialogs.Boxes.size(), expected);
    EXPECT_EQ(Dialogs.Boxes[0].Text, PrnNoPrinterMessage());
    EXPECT_EQ(Dialogs.Boxes[expected - 2].Text, PrnNoPrinterMessage());
    EXPECT_EQ(Dialogs.Boxes.back().Text.rfind("Unable to print... The printer could not be started.", 0), 0u)
        << Dialogs.Boxes.back().Text;
    EXPECT_FALSE(QFile::exists(File("missing-folder/out.pdf")));
}
