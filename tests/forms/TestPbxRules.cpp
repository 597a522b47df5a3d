// The PBX tables per firmware (type list and shown names, modes, presets, tone codes) and the places the alternate
// extensions are addressed by, at the boundaries where they change.
#include "forms/base/FormNodeServices.h"
#include "forms/numbering/NumberListRules.h"
#include "forms/pbx/PbxRules.h"

#include "FormDocuments.h"

#include <gtest/gtest.h>

namespace {
const std::vector<std::string> Newest = {"T308/T616", "T1232", "T96", "T336", "TD1232", "TD308", "TA series", "Other",
    "TD612", "TDA series"};
using Names = std::vector<std::string>;
}

TEST(PbxTypes, TheListAndTheShownNameFollowTheFirmware)
{
    EXPECT_EQ(Pbx::TypeNames(Newest, 418), (Names{"T308/T616", "T1232", "T96", "T336", "TD816/TD1232", "TD308",
                                               "TA series", "Other", "TD612", "TDA series"}));
    const Names From414 = {"T308/T616", "T1232", "T96", "T336", "TD816/TD1232", "TD308", "TA series", "Other", "TD612"};
    EXPECT_EQ(Pbx::TypeNames(Newest, 417), From414);
    EXPECT_EQ(Pbx::TypeNames(Newest, 414), From414);
    const Names From409 = {"T308/T616", "T1232", "T96", "T336", "TD816/TD1232/TD612", "TD308", "TA series", "Other"};
    EXPECT_EQ(Pbx::TypeNames(Newest, 413), From409);
    EXPECT_EQ(Pbx::TypeNames(Newest, 409), From409);
    EXPECT_EQ(Pbx::TypeNames(Newest, 408), (Names{"T308/T616", "T1232", "T96", "T336", "TD816/TD1232/TD612", "TD308",
                                               "TA series"}));
    EXPECT_EQ(Pbx::TypeNames(Newest, 308), Pbx::TypeNames(Newest, 408));
    EXPECT_EQ(Pbx::TypeNames(Newest, 307), (Names{"T308", "T616", "T1232", "T96", "T336", "TD816", "TD1232"}));

    EXPECT_EQ(Pbx::TypeText("TD1232", 414), "TD816/TD1232");
    EXPECT_EQ(Pbx::TypeText("TD1232", 413), "TD816/TD1232/TD612");
    EXPECT_EQ(Pbx::TypeText("TD1232", 308), "TD816/TD1232/TD612");
    EXPECT_EQ(Pbx::TypeText("TD1232", 307), "TD1232");
    EXPECT_EQ(Pbx::TypeText("T96", 414), "T96");
    EXPECT_EQ(Pbx::TypeValue("TD816/TD1232"), "TD1232");
    EXPECT_EQ(Pbx::TypeValue("TD816/TD1232/TD612"), "TD1232");
    EXPECT_EQ(Pbx::TypeValue("TD816"), "TD816");
}

TEST(PbxTypes, ModesATypeBringsAndRefuses)
{
    EXPECT_EQ(Pbx::DefaultMode("Other"), "none");
    EXPECT_EQ(Pbx::DefaultMode("T616"), "none");
    EXPECT_EQ(Pbx::DefaultMode("T336"), "Inband");
    EXPECT_EQ(Pbx::DefaultMode("TD816/TD1232/TD612"), "DPT");
    EXPECT_EQ(Pbx::DefaultMode("TA series"), "APT");
    EXPECT_EQ(Pbx::DefaultMode("XYZ"), "");
    // Each row: the type, then whether none, Inband, APT, DPT are allowed.
    const std::vector<std::pair<std::string, std::array<bool, 4>>> Rows = {{"Other", {true, true, false, false}},
        {"T308/T616", {true, false, false, false}}, {"T96", {true, true, false, false}},
        {"TDA series", {true, true, false, true}}, {"TA series", {true, true, true, false}},
        {"XYZ", {true, true, true, true}}};
    for (const auto& [Type, Allowed] : Rows)
        for (size_t m = 0; m < 4; ++m)
            EXPECT_EQ(Pbx::IsModeAllowed(Pbx::Modes[m], Type), Allowed[m]) << Type << " " << Pbx::Modes[m];
}

TEST(PbxTypes, PresetsNumberThePortsOrEmptyAndLockThem)
{
    Pbx::TPreset P = Pbx::PresetFor("TD612", "DPT");
    EXPECT_TRUE(P.Known && P.PortsEditable);
    EXPECT_EQ(P.PortExtension(1), "265");
    EXPECT_EQ(P.PortExtension(2), "266");
    EXPECT_EQ(P.Dials, (std::array<std::string, 10>{"FX", "FX", "FX", "F", "F", "F", "", "", "2", "F"}));
    EXPECT_EQ(Pbx::PresetFor("TD816/TD1232/TD612", "DPT").PortExtension(1), "295");
    EXPECT_EQ(Pbx::PresetFor("TD816/TD1232", "DPT").PortExtension(4), "168");
    P = Pbx::PresetFor("TDA series", "DPT");
    EXPECT_TRUE(P.PortsEditable);
    EXPECT_EQ(P.PortExtension(1), "");
    P = Pbx::PresetFor("TD308", "Inband");
    EXPECT_FALSE(P.PortsEditable);
    EXPECT_EQ(P.PortExtension(1), "");
    EXPECT_EQ(P.Dials[6], "T701X");
    EXPECT_EQ(P.Dials[7], "T700X");
    EXPECT_EQ(Pbx::PresetFor("TA series", "APT").PortExtension(1), "107");
    EXPECT_EQ(Pbx::PresetFor("TA series", "none").Dials[6], "T701X#");
    EXPECT_EQ(Pbx::PresetFor("T96", "Inband").Dials[7], "T#90X");
    EXPECT_EQ(Pbx::PresetFor("Other", "none").Dials[0], "FX");
    EXPECT_FALSE(Pbx::PresetFor("XYZ", "DPT").Known);
}

