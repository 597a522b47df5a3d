// The menu-script compiler: macros and their signals, conditions, the save walk along a path, load scripts and
// their markers, and the errors a bad script raises.
#include "engine/DataManager.h"
#include "xml/XmlDoc.h"

#include <gtest/gtest.h>

namespace {
// A description (and a data document linked to it) from text XML.
struct TDocs {
    explicit TDocs(const std::string& Xml)
    {
        Description.ShowErrors = false;
        Description.XmlText = Xml;
        EXPECT_TRUE(Description.ParseText()) << Description.LastError;
    }
    TXmlNode* Find(const std::string& Name) { return Description.FindNode(nullptr, Name); }
    std::vector<std::string> Sends(const TStepParameters* Steps)
    {
        std::vector<std::string> out;
        if (Steps)
            for (const auto& s : *Steps)
                out.push_back(s->Send);
        return out;
    }
    TXmlDoc Description;
    TXmlDoc Data{&Description};
    TDataManager Manager{&Data, &Description};
};

using TSends = std::vector<std::string>;
}

TEST(Macros, LineEndsBackspaceAndUnclosedSigns)
{
    TDocs d("<D Name='d'/>");
    int signal = -1;
    EXPECT_EQ(d.Manager.ExpandMacros(nullptr, "a%CR%b%CRLF%c%BSx%", signal), "a\rb\r\nc\b");
    EXPECT_EQ(signal, ssNone);
    EXPECT_EQ(d.Manager.ExpandMacros(nullptr, "abc%CR", signal), "abc");
    EXPECT_EQ(d.Manager.ExpandMacros(nullptr, "x%%y%unknown%z", signal), "xyz");
    EXPECT_EQ(d.Manager.ExpandMacros(nullptr, "%STOP%%CR%", signal), "\r");
    EXPECT_EQ(signal, ssNone) << "the last complete macro decides the signal";
    EXPECT_EQ(d.Manager.ExpandMacros(nullptr, "%CR%%STOP%", signal), "\r");
    EXPECT_EQ(signal, ssStop);
    d.Manager.ExpandMacros(nullptr, "%NOPARENT%", signal);
    EXPECT_EQ(signal, ssNoParent);
}

TEST(Macros, AttributeReferencesWalkTheTree)
{
    TDocs d("<D Name='d'><P Name='Box' Value='B' Change='Modify'>"
            "<A Name='Mailbox' Value='101' Change='Delete'/><A Name='Me' Value='m&#13;e&#27;'/></P></D>");
    TXmlNode* me = d.Find("Me");
    int s = 0;
    EXPECT_EQ(d.Manager.ExpandMacros(me, "%ATTR:Value%", s), "m\re\x1b");
    EXPECT_EQ(d.Manager.ExpandMacros(me, "%ATTR:Value%", s, true), "me") << "keys typed from a value lose controls";
    EXPECT_EQ(d.Manager.ExpandMacros(me, "%ATTR:Value:%", s), "B");
    EXPECT_EQ(d.Manager.ExpandMacros(me, "%ATTR:Change:\\Mailbox%", s), "Delete");
    EXPECT_EQ(d.Manager.ExpandMacros(me, "%ATTR:Change:\\Nobody%", s), "");
    EXPECT_EQ(d.Manager.ExpandMacros(me, "%ATTR:Value::::%", s), "") << "above the root there is nothing";
    EXPECT_EQ(d.Manager.ExpandMacros(me, "%ATTR:Missing%", s), "");
}

TEST(SaveScripts, NoParentSkipsChildrenButNotTheEndScript)
{
    TDocs d(R"(<D Name="d"><P Name="Top">
        <SAVEPARAM Name="Begin">
          <CONDITION Name="IF_x" LeftOp="%ATTR:Change%" Compare="=" RightOp="Delete">
            <MENUSTEP Send="del%CR%"/><MENUSTEP Send="%NOPARENT%"/>
          </CONDITION>
          <MENUSTEP Send="begin%CR%"/>
        </SAVEPARAM>
        <SAVEPARAM Name="End"><MENUSTEP Send="end%CR%"/></SAVEPARAM>
        <SAVEPARAM Name="Other"><MENUSTEP Send="never%CR%"/></SAVEPARAM>
        <A Name="Child"><SAVEPARAM Name="Begin"><MENUSTEP Send="child%CR%"/></SAVEPARAM></A>
      </P></D>)");
    TXmlNode* top = d.Find("Top");
    EXPECT_EQ(d.Sends(d.Manager.GetSaveSteps(top, "", true).get()), (TSends{"begin\r", "child\r", "end\r"}));
    top->SetAttr("Change", "Delete");
    EXPECT_EQ(d.Sends(d.Manager.GetSaveSteps(top, "", true).get()), (TSends{"del\r", "begin\r", "end\r"}));
}

