// The main window's services to the section windows, through FormServices() as the windows call them: installed
// with the window and gone with it; in interactive mode against the device simulator a missing section is read
// from the device, an applied section is written to it, a closed window's section is dropped and read afresh, and a
// read that fails shows its box and counts as absent; in batch mode nothing reaches the device; open windows are
// asked about their numbers and named in the "close these forms" message.
#include "ShellFixture.h"

// The simulator runner's definitions are compiled into this program by the main-window road tests.
#include "vmusim/SimProcess.h"

#include "common/ui/BaseMDI.h"
#include "forms/base/FormServices.h"
#include "forms/base/NumberInUseQuery.h"
#include "platform/StrUtil.h"
#include "platform/ui/QtMainThread.h"
#include "serial/SerPort.h"
#include "engine/ManagerVMU.h"
#include "shell/FormRegistry.h"

#include <QApplication>

#include <filesystem>
#include <fstream>
#include <set>

// A section window that answers the number questions from a fixed set, as the grid windows will from their rows.
class TNumberHoldingForm : public TBaseMDIForm, public TNumberInUseQuery {
    Q_OBJECT
public:
    TNumberHoldingForm(const TFormCreation& Creation, int Kind) : TBaseMDIForm(Creation), Kind(Kind) {}
    int Kind;
    std::set<std::pair<int, std::string>> Held;
    bool NumberInUse(TNumberUse Use, const std::string& Number) const override
    {
        return Held.count({int(Use), Number}) > 0;
    }

protected:
    void InitForm() override
    {
        TBaseMDIForm::InitForm();
        FormMask.Include(Kind);
    }
};

namespace {

bool HasLine(const std::string& Text, const std::string& Line)
{
    std::istringstream In(Text);
    std::string L;
    while (std::getline(In, L))
        if (Trim(L) == Line)
            return true;
    return false;
}

}  // namespace

class MainServices : public TShellFixture {
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(BuiltDescription()) || TSimProcess::Binary().empty())
            GTEST_SKIP() << "Orlantis.dat or vmusim is not built";
        WriteDescription();
        StatePath = Dir() + "device.state";
        SavedPath = Dir() + "device.saved";
        std::ofstream(StatePath) << ReadFile(std::string(ORLANTIS_SOURCE_DIR) + "/data/vmusim/default.state");
        for (auto [Class, Kind] : {std::pair{"TMailboxListingForm", 6}, std::pair{"TMailboxGroupForm", 19},
                 std::pair{"TExtensionGroupForm", 20}, std::pair{"TOperatorParametersForm", 14}})
            Saved.push_back({Class, RegisterFormClass(Class, [Kind](QMdiArea* A, const TFormKinds& K,
                                                                 const TFormParams& P) -> TBaseMDIForm* {
                return TBaseMDIForm::Create<TNumberHoldingForm>(A, K, P, Kind);
            })});
    }
    void TearDown() override
    {
        Main.reset();
        Sim.reset();
        for (auto& [Class, Factory] : Saved)
            RegisterFormClass(Class, Factory);
    }
    TMainForm& StartMain(bool Connect)
    {
        TMainForm& M = Start();
        EXPECT_FALSE(M.Terminated());
        M.resize(1000, 700);
        M.show();
        if (Connect) {
            Sim = std::make_unique<TSimProcess>(
                std::vector<std::string>{"--state", StatePath, "--save-state", SavedPath});
            EXPECT_TRUE(Sim->Started());
            Sim->CloseLine();
            M.ComPort->SetPort(Sim->PtyPath());
            M.ComPort->Timeouts().SetReadInterval(0);
            M.ManagerVMU->CharPaceMs = 1;
            M.AdminPasswordPrompt = [](std::string& Text) {
                Text = "ADMIN";
                return true;
            };
            M.ConnectSet1Execute();
            EXPECT_TRUE(M.Connected) << Dialogs.LastText();
        }
        return M;
    }
    TXmlNode* Data(const std::string& Name, TXmlNode* Start = nullptr)
    {
        return Main->DataDoc->Root() ? Main->DataDoc->FindNode(Start, Name) : nullptr;
    }
    TNumberHoldingForm* Open(const std::string& Section)
    {
        Main->OpenNodeForm(Main->TemplateDoc->FindNode(Main->ParamsNode, Section));
        QApplication::processEvents();
        TBaseFormInfo* Info = Main->GetFormInfoByName(Section);
        return Info ? dynamic_cast<TNumberHoldingForm*>(Main->FindChildForm(Info->FormMask + TFormKinds{2}, nullptr, -1))
                    : nullptr;
    }

    TQtMainThreadScope MainThread;
    std::unique_ptr<TSimProcess> Sim;
    std::string StatePath, SavedPath;
    std::vector<std::pair<std::string, TFormFactory>> Saved;
};

