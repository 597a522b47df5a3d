// Node services and step lists: value fields, rows from templates, clearing, settling marks, the step-info text
// and the trace switches.
#include "EngineTestSupport.h"

#include "engine/DataManager.h"
#include "xml/XmlDoc.h"

#include <gtest/gtest.h>

using namespace enginetest;

TEST(SubstituteValue, FieldsTokensAndPercentRuns)
{
    std::string r;
    TDataManager::SubstituteValue("Mailbox %T%", "  12 ", r, false, 1);
    EXPECT_EQ(r, "Mailbox 12");
    TDataManager::SubstituteValue("Mailbox %T%", "", r, false, 1);
    EXPECT_EQ(r, "Mailbox %T%");
    TDataManager::SubstituteValue("Row %V%", " 7", r, false, 1);
    EXPECT_EQ(r, "Row %V%") << "a value field is left where values are not allowed";
    TDataManager::SubstituteValue("Row % value %", " 7", r, true, 1);
    EXPECT_EQ(r, "Row  7");
    TDataManager::SubstituteValue("a %T% b %%T%% c %%x%%", "9", r, false, 2);
    EXPECT_EQ(r, "a %T% b 9 c %%x%%") << "only the first field of the asked run";
    TDataManager::SubstituteValue("open %T", "9", r, false, 1);
    EXPECT_EQ(r, "open %T");

    TXmlNode node("ATTR");
    node.SetAttr("Name", "Day %T%");
    node.SetAttr("StartStr", "Day %T% [");
    node.SetAttr("Other", "%T%");
    TDataManager::SubstituteInNode(&node, "Mon", 1);
    EXPECT_EQ(node.GetName(), "Day Mon");
    EXPECT_EQ(node.GetAttr("StartStr"), "Day Mon [");
    EXPECT_EQ(node.GetAttr("Other"), "%T%");
}

namespace {
struct TRowDocs {
    TRowDocs()
    {
        Description.ShowErrors = false;
        Description.XmlText = R"(<D Name="d"><PARAM Name="Sec"><PARAM Name="Row" StartStr="x" FormInfo="3" Level="1">
            <ATTR Name="Cell" Value="" TemplateAttr="%1%"/><SAVEPARAM Name="Begin"/></PARAM></PARAM></D>)";
        EXPECT_TRUE(Description.ParseText());
        auto root = std::make_unique<TXmlNode>("DATA");
        Section = root->AddChild("PARAM");
        Section->SetName("Sec");
        Section->AddChild("MEMO")->SetName("kept");
        Data.SetRoot(std::move(root));
    }
    TXmlDoc Description;
    TXmlDoc Data{&Description};
    TDataManager Manager{&Data, &Description};
    TXmlNode* Section = nullptr;
};
}

TEST(AddNodeFromTemplate, LinkedStrippedMergedAndNumbered)
{
    TRowDocs d;
    TXmlNode* tmpl = d.Description.FindNode(nullptr, "Row");
    TXmlNode* row = d.Manager.AddNodeFromTemplate(d.Section, tmpl, true);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->GetTemplate(), tmpl);
    EXPECT_EQ(row->Attrs.Find("StartStr"), nullptr);
    EXPECT_EQ(row->Attrs.Find("FormInfo"), nullptr);
    EXPECT_EQ(row->GetAttr("Level"), "1");
    ASSERT_EQ(row->Nodes.Count(), 1) << "only ATTR and PARAM children are copied";
    EXPECT_EQ(row->Nodes.Items(0)->Attrs.Find("TemplateAttr"), nullptr);
    int firstId = row->GetID();
    EXPECT_GT(firstId, 0);

    row->Nodes.Items(0)->SetAttr("Value", "changed");
    TXmlNode* again = d.Manager.AddNodeFromTemplate(d.Section, tmpl, true);
    EXPECT_EQ(again, row) << "a row of the same name is merged, not added twice";
    EXPECT_EQ(d.Section->Nodes.Count(), 2);
    EXPECT_GT(row->GetID(), firstId) << "the merged row is numbered anew";
    EXPECT_EQ(row->Nodes.Items(0)->GetValue(), "") << "the template's values win in a merge";

    EXPECT_EQ(d.Manager.AddNodeFromTemplate(d.Section, d.Description.Root(), true), nullptr);
    EXPECT_EQ(d.Manager.AddNodeFromTemplate(nullptr, tmpl, true), nullptr);

    TDataManager::ClearParamNodes(d.Section);
    ASSERT_EQ(d.Section->Nodes.Count(), 1);
    EXPECT_EQ(d.Section->Nodes.Items(0)->GetTag(), "MEMO");
    TDataManager::ClearParamNodes(nullptr);
}