TEST(SaveScripts, StopEndsTheWholeListKeepingEarlierSteps)
{
    TDocs d(R"(<D Name="d"><P Name="Top">
        <A Name="One"><SAVEPARAM Name="Begin"><MENUSTEP Send="one%CR%"/></SAVEPARAM></A>
        <A Name="Two"><SAVEPARAM Name="Begin"><MENUSTEP Send="two%STOP%%CR%"/><MENUSTEP Send="%CR%%STOP%"/>
          <MENUSTEP Send="never%CR%"/></SAVEPARAM></A>
        <A Name="Three"><SAVEPARAM Name="Begin"><MENUSTEP Send="never%CR%"/></SAVEPARAM></A>
        <SAVEPARAM Name="End"><MENUSTEP Send="never%CR%"/></SAVEPARAM>
      </P></D>)");
    EXPECT_EQ(d.Sends(d.Manager.GetSaveSteps(d.Find("Top"), "", true).get()), (TSends{"one\r", "two\r"}));
}

TEST(SaveScripts, ConditionsTestNamesOperandsAndOperators)
{
    TDocs d(R"(<D Name="d"><P Name="Top" V="x"><SAVEPARAM Name="Begin">
        <CONDITION Name="IF1" LeftOp="%ATTR:V%" Compare="=" RightOp="x"><MENUSTEP Send="eq"/></CONDITION>
        <CONDITION Name="IF2" LeftOp="%ATTR:V%" Compare="!=" RightOp="x"><MENUSTEP Send="ne"/></CONDITION>
        <CONDITION Name="If3" LeftOp="x" Compare="=" RightOp="x"><MENUSTEP Send="small f"/></CONDITION>
        <CONDITION Name="IF4" LeftOp="x" Compare="==" RightOp="x"><MENUSTEP Send="bad operator"/></CONDITION>
        <CONDITION Name="IF5" Compare="=" RightOp=""><MENUSTEP Send="no left"/></CONDITION>
        <CONDITION Name="IF6" LeftOp="" Compare="="><MENUSTEP Send="no right is empty"/></CONDITION>
        <CONDITION Name="IF7" LeftOp="x" RightOp="x"><MENUSTEP Send="no operator"/></CONDITION>
        <CONDITION Name="IF8" LeftOp="a" Compare="!=" RightOp="b">
          <CONDITION Name="IF9" LeftOp="a" Compare="=" RightOp="a"><MENUSTEP Send="nested"/></CONDITION>
        </CONDITION>
      </SAVEPARAM></P></D>)");
    EXPECT_EQ(d.Sends(d.Manager.GetSaveSteps(d.Find("Top"), "", true).get()),
        (TSends{"eq", "no right is empty", "nested"}));
}

