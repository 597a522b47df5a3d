// Printouts against the device simulator, offscreen: each of the nine report actions and the custom service
// report read from the device and shown in a print preview without the echoed command and the device's prompt,
// then printed into PDF and found there by pdftotext; a section window's grid and the terminal's screen printed
// the same way. A second request for an open report brings its window back instead of reading it again.
#include "shell/ui/ShellFixture.h"
#include "support/MainOnSimulator.h"
#include "support/PrintDialogs.h"

#include "vmusim/SimProcess.h"

#include "forms/simple/PortSetting.h"
#include "engine/ManagerVMU.h"
#include "platform/ui/QtMainThread.h"
#include "platform/ui/QtText.h"
#include "print/ui/PrintGrid.h"
#include "print/ui/PrnPainter.h"
#include "print/ui/PrnPreview.h"
#include "serial/SerPort.h"
#include "shell/FormRegistry.h"
#include "shell/Terminal.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMdiArea>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

const std::vector<TFormFactory> LinkedPrintForms = {MakeFormFactory<TPortSettingForm>()};

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

// A picture of the window for a person to look at, in build/screenshots/.
void Save(QWidget& W, const char* Name)
{
    QString dir = QString(ORLANTIS_BIN_DIR) + "/../screenshots";
    QDir().mkpath(dir);
    QApplication::processEvents();
    EXPECT_TRUE(W.grab().save(QDir(dir).absolutePath() + "/" + Name + ".png")) << Name;
}

// All recorded text of a preview, page after page.
std::string PreviewText(TPrintGridForm* F)
{
    std::string out;
    TPrnPageList& l = F->FPreview->PageList();
    for (int p = 1; p <= l.Count(); ++p)
        for (auto& o : l.GetPage(p).Objects)
            if (auto* t = dynamic_cast<TPrnBaseTextObject*>(o.get()))
                out += t->Text + "\n";
    return out;
}

class ReportsOnDevice : public TShellFixture {
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(BuiltDescription()) || TSimProcess::Binary().empty())
            GTEST_SKIP() << "Orlantis.dat or vmusim is not built";
        if (std::system("command -v pdftotext >/dev/null") != 0)
            GTEST_SKIP() << "pdftotext (poppler-utils) not installed";
        ASSERT_FALSE(LinkedPrintForms.empty());
        TPrnQtMeasurer::Install();
        WriteDescription();
        Sim = std::make_unique<TSimProcess>(std::vector<std::string>{});
        ASSERT_TRUE(Sim->Started());
        Sim->CloseLine();
        TMainForm& M = Start();
        ASSERT_FALSE(M.Terminated());
        ShowOnSimulator(M, Sim->PtyPath());
        QApplication::setActiveWindow(&M);
        M.ConnectSet1Execute();
        ASSERT_TRUE(M.Connected) << Boxes();
    }
    void TearDown() override
    {
        Main.reset();
        Sim.reset();
    }
    std::string Boxes() const
    {
        std::string s;
        for (const auto& b : Print.Boxes)
            s += b.Text + "\n";
        for (const auto& b : Dialogs.Boxes)
            s += b.Text + "\n";
        return s;
    }
    TPrintGridForm* OpenPreviewOf(const std::function<bool(TPrintGridForm*)>& Match)
    {
        for (TBaseMDIForm* f : Main->ChildForms())
            if (auto* p = qobject_cast<TPrintGridForm*>(f); p && Match(p))
                return p;
        return nullptr;
    }
    // Prints every page of F into a PDF and answers its text.
    std::string PrintToPdf(TPrintGridForm* F, const std::string& Name)
    {
        std::string file = Dir() + Name + ".pdf";
        Print.PrintAnswers = {TPrintDialogsDouble::ToPdf(file)};
        F->ButtonPrint->trigger();
        EXPECT_TRUE(std::filesystem::exists(file)) << Name << ": " << Boxes();
        return RunCommand("pdftotext -layout '" + file + "' - 2>/dev/null");
    }

    TPrintDialogsDouble Print;
    TDialogsScope PrintScope{&Print};
    TQtMainThreadScope MainThread;
    std::unique_ptr<TSimProcess> Sim;
};

} // namespace

