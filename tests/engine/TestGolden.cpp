// Golden tests of the compiler and the parser: the committed test description compiles to the committed step-info
// texts, and the committed screens parse into the committed data tree (written as text XML with the description
// as template, so links show as description IDs). ORLANTIS_UPDATE_GOLDEN=1 rewrites the golden files; review
// the difference before committing it.
#include "EngineTestSupport.h"

#include "engine/DataManager.h"
#include "xml/XmlDoc.h"

#include <gtest/gtest.h>

#include <regex>

using namespace enginetest;

namespace {
class GoldenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Description.ShowErrors = false;
        ASSERT_TRUE(Description.LoadFromFile(
            std::string(ORLANTIS_SOURCE_DIR) + "/tests/engine/data/description.xml", false))
            << Description.LastError;
        Params = Description.FindNode(nullptr, "VMU Parameters 409");
        ASSERT_NE(Params, nullptr);
    }

    std::string DataText()
    {
        Data.ShowErrors = false;
        EXPECT_TRUE(Data.WriteText(nullptr));
        return Data.TextBuffer;
    }

    void ParseBoth()
    {
        ASSERT_TRUE(Manager.LoadData(Params, ReadTestFile("screen-dialing.txt"), "Dialing Parameters"));
        ASSERT_TRUE(Manager.LoadData(Params, ReadTestFile("screen-mailbox.txt"), "Mailbox Setting"));
    }

    static std::string Section(const std::string& Title, const TStepParameters* Steps)
    {
        return "### " + Title + "\r\n" + (Steps ? Steps->StepInfoText() : std::string("(none)\r\n"));
    }

    TXmlDoc Description;
    TXmlDoc Data{&Description};
    TDataManager Manager{&Data, &Description};
    TXmlNode* Params = nullptr;
};

std::string WithoutIDs(const std::string& Text)
{
    return std::regex_replace(Text, std::regex(" (ID|MaxNodeID)=\"[0-9]+\""), "");
}
}

TEST_F(GoldenTest, DescriptionCompilesToTheCommittedStepLists)
{
    TXmlNode* init = Description.FindNode(nullptr, "Init VMU System Administrator Menu");
    std::string text;
    text += Section("log-in", Manager.GetSaveSteps(init, "Init VMU System Administrator Menu", true).get());
    text += Section("menu entry", Manager.GetLoadSteps(nullptr, "Init VMU System Administrator Menu").get());
    text += Section("load Dialing Parameters", Manager.GetLoadSteps(Params, "Dialing Parameters").get());
    // A section without a load script of its own takes its grandparent's.
    text += Section("load Mailbox Listing", Manager.GetLoadSteps(Params, "Mailbox Listing").get());
    TXmlNode* command = Description.FindNode(nullptr, "Set Administrator Password");
    command->SetAttr("ValueParam1", "NEW\r\x1bPW");
    text += Section("set password", Manager.GetSaveSteps(command, "Set Administrator Password", true).get());
    EXPECT_TRUE(MatchesGolden("steps.txt", text));
}

TEST_F(GoldenTest, ScreensParseIntoTheCommittedDataTree)
{
    ParseBoth();
    EXPECT_TRUE(MatchesGolden("data.xml", DataText()));
}

TEST_F(GoldenTest, ParsingTheSameScreensAgainUpdatesInsteadOfAdding)
{
    ParseBoth();
    std::string once = WithoutIDs(DataText());
    int count = Data.NodeCount();
    ParseBoth();
    EXPECT_EQ(Data.NodeCount(), count);
    EXPECT_EQ(WithoutIDs(DataText()), once);
    // Line ends do not matter: CR LF, CR and LF split alike.
    TXmlDoc other(&Description);
    TDataManager manager(&other, &Description);
    std::string screen = ReadTestFile("screen-mailbox.txt");
    ASSERT_TRUE(manager.LoadData(Params, std::regex_replace(screen, std::regex("\n"), "\r\n"), "Mailbox Setting"));
    ASSERT_TRUE(manager.LoadData(Params, ReadTestFile("screen-dialing.txt"), "Dialing Parameters"));
    other.ShowErrors = false;
    ASSERT_TRUE(other.WriteText(nullptr));
    EXPECT_EQ(WithoutIDs(other.TextBuffer).size(), once.size());
}

TEST_F(GoldenTest, ChangedRowsCompileToTheCommittedSaveSteps)
{
    ParseBoth();
    TXmlNode* mode = Data.FindNode(nullptr, "Dialing Mode");
    mode->SetAttr("Change", "Modify");
    mode->SetAttr("Value", "Pulse");
    Data.FindNode(nullptr, "Pause Time")->SetAttr("Change", "Modify");
    Data.FindNode(nullptr, "Flash Time")->SetAttr("Change", "NoChange");
    // Pending changes in other sections, one of them a sibling, must not travel with this one.
    Data.FindNode(nullptr, "Mailbox 101")->SetAttr("Change", "Delete");
    TXmlNode* hold = Manager.AddNodeFromTemplate(Data.FindNode(nullptr, "System Parameter Setting"),
        Description.FindNode(nullptr, "Call Hold"), true);
    ASSERT_NE(hold, nullptr);
    TXmlNode* service = hold->Nodes.FindByName("Call Hold Service");
    ASSERT_NE(service, nullptr);
    service->SetAttr("Value", "Yes");
    service->SetAttr("Change", "Modify");
    std::string text = Section("save Dialing Parameters", Manager.GetSaveSteps(Params, "Dialing Parameters", false).get());
    text += Section("save everything", Manager.GetSaveSteps(Params, "", false).get());
    text += Section("save missing section", Manager.GetSaveSteps(Params, "No Such Section", false).get());
    EXPECT_TRUE(MatchesGolden("save-steps.txt", text));

    // After the save of everything succeeded, the marks settle and the deleted mailbox goes.
    Manager.CommitSavedChanges("VMU Parameters 409");
    EXPECT_EQ(Data.FindNode(nullptr, "Mailbox 101"), nullptr);
    EXPECT_EQ(Data.FindNode(nullptr, "Mailbox 102")->GetAttr("Change"), "NoChange");
    EXPECT_EQ(Data.FindNode(nullptr, "Dialing Mode")->GetAttr("Change"), "NoChange");
    EXPECT_EQ(Data.FindNode(nullptr, "Transfer Dialing Sequence")->Attrs.Find("Change"), nullptr);
    auto after = Manager.GetSaveSteps(Params, "", false);
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->Count(), 2) << "only the section's own entry and exit are left";
}