TEST(SaveScripts, PathVisitsOnlyItsOwnNodesAndTheWholeTargetSubtree)
{
    TDocs d(R"(<D Name="d"><P Name="A">
        <P Name="B"><SAVEPARAM Name="Begin"><MENUSTEP Send="B"/></SAVEPARAM>
          <P Name="C"><SAVEPARAM Name="Begin"><MENUSTEP Send="C"/></SAVEPARAM>
            <A Name="C1"><SAVEPARAM Name="Begin"><MENUSTEP Send="C1"/></SAVEPARAM></A>
            <A Name="C2"><SAVEPARAM Name="Begin"><MENUSTEP Send="C2"/></SAVEPARAM></A></P>
          <P Name="Sibling"><SAVEPARAM Name="Begin"><MENUSTEP Send="sibling of C"/></SAVEPARAM></P></P>
        <P Name="Other"><SAVEPARAM Name="Begin"><MENUSTEP Send="sibling of B"/></SAVEPARAM></P>
      </P></D>)");
    TXmlNode* a = d.Find("A");
    EXPECT_EQ(d.Manager.PathNames(a, "C"), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(d.Manager.PathNames(nullptr, "C"), (std::vector<std::string>{"d", "A", "B", "C"}));
    EXPECT_TRUE(d.Manager.PathNames(a, "Nowhere").empty());
    EXPECT_EQ(d.Sends(d.Manager.GetSaveSteps(a, "C", true).get()), (TSends{"B", "C", "C1", "C2"}));
    EXPECT_EQ(d.Manager.GetSaveSteps(a, "Nowhere", true), nullptr);
}

TEST(SaveScripts, DataNodesRunTheScriptsOfTheirDescription)
{
    TDocs d(R"(<D Name="d"><PARAM Name="Sec"><ATTR Name="Row %V%" Value="">
        <SAVEPARAM Name="Begin"><MENUSTEP Send="M%ATTR:Value%%CR%" StopAnswer="=> "/></SAVEPARAM></ATTR></PARAM></D>)");
    auto sec = d.Find("Sec")->CloneLinked({"ATTR", "PARAM"}, false);
    TXmlNode* secNode = sec.get();
    d.Data.SetRoot(std::move(sec));
    for (const char* v : {"7", "8"}) {
        TXmlNode* row = d.Manager.AddNodeFromTemplate(secNode, d.Find("Row %V%"), true);
        ASSERT_NE(row, nullptr);
        row->SetAttr("Name", std::string("Row ") + v);
        row->SetAttr("Value", v);
    }
    EXPECT_EQ(d.Sends(d.Manager.GetSaveSteps(d.Find("Sec"), "", false).get()), (TSends{"M7\r", "M8\r"}));
}

TEST(MenuSteps, AttributesDefaultsAndErrors)
{
    TDocs d(R"(<D Name="d"><P Name="S"><LOADPARAM>
        <MENUSTEP Send="a" StopAnswer="=> " SaveAnswer="yes" WaitTimeoutMsec="250"/>
        <MENUSTEP Send="b" ErrorAnswer="" BreakSteps="True"/>
        <MENUSTEP Send="c" StopAnswer="" PasswordAnswer="%ATTR:Prompt%"/>
        <MENUSTEP StopAnswer="no send, no step"/>
        <MENUSTEP Send="%STOP%" StopAnswer="a signal, no step"/>
      </LOADPARAM></P></D>)");
    auto steps = d.Manager.GetLoadSteps(d.Find("S"), "");
    ASSERT_EQ(steps->Count(), 3);
    TStepParameter* a = steps->GetItem(0);
    EXPECT_EQ(a->StopAnswer, "=> ");
    EXPECT_TRUE(a->SaveAnswer);
    EXPECT_EQ(a->WaitTimeoutMsec, 250);
    EXPECT_EQ(a->ErrorAnswer, "Incorrect Entry");
    EXPECT_EQ(steps->GetItem(1)->ErrorAnswer, "");
    EXPECT_TRUE(steps->GetItem(1)->BreakSteps);
    EXPECT_EQ(steps->GetItem(2)->PasswordAnswer, "");

    TDocs bad(R"(<D Name="d"><P Name="S"><LOADPARAM><MENUSTEP Send="a" SaveAnswer="1"/></LOADPARAM></P></D>)");
    try {
        bad.Manager.GetLoadSteps(bad.Find("S"), "");
        FAIL() << "a bad Boolean must raise";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message, "Error convert string to boolean.");
    }
    TDocs badNumber(R"(<D Name="d"><P Name="S"><LOADPARAM><MENUSTEP Send="a" WaitTimeoutMsec="5s"/></LOADPARAM>
        </P></D>)");
    EXPECT_THROW(badNumber.Manager.GetLoadSteps(badNumber.Find("S"), ""), EConvertError);
}