TEST_F(MainServices, InstalledWhileTheMainWindowLives)
{
    EXPECT_EQ(FormServices(), nullptr);
    TMainForm& M = StartMain(false);
    ASSERT_NE(FormServices(), nullptr);
    EXPECT_EQ(FormServices(), M.Services.get());
    M.MailboxNoLength = 4;
    M.SystemManagerMailbox = "9999";
    M.UseAMPM = false;
    const TDeviceFacts F = FormServices()->DeviceFacts();
    EXPECT_EQ(F.MailboxNoLength, 4);
    EXPECT_EQ(F.MinMailboxNo(), 1000);
    EXPECT_EQ(F.SystemManagerMailbox, "9999");
    EXPECT_FALSE(F.UseAMPM);
    EXPECT_FALSE(F.BatchMode);
    EXPECT_FALSE(F.PortOpen);
    EXPECT_EQ(FormServices()->ViewDoc(), M.TemplateDoc.get());
    EXPECT_EQ(FormServices()->ParamsNode(), M.ParamsNode);
    Main.reset();
    EXPECT_EQ(FormServices(), nullptr);
}

TEST_F(MainServices, InteractiveModeReadsWritesAndDropsSectionsOnTheDevice)
{
    TMainForm& M = StartMain(true);
    ASSERT_TRUE(M.Connected);
    TFormServices& S = *FormServices();
    EXPECT_EQ(S.DeviceFacts().FlashVersion, 409);
    EXPECT_TRUE(S.DeviceFacts().PortOpen);

    // A lookup reads the section it needs and keeps it.
    ASSERT_EQ(Data("Mailbox Listing"), nullptr);
    EXPECT_FALSE(S.IsMailboxNoFree("105")) << Dialogs.LastText();
    ASSERT_NE(Data("Mailbox Listing"), nullptr);
    EXPECT_TRUE(S.IsMailboxNoFree("777"));
    EXPECT_FALSE(S.IsMailboxNoFree(M.SystemManagerMailbox));
    // A mailbox owner's extension is referenced by the listing under the field name the listing really has.
    TXmlNode* Owner = Data("Extension No.", Data("Mailbox Listing"));
    ASSERT_NE(Owner, nullptr);
    ASSERT_FALSE(Owner->GetValue().empty());
    std::string Holder;
    EXPECT_FALSE(S.IsExtensionReferenced(Owner->GetValue(), "", Holder));
    EXPECT_EQ(Holder, S.GetSectionCaption("Mailbox Listing"));
    // Stored groups are found by their numbers, which the group nodes hold (not their members' or others').
    EXPECT_FALSE(S.FindMailboxGroup("500", Holder)) << Dialogs.LastText();
    EXPECT_TRUE(S.FindMailboxGroup("101", Holder));
    EXPECT_TRUE(S.FindMailboxGroup("502", Holder));
    EXPECT_FALSE(S.FindExtensionGroup("301", Holder));
    EXPECT_TRUE(S.FindExtensionGroup("201", Holder));
    EXPECT_TRUE(S.FindExtensionGroup("500", Holder));

    // A window's section: read before it shows, changed, applied to the device, dropped when the window closes.
    ASSERT_TRUE(S.ReadSectionIfInteractive("Dialing Parameters", ""));
    TXmlNode* Dialing = Data("Dialing Parameters");
    ASSERT_NE(Dialing, nullptr);
    TXmlNode* Pause = Data("Pause Time", Dialing);
    ASSERT_NE(Pause, nullptr);
    EXPECT_EQ(Pause->GetValue(), "2");
    Pause->SetAttr("Value", "5");
    Pause->SetAttr("Change", "Modify");
    Dialing->SetAttr("Change", "Modify");
    EXPECT_TRUE(S.WriteSectionIfInteractive("Dialing Parameters")) << Dialogs.LastText();
    EXPECT_EQ(Pause->GetAttr("Change"), "NoChange");
    EXPECT_TRUE(HasLine(ReadFile(SavedPath), "Pause Time = 5"));
    // Nothing changed: nothing to send, and no failure.
    EXPECT_TRUE(S.WriteSectionIfInteractive("Dialing Parameters"));
    S.SectionFormClosed("Dialing Parameters");
    EXPECT_EQ(Data("Dialing Parameters"), nullptr);
    TXmlNode* Again = S.GetSection("Dialing Parameters", "");
    ASSERT_NE(Again, nullptr);
    EXPECT_EQ(Data("Pause Time", Again)->GetValue(), "5");
    EXPECT_TRUE(Dialogs.Boxes.empty()) << Dialogs.LastText();

    // The device goes away: the read shows the load error and the section counts as absent.
    Sim.reset();
    std::string Caption;
    EXPECT_TRUE(S.IsFieldValueFree("Class of Service", "Mailbox Number", Caption, "105"));
    EXPECT_EQ(Data("Class of Service"), nullptr);
    // Its first line; the lines after it say what the line did.
    EXPECT_EQ(Dialogs.LastText().substr(0, Dialogs.LastText().find("\r\n")), Utilits::SErrorLoadFromVMU);
}