TEST(PbxTypes, ToneCodesOfEachTypeAndTheirMarks)
{
    EXPECT_EQ(Pbx::InbandCodeFor("T96", "Ringback"), "A1");
    EXPECT_EQ(Pbx::InbandCodeFor("T336", "Disconnect"), "DD");
    EXPECT_EQ(Pbx::InbandCodeFor("TDA series", "Disconnect"), "#9");
    EXPECT_EQ(Pbx::InbandCodeFor("T308", "Busy"), "");
    EXPECT_EQ(Pbx::InbandCodeFor("XYZ", "Busy"), std::nullopt);
    EXPECT_EQ(Pbx::InbandCodeFor("T96", "Hold"), std::nullopt);

    TFormDocuments D(R"(<ORLANTIS><PARAM Name="Inband Signaling" Change="NoChange">
        <ATTR Name="Ringback" Value="1" Change="NoChange"/><ATTR Name="Busy" Value="B1" Change="NoChange"/>
        <ATTR Name="Hold" Value="7" Change="NoChange"/></PARAM></ORLANTIS>)");
    TXmlNode* Section = D.AddSection("Inband Signaling");
    ASSERT_NE(Section, nullptr);
    EXPECT_EQ(Pbx::SetInbandCodes(Section, "T96"), 1);
    EXPECT_EQ(Section->GetAttr("Change"), "Modify");
    TXmlNode* Ringback = D.Data.FindNode(Section, "Ringback");
    EXPECT_EQ(Ringback->GetValue(), "A1");
    EXPECT_EQ(Ringback->GetAttr("Change"), "Modify");
    // A code that is already there is not sent again; a signal without a code keeps its value.
    EXPECT_EQ(D.Data.FindNode(Section, "Busy")->GetAttr("Change"), "NoChange");
    EXPECT_EQ(D.Data.FindNode(Section, "Hold")->GetValue(), "7");
    EXPECT_EQ(Pbx::SetInbandCodes(Section, "T96"), 0);
}

TEST(AlternateEntries, PlacesFollowTheDeletionsBeforeThemAndNewEntriesComeLast)
{
    TFormDocuments D(R"(<ORLANTIS><PARAM Name="Alternate Extension" Change="NoChange">
        <ATTR Name="Extension No. %T%" Value="" ParseValue="%T%" Change="NoChange"/></PARAM></ORLANTIS>)");
    TXmlNode* Section = D.AddSection("Alternate Extension");
    ASSERT_NE(Section, nullptr);
    ClearFormParamNodes(Section);
    auto Add = [&](int N, const char* Change) {
        TXmlNode* E = D.AddRecord(Section, "Extension No. %T%");
        E->SetAttr("Name", "Extension No. " + std::to_string(N));
        E->SetAttr("ParseValue", std::to_string(N));
        E->SetAttr("Change", Change);
    };
    // Entries 2 and 4 of 5 deleted, one entry added.
    for (int n = 1; n <= 5; ++n)
        Add(n, n == 2 || n == 4 ? "Delete" : "NoChange");
    Add(6, "Insert");
    auto Places = [&] {
        std::string R;
        for (const auto& C : Section->Nodes)
            R += C->GetAttr("ParseValue") + (C->GetAttr("Change") == "Delete" ? "d " : " ");
        return R;
    };
    NumberAlternateEntries(Section);
    EXPECT_EQ(Places(), "1 2d 2 3d 3 4 ");
    // Worked out from the marks alone: a second Apply (or a retry) gives the same places.
    NumberAlternateEntries(Section);
    EXPECT_EQ(Places(), "1 2d 2 3d 3 4 ");
    // Once the device took it all, the entries are addressed by their new places.
    for (int i = Section->Nodes.Count() - 1; i >= 0; --i)
        if (Section->Nodes.Items(i)->GetAttr("Change") == "Delete")
            Section->Nodes.Delete(i);
    NumberAlternateEntries(Section);
    EXPECT_EQ(Places(), "1 2 3 4 ");

    EXPECT_EQ(MaxAlternateEntryNumber(Section), 100);
    Section->Nodes.Items(0)->SetAttr("Name", "Extension No. 104");
    EXPECT_EQ(MaxAlternateEntryNumber(Section), 104);
}