TEST(LoadScripts, InheritedFromAncestorsWithMarkersOnTheLastStepMade)
{
    TDocs d(R"(<D Name="d"><P Name="G"><LOADPARAM>
        <MENUSTEP Send="%ATTR:Missing%"><M FindStr="lost before any step"/></MENUSTEP>
        <MENUSTEP Send="go"><M FindStr="Alpha" InfoMsg="A" DeltaPos="3"/><M FindStr="" InfoMsg="no find, no marker"/>
          <X FindStr="Beta"/></MENUSTEP>
        <MENUSTEP Send=""><M FindStr="Gamma"/></MENUSTEP>
      </LOADPARAM><P Name="P"><A Name="Leaf"/></P></P></D>)");
    auto steps = d.Manager.GetLoadSteps(d.Find("G"), "Leaf");
    ASSERT_EQ(steps->Count(), 1);
    const TProgressParameters& markers = steps->GetItem(0)->Progress;
    // A marker under a MENUSTEP that made no step belongs to the step before it; with no step before it at all,
    // there is nothing to hang it on.
    ASSERT_EQ(markers.Count(), 3);
    EXPECT_EQ(markers.GetItem(0)->FindStr, "Alpha");
    EXPECT_EQ(markers.GetItem(0)->DeltaPos, 3);
    EXPECT_EQ(markers.GetItem(1)->FindStr, "Beta");
    EXPECT_EQ(markers.GetItem(1)->DeltaPos, 1);
    EXPECT_EQ(markers.GetItem(2)->FindStr, "Gamma");
    EXPECT_EQ(d.Manager.GetLoadSteps(d.Find("G"), "Nowhere")->Count(), 0);
    EXPECT_EQ(d.Manager.GetLoadSteps(nullptr, "")->Count(), 0);
}

TEST(SaveScripts, DataNodesNeverSupplyScriptsOfTheirOwn)
{
    TDocs d(R"(<D Name="d"><PARAM Name="Sec"><ATTR Name="Row" Value="">
        <SAVEPARAM Name="Begin"><MENUSTEP Send="M%ATTR:Value%%CR%"/></SAVEPARAM></ATTR></PARAM>
        <PARAM Name="Commands"><PARAM Name="Set Password" ValueParam1="">
        <SAVEPARAM Name="Begin"><MENUSTEP Send="P%ATTR:ValueParam1%%CR%"/></SAVEPARAM></PARAM></PARAM></D>)");
    auto sec = d.Find("Sec")->CloneLinked({"ATTR", "PARAM"}, false);
    TXmlNode* secNode = sec.get();
    d.Data.SetRoot(std::move(sec));
    TXmlNode* row = d.Manager.AddNodeFromTemplate(secNode, d.Find("Row"), true);
    row->SetAttr("Value", "5");
    // A node without a link, carrying a script as a crafted file would.
    TXmlNode* crafted = secNode->AddChild("ATTR");
    crafted->SetAttr("Name", "Crafted");
    TXmlNode* begin = crafted->AddChild("SAVEPARAM");
    begin->SetAttr("Name", "Begin");
    begin->AddChild("MENUSTEP")->SetAttr("Send", "evil%CR%");
    // A node linked to a command outside the saved section.
    TXmlNode* borrowed = secNode->AddChild("PARAM");
    borrowed->SetTemplate(d.Find("Set Password"));
    borrowed->SetAttr("ValueParam1", "NEWPASS");
    EXPECT_EQ(d.Sends(d.Manager.GetSaveSteps(d.Find("Sec"), "", false).get()), (TSends{"M5\r"}));
}