TEST_F(ReportsOnDevice, EveryReportIsShownWithoutCommandAndPromptAndPrintedToPdf)
{
    TMainForm& M = *Main;
    struct TCase {
        QAction* Action;
        const char* Name;
        const char* Command;
        const char* Title;
    };
    const TCase cases[] = {
        {M.ReportsMailboxAssignments1, "Mailbox Assignments", "MBXASSIGN", "MAILBOX ASSIGNMENTS"},
        {M.ReportsCOSAssignments1, "COS Assignments", "COSASSIGN", "COS ASSIGNMENTS"},
        {M.ReportsSystemServiceReport1, "System Service Report", "SERVICE", "SYSTEM SERVICE REPORT"},
        {M.ReportsCallAccountReport1, "Call Account Report", "CALLACCT", "CALL ACCOUNT REPORT"},
        {M.ReportsPortUsageReport1, "Port Usage Report", "PORTUSAGE", "PORT USAGE REPORT"},
        {M.ReportsFlashMemoryUsageReport1, "Flash Memory Usage Report", "FLASHUSAGE", "FLASH MEMORY USAGE REPORT"},
        {M.ReportsMailboxUsageReport1, "Mailbox Usage Report", "MBXUSAGE", "MAILBOX USAGE REPORT"},
        {M.ReportsFaxCallReport1, "Fax Call Report", "FAXCALL", "FAX CALL REPORT"},
        {M.ReportVMUVersion1, "VMU Version Report", "VERSION", "VMU VERSION REPORT"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        ASSERT_TRUE(c.Action->isEnabled());
        c.Action->trigger();
        QApplication::processEvents();
        TPrintGridForm* f = OpenPreviewOf([&](TPrintGridForm* p) { return p->ReportName == c.Name; });
        ASSERT_NE(f, nullptr) << Boxes();
        std::string text = PreviewText(f);
        EXPECT_EQ(text.rfind(c.Title, 0), 0u) << text;   // the report starts at once: no echoed command
        EXPECT_EQ(text.find(std::string(c.Command) + "\r\n"), std::string::npos);
        EXPECT_EQ(text.find("$ "), std::string::npos);
        EXPECT_NE(f->windowTitle().toStdString().find(c.Name), std::string::npos);
        std::string pdf = PrintToPdf(f, c.Command);
        EXPECT_NE(pdf.find(c.Title), std::string::npos) << pdf;
        EXPECT_NE(pdf.find(c.Name), std::string::npos);   // the header
        EXPECT_EQ(pdf.find("$ "), std::string::npos);
    }
    EXPECT_TRUE(M.ManagerVMU->SavedAnswers.empty());

    // Asked again, an open report comes to the front as it is: the device is not read again.
    TPrintGridForm* version = OpenPreviewOf([](TPrintGridForm* p) { return p->ReportName == "VMU Version Report"; });
    ASSERT_NE(version, nullptr);
    version->resize(900, 640);
    Save(*version, "print-preview-report");
    M.ReportsMailboxAssignments1->trigger();
    EXPECT_EQ(M.MdiArea->activeSubWindow(),
        OpenPreviewOf([](TPrintGridForm* p) { return p->ReportName == "Mailbox Assignments"; }));
    int previews = 0;
    for (TBaseMDIForm* f : M.ChildForms())
        previews += qobject_cast<TPrintGridForm*>(f) != nullptr;
    EXPECT_EQ(previews, 9);

    // The custom service report takes its parameter; an unknown report shows nothing.
    ASSERT_TRUE(M.ShowReport("Custom Service Report", "1")) << Boxes();
    TPrintGridForm* custom = OpenPreviewOf([](TPrintGridForm* p) { return p->ReportName == "Custom Service Report"; });
    ASSERT_NE(custom, nullptr);
    std::string text = PreviewText(custom);
    EXPECT_EQ(text.rfind("CUSTOM SERVICE REPORT", 0), 0u) << text;
    EXPECT_EQ(text.find("$ "), std::string::npos);
    std::string pdf = PrintToPdf(custom, "custom");
    EXPECT_NE(pdf.find("CUSTOM SERVICE REPORT"), std::string::npos) << pdf;
    EXPECT_FALSE(M.ShowReport("No Such Report", ""));
}

TEST_F(ReportsOnDevice, SectionGridAndTerminalScreenArePrintedToPdf)
{
    TMainForm& M = *Main;
    QTreeWidget* tree = M.DataTreeView;
    QList<QTreeWidgetItem*> items = tree->findItems("Port Setting", Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(items.size(), 1);
    tree->setCurrentItem(items.first());
    QTest::keyClick(tree, Qt::Key_Return);
    QApplication::processEvents();
    TPortSettingForm* form = nullptr;
    for (TBaseMDIForm* f : M.ChildForms())
        if (auto* p = qobject_cast<TPortSettingForm*>(f))
            form = p;
    ASSERT_NE(form, nullptr) << Boxes();
    ASSERT_TRUE(form->PrintPreviewButton->isEnabled());
    QTest::mouseClick(form->PrintPreviewButton, Qt::LeftButton);
    TPrintGridForm* grid = OpenPreviewOf([&](TPrintGridForm* p) { return p->OwnerForm == form; });
    ASSERT_NE(grid, nullptr) << Boxes();
    EXPECT_EQ(grid->FPreview->Orientation(), pnLandscape);
    grid->resize(900, 640);
    Save(*grid, "print-preview-grid");
    QTest::mouseClick(form->PrintPreviewButton, Qt::LeftButton);   // the same window again
    int previews = 0;
    for (TBaseMDIForm* f : M.ChildForms())
        previews += qobject_cast<TPrintGridForm*>(f) != nullptr;
    EXPECT_EQ(previews, 1);
    std::string caption = form->Grid->ColumnList().Items(0)->Caption();
    std::string cell = form->Grid->GetCellValue(0, 0);
    std::string pdf = PrintToPdf(grid, "grid");
    EXPECT_NE(pdf.find(FromQ(form->windowTitle())), std::string::npos) << pdf;
    if (!caption.empty()) {
        EXPECT_NE(pdf.find(caption), std::string::npos) << caption << "\n" << pdf;
    }
    if (!cell.empty()) {
        EXPECT_NE(pdf.find(cell), std::string::npos) << cell;
    }

    M.SystemTerminal1Execute();
    TTerminalForm* terminal = nullptr;
    for (TBaseMDIForm* f : M.ChildForms())
        if (auto* t = qobject_cast<TTerminalForm*>(f))
            terminal = t;
    ASSERT_NE(terminal, nullptr) << Boxes();
    ASSERT_TRUE(terminal->PrintPreviewButton->isEnabled());
    std::string screen;
    terminal->GetTerminalText(screen);
    ASSERT_NE(screen.find("Top Menu"), std::string::npos) << screen;
    terminal->PrintPreviewButton->trigger();
    TPrintGridForm* shown = OpenPreviewOf([&](TPrintGridForm* p) { return p->OwnerForm == terminal; });
    ASSERT_NE(shown, nullptr) << Boxes();
    pdf = PrintToPdf(shown, "terminal");
    EXPECT_NE(pdf.find("System Administration Top Menu"), std::string::npos) << pdf;
}

TEST_F(ReportsOnDevice, AReportOpensAtItsOwnPlaceAndAFailedReadShowsTheLoadErrorAndNoPreview)
{
    TMainForm& M = *Main;
    // Room for the report's own place beside the tree: a window that would not fit is moved into the area.
    M.resize(1400, 900);
    QApplication::processEvents();
    ASSERT_TRUE(M.ShowReport("VMU Version Report", "")) << Boxes();
    TPrintGridForm* version = OpenPreviewOf([](TPrintGridForm* p) { return p->ReportName == "VMU Version Report"; });
    ASSERT_NE(version, nullptr);
    TFormParams info;
    ReadFormInfo(M.TemplateDoc->FindNode(M.TemplateDoc->Root(), "VMU Version Report"), info);
    ASSERT_GT(info.Width, 0);
    EXPECT_EQ(version->width(), info.Width);
    EXPECT_EQ(version->height(), info.Height);
    EXPECT_EQ(version->pos(), QPoint(info.X, info.Y));
    EXPECT_EQ(version->windowTitle().toStdString().rfind("Print Preview - VMU Version Report", 0), 0u);

    // The device is gone: the read fails with the load error, nothing is shown and nothing captured is kept.
    Sim.reset();
    M.ManagerVMU->SavedAnswers = "left from before";
    EXPECT_FALSE(M.ShowReport("Mailbox Assignments", ""));
    EXPECT_NE(Boxes().find("Error load data from VMU."), std::string::npos) << Boxes();
    EXPECT_TRUE(M.ManagerVMU->SavedAnswers.empty());
    EXPECT_EQ(OpenPreviewOf([](TPrintGridForm* p) { return p->ReportName == "Mailbox Assignments"; }), nullptr);
}