TEST_F(MainServices, BatchModeLeavesTheDeviceAlone)
{
    TMainForm& M = StartMain(false);
    M.FileModeBatch1Execute();
    ASSERT_TRUE(M.BatchMode);
    TFormServices& S = *FormServices();
    EXPECT_EQ(S.GetSection("Mailbox Listing", ""), nullptr);
    EXPECT_TRUE(S.ReadSectionIfInteractive("Mailbox Listing", ""));
    EXPECT_TRUE(S.WriteSectionIfInteractive("Mailbox Listing"));
    EXPECT_FALSE(S.IsMailboxNoFree(M.SystemManagerMailbox));   // even without any listing
    EXPECT_TRUE(S.IsMailboxNoFree("101"));
    std::string Caption;
    EXPECT_TRUE(S.FindMailboxGroup("500", Caption));
    EXPECT_TRUE(Dialogs.Boxes.empty()) << Dialogs.LastText();
}

TEST_F(MainServices, OpenWindowsAnswerForTheirNumbersAndAreNamedBeforeASave)
{
    TMainForm& M = StartMain(false);
    M.FileModeBatch1Execute();
    M.SetNoData(false);
    M.SetTreeEnabled(true);
    TFormServices& S = *FormServices();
    std::string Caption;
    // No window open: every number is free and nothing is reported.
    EXPECT_TRUE(S.MailboxInUseByListingForm("101"));
    EXPECT_TRUE(S.MailboxInUseByGroupForm("500"));
    EXPECT_TRUE(S.CheckExtensionGroupForm("300", Caption));
    EXPECT_EQ(Caption, S.GetSectionCaption("Extension Group"));
    EXPECT_TRUE(S.ExtensionInUseByForms("201", "", Caption));
    EXPECT_FALSE(S.ReportOpenForms({"Mailbox Listing", "Mailbox Group"}));
    EXPECT_TRUE(Dialogs.Boxes.empty());

    TNumberHoldingForm* Listing = Open("Mailbox Listing");
    TNumberHoldingForm* Groups = Open("Mailbox Group");
    TNumberHoldingForm* Operators = Open("Operator's Parameters");
    ASSERT_TRUE(Listing && Groups && Operators);
    Listing->Held = {{TNumberInUseQuery::nuMailbox, "101"}, {TNumberInUseQuery::nuExtension, "201"}};
    Groups->Held = {{TNumberInUseQuery::nuGroupNumber, "500"}};
    Operators->Held = {{TNumberInUseQuery::nuExtension, "202"}};
    EXPECT_FALSE(S.MailboxInUseByListingForm("101"));
    EXPECT_TRUE(S.MailboxInUseByListingForm("102"));
    EXPECT_FALSE(S.MailboxInUseByGroupForm("500"));
    EXPECT_TRUE(S.CheckExtensionGroupForm("500", Caption));   // another section's group numbers

    // Extensions: the caller's own section is not asked; Caption names the section that holds the number.
    EXPECT_FALSE(S.ExtensionInUseByForms("201", "", Caption));
    EXPECT_EQ(Caption, S.GetSectionCaption("Mailbox Listing"));
    EXPECT_TRUE(S.ExtensionInUseByForms("201", "Mailbox Listing", Caption));
    EXPECT_FALSE(S.ExtensionInUseByForms("202", "Mailbox Listing", Caption));
    EXPECT_EQ(Caption, S.GetSectionCaption("Operator's Parameters"));

    EXPECT_TRUE(S.ReportOpenForms({"Mailbox Listing", "Extension Group", "Mailbox Group"}));
    ASSERT_EQ(Dialogs.Boxes.size(), 1u);
    auto Quoted = [&](const char* Section) {
        std::string C = S.GetSectionCaption(Section);
        return "\"" + (C.empty() ? std::string(Section) : C) + "\"";
    };
    EXPECT_EQ(Dialogs.Boxes[0].Text,
        Format(Utilits::SCloseFormsForSaving, {Quoted("Mailbox Listing") + ", " + Quoted("Mailbox Group")}));
    EXPECT_EQ(Dialogs.Boxes[0].Caption, Utilits::SError);
}