TEST(SaveScripts, AHalfDoneSaveSettlesWhatReachedTheDeviceAndARetrySendsTheRest)
{
    auto section = [](const char* Name, const char* Key, const char* Row, const char* Mark) {
        return std::string("<PARAM Name=\"") + Name + "\" Change=\"NoChange\"><SAVEPARAM Name=\"Begin\">"
            "<CONDITION Name=\"IF_1\" LeftOp=\"%ATTR:Change%\" Compare=\"!=\" RightOp=\"NoChange\">"
            "<MENUSTEP Send=\"" + Key + "%CR%\" StopAnswer=\"=> \"/></CONDITION></SAVEPARAM>"
            "<ATTR Name=\"" + Row + "\" Value=\"\" Change=\"NoChange\"><SAVEPARAM Name=\"Begin\">"
            "<CONDITION Name=\"IF_1\" LeftOp=\"%ATTR:Change%\" Compare=\"=\" RightOp=\"" + Mark + "\">"
            "<MENUSTEP Send=\"" + Mark[0] + "%ATTR:Value%%CR%\" StopAnswer=\"=> \"/></CONDITION></SAVEPARAM></ATTR>"
            "<SAVEPARAM Name=\"End\"><CONDITION Name=\"IF_1\" LeftOp=\"%ATTR:Change%\" Compare=\"!=\" "
            "RightOp=\"NoChange\"><MENUSTEP Send=\"T%CR%\" StopAnswer=\"=> \"/></CONDITION></SAVEPARAM></PARAM>";
    };
    TDocs d("<D Name=\"d\"><PARAM Name=\"Tree\">" + section("Alternate", "a", "Ext", "Delete") +
        section("Later", "b", "Value", "Modify") + "</PARAM></D>");
    d.Data.SetRoot(d.Find("Tree")->CloneLinked({"ATTR", "PARAM"}, true));
    TXmlNode* alternate = d.Data.FindNode(nullptr, "Alternate");
    TXmlNode* ext = d.Data.FindNode(alternate, "Ext");
    ext->SetAttr("Value", "2");
    ext->SetAttr("Change", "Delete");
    alternate->SetAttr("Change", "Modify");
    TXmlNode* later = d.Data.FindNode(nullptr, "Later");
    d.Data.FindNode(later, "Value")->SetAttr("Value", "9");
    d.Data.FindNode(later, "Value")->SetAttr("Change", "Modify");
    later->SetAttr("Change", "Modify");

    auto steps = d.Manager.GetSaveSteps(d.Find("Tree"), "", false);
    ASSERT_EQ(d.Sends(steps.get()), (TSends{"a\r", "D2\r", "T\r", "b\r", "M9\r", "T\r"}));
    // The device refused "M9": four steps went through.
    TDataManager::CommitSentSteps(*steps, 4);
    EXPECT_EQ(d.Data.FindNode(alternate, "Ext"), nullptr) << "the deleted entry is gone for good";
    EXPECT_EQ(alternate->GetAttr("Change"), "NoChange");
    EXPECT_EQ(later->GetAttr("Change"), "Modify");
    EXPECT_EQ(d.Sends(d.Manager.GetSaveSteps(d.Find("Tree"), "", false).get()), (TSends{"b\r", "M9\r", "T\r"}));
    // Nothing done, nothing settled.
    auto again = d.Manager.GetSaveSteps(d.Find("Tree"), "", false);
    TDataManager::CommitSentSteps(*again, 0);
    EXPECT_EQ(later->GetAttr("Change"), "Modify");
}

TEST(SaveScripts, AHalfDoneSaveCountsTheChangedValuesThatReachedTheDevice)
{
    TDocs d(R"(<D Name="d"><PARAM Name="Tree"><PARAM Name="Sec" Change="NoChange">
        <SAVEPARAM Name="Begin"><MENUSTEP Send="s%CR%" StopAnswer="=> "/></SAVEPARAM>
        <ATTR Name="A" Value="1" Change="NoChange"><SAVEPARAM Name="Begin"><CONDITION Name="IF_1"
            LeftOp="%ATTR:Change%" Compare="=" RightOp="Modify"><MENUSTEP Send="A%ATTR:Value%%CR%" StopAnswer="=> "/>
            </CONDITION></SAVEPARAM></ATTR>
        <ATTR Name="B" Value="2" Change="NoChange"><SAVEPARAM Name="Begin"><CONDITION Name="IF_1"
            LeftOp="%ATTR:Change%" Compare="=" RightOp="Modify"><MENUSTEP Send="B%ATTR:Value%%CR%" StopAnswer="=> "/>
            </CONDITION></SAVEPARAM></ATTR>
        <ATTR Name="C" Value="3" Change="NoChange"><SAVEPARAM Name="Begin"><CONDITION Name="IF_1"
            LeftOp="%ATTR:Change%" Compare="=" RightOp="Modify"><MENUSTEP Send="C%ATTR:Value%%CR%" StopAnswer="=> "/>
            </CONDITION></SAVEPARAM></ATTR></PARAM></PARAM></D>)");
    d.Data.SetRoot(d.Find("Tree")->CloneLinked({"ATTR", "PARAM"}, true));
    for (const char* Name : {"A", "C"})
        d.Data.FindNode(nullptr, Name)->SetAttr("Change", "Modify");
    d.Data.FindNode(nullptr, "Sec")->SetAttr("Change", "Modify");
    auto steps = d.Manager.GetSaveSteps(d.Find("Tree"), "", false);
    ASSERT_EQ(d.Sends(steps.get()), (TSends{"s\r", "A1\r", "C3\r"}));
    // The section's own step is no changed value; B sent nothing.
    for (auto [Done, Took] : {std::pair{0, 0}, {1, 0}, {2, 1}, {3, 2}}) {
        int T = -1, Total = -1;
        TDataManager::CountSentChanges(*steps, Done, T, Total);
        EXPECT_EQ(Total, 2) << Done;
        EXPECT_EQ(T, Took) << Done;
    }
}