TEST(CommitSavedChanges, SettlesMarksRemovesDeletedRowsAndResetsPasswords)
{
    TXmlDoc data;
    data.XmlText = R"(<DATA Name="root"><PARAM Name="Sec" Change="Modify">
        <ATTR Name="Gone" Change="Delete"><ATTR Name="Child" Change="Modify"/></ATTR>
        <ATTR Name="Kept" Change="Insert"><ATTR Name="Reset Mailbox Password" Value="Yes"/></ATTR>
        <ATTR Name="Plain"/>
        <ATTR Name="Also gone" Change="Delete"/>
      </PARAM><PARAM Name="Other" Change="Modify"/></DATA>)";
    ASSERT_TRUE(data.ParseText());
    TDataManager manager(&data, nullptr);
    manager.CommitSavedChanges("Sec");
    TXmlNode* sec = data.FindNode(nullptr, "Sec");
    EXPECT_EQ(sec->GetAttr("Change"), "NoChange");
    ASSERT_EQ(sec->Nodes.Count(), 2);
    EXPECT_EQ(sec->Nodes.Items(0)->GetName(), "Kept");
    EXPECT_EQ(sec->Nodes.Items(0)->GetAttr("Change"), "NoChange");
    EXPECT_EQ(data.FindNode(nullptr, "Reset Mailbox Password")->GetValue(), "No");
    EXPECT_EQ(data.FindNode(nullptr, "Plain")->Attrs.Find("Change"), nullptr);
    EXPECT_EQ(data.FindNode(nullptr, "Other")->GetAttr("Change"), "Modify") << "other sections keep their marks";
    manager.CommitSavedChanges("Nowhere");
    data.Root()->SetAttr("Change", "Delete");
    manager.CommitSavedChanges("root");
    ASSERT_NE(data.Root(), nullptr) << "the root is never removed";
}

TEST(StepInfo, FormatOfStepsAndMarkers)
{
    TStepParameters steps;
    auto s = Step("1\r", "=> ", "");
    s->SaveAnswer = true;
    s->WaitTimeoutMsec = -5;
    auto m = std::make_unique<TProgressParameter>();
    m->FindStr = "Port";
    m->DeltaPos = 4;
    s->Progress.Add(std::move(m));
    steps.Add(std::move(s));
    steps.Add(Step("PASSWORD\r", ""));
    const std::string expected = "===============================\r\n"
                                 "Send = '1\r'\r\n"
                                 "StopAnswer = '=> '\r\n"
                                 "PasswordAnswer = ''\r\n"
                                 "ErrorAnswer = ''\r\n"
                                 "SaveAnswer = Yes\r\n"
                                 "WaitTimeoutMsec = -5\r\n"
                                 "BreakSteps = No\r\n"
                                 "...........................\r\n"
                                 "FindStr = 'Port'\r\n"
                                 "InfoMsg = ''\r\n"
                                 "DeltaPos = 4\r\n"
                                 "===============================\r\n"
                                 "Send = '*****\r'\r\n"
                                 "StopAnswer = ''\r\n"
                                 "PasswordAnswer = ''\r\n"
                                 "ErrorAnswer = 'Incorrect Entry'\r\n"
                                 "SaveAnswer = No\r\n"
                                 "WaitTimeoutMsec = 0\r\n"
                                 "BreakSteps = No\r\n";
    EXPECT_EQ(steps.StepInfoText({"PASSWORD", ""}), expected);
    TTempFolder folder;
    steps.SaveToFile(folder.Path + "/info.txt", {"PASSWORD"});
    EXPECT_EQ(folder.Read("info.txt"), expected);
    EXPECT_THROW(steps.GetItem(2), EListError);
    EXPECT_THROW(steps.SaveToFile(folder.Path + "/no/such/folder.txt"), EFileError);
}