#include "TestMainServices.moc"

TEST_F(MainServices, BothEntriesForgetTheMailboxListingOnlyInInteractiveMode)
{
    TMainForm& M = StartMain(false);
    TXmlNode* Root = M.DataDoc->Root();
    Root->SetTag("DATA");
    TXmlNode* Tree = Root->AddChild("PARAM");
    Tree->SetName("VMU Parameters 409");
    auto Listing = [&] { return M.DataDoc->FindNode(Root, "Mailbox Listing"); };
    auto Add = [&] {
        if (!Listing())
            Tree->AddChild("PARAM")->SetName("Mailbox Listing");
    };
    TFormServices& S = *FormServices();
    ASSERT_FALSE(M.BatchMode);
    for (auto Forget : {&TFormServices::ForgetMailboxListing, &TFormServices::ForgetMailboxListing2}) {
        Add();
        (S.*Forget)();
        EXPECT_EQ(Listing(), nullptr);
    }
    M.FileModeBatch1Execute();
    ASSERT_TRUE(M.BatchMode);
    Root = M.DataDoc->Root();
    Root->SetTag("DATA");
    Tree = Root->AddChild("PARAM");
    Tree->SetName("VMU Parameters 409");
    Add();
    S.ForgetMailboxListing2();
    EXPECT_NE(Listing(), nullptr) << "batch mode keeps everything";
}

TEST_F(MainServices, ForgettingTheExtensionSectionsKeepsTheOneThatAsks)
{
    TMainForm& M = StartMain(false);
    ASSERT_FALSE(M.BatchMode);
    if (!M.DataDoc->Root())
        M.DataDoc->SetRoot(std::make_unique<TXmlNode>("ORLANTIS"));
    const std::vector<std::string> Holders = {"Mailbox Listing", "Operator's Parameters", "Extension Group"};
    for (const std::string& Caller : Holders) {
        SCOPED_TRACE(Caller);
        for (const std::string& Section : Holders)
            if (!Data(Section))
                M.DataDoc->Root()->AddChild("PARAM")->SetName(Section);
        FormServices()->ForgetExtensionSections(Caller);
        for (const std::string& Section : Holders)
            EXPECT_EQ(Data(Section) != nullptr, Section == Caller) << Section;
    }
}