TEST(SaveScripts, ABlockEnteredAndLeftIsNoChangedValueButARecordDeletedWithItsFieldsIs)
{
    // Block K is entered and left whatever it holds; record R, with a field, is deleted.
    TDocs d(R"(<D Name="d"><PARAM Name="Tree"><PARAM Name="Sec" Change="NoChange">
        <SAVEPARAM Name="Begin"><MENUSTEP Send="s%CR%" StopAnswer="=> "/></SAVEPARAM>
        <PARAM Name="K" Change="NoChange"><SAVEPARAM Name="Begin"><MENUSTEP Send="k%CR%" StopAnswer="=> "/></SAVEPARAM>
            <ATTR Name="X" Value="1" Change="NoChange"/>
            <SAVEPARAM Name="End"><MENUSTEP Send="Q%CR%" StopAnswer="=> "/></SAVEPARAM></PARAM>
        <PARAM Name="R" Change="NoChange"><SAVEPARAM Name="Begin"><CONDITION Name="IF_1"
            LeftOp="%ATTR:Change%" Compare="=" RightOp="Delete"><MENUSTEP Send="D%CR%" StopAnswer="=> "/>
            </CONDITION></SAVEPARAM><ATTR Name="Y" Value="2" Change="NoChange"/></PARAM>
        <ATTR Name="A" Value="1" Change="NoChange"><SAVEPARAM Name="Begin"><CONDITION Name="IF_1"
            LeftOp="%ATTR:Change%" Compare="=" RightOp="Modify"><MENUSTEP Send="A%ATTR:Value%%CR%" StopAnswer="=> "/>
            </CONDITION></SAVEPARAM></ATTR></PARAM></PARAM></D>)");
    d.Data.SetRoot(d.Find("Tree")->CloneLinked({"ATTR", "PARAM"}, true));
    d.Data.FindNode(nullptr, "R")->SetAttr("Change", "Delete");
    d.Data.FindNode(nullptr, "A")->SetAttr("Change", "Modify");
    d.Data.FindNode(nullptr, "Sec")->SetAttr("Change", "Modify");
    auto steps = d.Manager.GetSaveSteps(d.Find("Tree"), "", false);
    ASSERT_EQ(d.Sends(steps.get()), (TSends{"s\r", "k\r", "Q\r", "D\r", "A1\r"}));
    // The deletion and A are the two changed values; K's steps count for nothing. The node under way when the save
    // stopped is the one a refusal names.
    for (auto [Done, Took, Sent] : {std::tuple{1, 0, "K"}, {3, 0, "R"}, {4, 1, "A"}, {5, 2, ""}}) {
        int T = -1, Total = -1;
        TDataManager::CountSentChanges(*steps, Done, T, Total);
        EXPECT_EQ(Total, 2) << Done;
        EXPECT_EQ(T, Took) << Done;
        const TXmlNode* Node = TDataManager::NodeBeingSent(*steps, Done);
        EXPECT_EQ(Node ? Node->GetName() : std::string(), Sent) << Done;
    }
}

TEST(SaveScripts, AStoreThatResetsOthersIsFollowedByTheirWantedValuesAndTheirMarksStay)
{
    TDocs d(R"(<D Name="d"><PARAM Name="Sec">
        <ATTR Name="Mode" Value="" Change="NoChange" Resets="Port">
          <SAVEPARAM Name="Begin"><CONDITION Name="IF" LeftOp="%ATTR:Change%" Compare="=" RightOp="Modify">
            <MENUSTEP Send="mode %ATTR:Value%"/></CONDITION></SAVEPARAM>
          <ATTR Name="Port" Value="" Change="NoChange">
            <SAVEPARAM Name="Begin"><CONDITION Name="IF" LeftOp="%ATTR:Change%" Compare="=" RightOp="Modify">
              <MENUSTEP Send="port %ATTR:Value%"/></CONDITION></SAVEPARAM></ATTR>
        </ATTR></PARAM></D>)");
    auto sec = d.Find("Sec")->CloneLinked({"ATTR", "PARAM"}, true);
    TXmlNode* Mode = sec->Nodes.FindByName("Mode");
    TXmlNode* Port = Mode->Nodes.FindByName("Port");
    Mode->SetAttr("Value", "DPT");
    Port->SetAttr("Value", "165");
    d.Data.SetRoot(std::move(sec));
    // Unchanged, nothing is sent; the mode sent brings the port's wanted value after it.
    EXPECT_EQ(d.Sends(d.Manager.GetSaveSteps(d.Find("Sec"), "", false).get()), TSends{});
    Mode->SetAttr("Change", "Modify");
    EXPECT_EQ(d.Sends(d.Manager.GetSaveSteps(d.Find("Sec"), "", false).get()), (TSends{"mode DPT", "port 165"}));
    EXPECT_EQ(Port->GetAttr("Change"), "NoChange") << "compiling changed the document";
    TDataManager::StripDescriptionAttrs(Mode);
    EXPECT_FALSE(Mode->Attrs.Find("Resets")) << "a description-only attribute would reach the data";
}