TEST(TraceSwitches, CommandWordsInAnyCase)
{
    TraceSwitches() = {};
    EXPECT_TRUE(ApplyTraceSwitch("SAVE_Steps"));
    EXPECT_TRUE(ApplyTraceSwitch("save_stepsinfo"));
    EXPECT_FALSE(ApplyTraceSwitch("save_trace"));
    EXPECT_TRUE(TraceSwitches().SaveSteps);
    EXPECT_TRUE(TraceSwitches().SaveStepsInfo);
    EXPECT_FALSE(TraceSwitches().SaveTraceInfo);
    EXPECT_TRUE(ApplyTraceSwitch("Save_TraceInfo"));
    EXPECT_TRUE(TraceSwitches().SaveTraceInfo);
    TraceSwitches() = {};
}

TEST(CheckDataDocument, LinksTagsPlacesAndChangeMarks)
{
    TXmlDoc description;
    description.ShowErrors = false;
    description.XmlText = R"(<D Name="d"><PARAM Name="Sec"><ATTR Name="Row %V%" Value="" Change="NoChange">
        <SAVEPARAM Name="Begin"><MENUSTEP Send="x"/></SAVEPARAM></ATTR></PARAM><PARAM Name="Other"/></D>)";
    ASSERT_TRUE(description.ParseText());
    TXmlDoc data(&description);
    TDataManager manager(&data, &description);
    auto root = description.Root()->CloneLinked({}, false);
    data.SetRoot(std::move(root));
    TXmlNode* sec = manager.AddNodeFromTemplate(data.Root(), description.FindNode(nullptr, "Sec"), false);
    TXmlNode* row = manager.AddNodeFromTemplate(sec, description.FindNode(nullptr, "Row %V%"), false);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(CheckDataDocument(data, description), "");
    for (const char* mark : {"Modify", "Insert", "Delete"}) {
        row->SetAttr("Change", mark);
        EXPECT_EQ(CheckDataDocument(data, description), "") << mark;
    }
    row->SetAttr("Change", "NoChaot");
    EXPECT_NE(CheckDataDocument(data, description).find("unknown change mark \"NoChaot\""), std::string::npos);
    row->SetAttr("Change", "NoChange");

    TXmlNode* odd = sec->AddChild("ATTB");
    odd->SetTemplate(description.FindNode(nullptr, "Row %V%"));
    EXPECT_NE(CheckDataDocument(data, description).find("tag \"ATTB\""), std::string::npos);
    sec->RemoveChild(odd);
    TXmlNode* stray = sec->AddChild("PARAM");
    stray->SetTemplate(description.FindNode(nullptr, "Other"));
    EXPECT_NE(CheckDataDocument(data, description).find("does not belong"), std::string::npos);
    stray->SetAttr("TemplateID", "0");
    EXPECT_NE(CheckDataDocument(data, description).find("linked to nothing"), std::string::npos);
    sec->RemoveChild(stray);
    TXmlNode* script = row->AddChild("SAVEPARAM");
    script->SetTemplate(description.FindNode(nullptr, "Begin"));
    EXPECT_NE(CheckDataDocument(data, description).find("device script"), std::string::npos);
    row->RemoveChild(script);
    EXPECT_EQ(CheckDataDocument(data, description), "");
}