TEST(SaveScripts, AStepTypingItsFieldsTypesOnlyThoseToBeSentAndIsLeftOutWithoutThem)
{
    TDocs d(R"(<D Name="d"><PARAM Name="Day">
        <SAVEPARAM Name="Begin"><MENUSTEP Send="%ATTR:Name%,%ATTR:Value\A%,%ATTR:Value\B%,%ATTR:Value\C%"/></SAVEPARAM>
        <ATTR Name="A" Value="1" Change="NoChange" Resets="C"/><ATTR Name="B" Value="2" Change="NoChange"/>
        <ATTR Name="C" Value="3" Change="NoChange"/></PARAM></D>)");
    d.Data.SetRoot(d.Find("Day")->CloneLinked({"ATTR", "PARAM"}, true));
    const struct {
        const char* Changed;
        TSends Sent;   // the others as empty lines; a value a store resets is sent again
    } Rows[] = {{"", {}}, {"B", {"Day,,2,"}}, {"A", {"Day,1,,3"}}};
    for (const auto& R : Rows) {
        for (const auto& Field : d.Data.Root()->Nodes)
            Field->SetAttr("Change", Field->GetName() == R.Changed ? "Modify" : "NoChange");
        EXPECT_EQ(d.Sends(d.Manager.GetSaveSteps(d.Find("Day"), "", false).get()), R.Sent) << R.Changed;
    }
}

TEST(SaveScripts, ValuesAResettingStoreSendsAgainWithoutMarksAreTakenFromTheDevice)
{
    TDocs d(R"(<D Name="d"><PARAM Name="Sec"><ATTR Name="Rec" Value="1" Change="NoChange">
        <ATTR Name="Type" Value="A" Change="NoChange" Resets="Mode"/><ATTR Name="Mode" Value="m" Change="NoChange"
        Resets="Port"/><ATTR Name="Port" Value="p" Change="NoChange"/></ATTR></PARAM></D>)");
    d.Data.SetRoot(d.Find("Sec")->CloneLinked({"ATTR", "PARAM"}, true));
    TXmlNode* Rec = d.Data.Root()->Nodes.FindByName("Rec");
    TXmlNode* Type = Rec->Nodes.FindByName("Type");
    EXPECT_TRUE(ValuesResentAfterResets(d.Data.Root()).empty()) << "nothing is sent";
    Type->SetAttr("Change", "Modify");
    const std::vector<TXmlNode*> Resent = ValuesResentAfterResets(d.Data.Root());
    ASSERT_EQ(Resent.size(), 2u) << "the mode, and the port the mode resets in turn";
    // The device shows the record with another mode and no port: the port keeps the document's value.
    std::unique_ptr<TXmlNode> Device = d.Data.Root()->Clone(true);
    Device->Nodes.FindByName("Rec")->Nodes.FindByName("Mode")->SetAttr("Value", "m2");
    Device->Nodes.FindByName("Rec")->Nodes.Delete(2);
    EXPECT_EQ(TakeHeldValues(d.Data.Root(), Device.get(), Resent), 1);
    EXPECT_EQ(Resent[0]->GetValue(), "m2");
    EXPECT_EQ(Resent[1]->GetValue(), "p");
    Rec->SetAttr("Change", "Insert");
    EXPECT_TRUE(ValuesResentAfterResets(d.Data.Root()).empty()) << "a record the save makes is not on the device";
}
