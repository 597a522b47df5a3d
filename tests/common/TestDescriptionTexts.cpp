// The description document as built: its text groups hold every key of the program with the program's own
// English text, so replacing from it changes each text and keeps the meaning.
#include "common/StringGroups.h"
#include "common/Utilits.h"
#include "platform/Dialogs.h"
#include "serial/SerPort.h"
#include "support/RecordingDialogs.h"
#include "xml/XmlDoc.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

namespace {

class BuiltDescription : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string path = std::string(ORLANTIS_BIN_DIR) + "/Orlantis.dat";
        if (!std::filesystem::exists(path))
            GTEST_SKIP() << "no " << path << " (datc not built)";
        Doc.ShowErrors = false;
        ASSERT_TRUE(Doc.LoadFromFile(path, true)) << Doc.LastError;
        Unit = Doc.FindNode(Doc.Root(), "Unit Properties");
        Forms = Doc.FindNode(Doc.Root(), "Form Properties");
        ASSERT_NE(Unit, nullptr);
        ASSERT_NE(Forms, nullptr);
        SetPropertiesNodes(Forms, Unit);
    }
    void TearDown() override
    {
        SetPropertiesNodes(nullptr, nullptr);
        ResetUtilitsTexts();
    }
    TXmlDoc Doc;
    TXmlNode* Unit = nullptr;
    TXmlNode* Forms = nullptr;
};

TEST_F(BuiltDescription, ReplacesEveryTextOfTheStoreWithItsEnglishText)
{
    // The warnings around device reads and writes have no text of the program's own: the description gives them.
    const std::set<std::string> supplied = {"SWarningLoadFromVMU1", "SWarningLoadFromVMU2", "SWarningSaveToVMU1",
        "SWarningSaveToVMU2", "SWarningSaveToVMU3", "SWarningSaveToVMU4"};
    for (const auto& [key, text] : UtilitsDefaultTexts())
        SetUtilitsText(key, "?");
    LoadStringConstants(UtilitsUnitGroup);
    for (const auto& [key, text] : UtilitsDefaultTexts()) {
        if (supplied.count(key)) {
            EXPECT_TRUE(text.empty()) << key;
            EXPECT_GT(UtilitsText(key).size(), 20u) << key;
        } else
            EXPECT_EQ(UtilitsText(key), text) << key;
    }
    EXPECT_EQ(Utilits::SWarningSaveToVMU4.back(), '?') << "the save warning ends in its question";
}

TEST_F(BuiltDescription, ErrorAndWarningBoxesTakeTheStoresCaptions)
{
    TRecordingDialogs dialogs;
    TDialogsScope scope(&dialogs);
    SetUtilitsText("SError", "Fehler");
    SetUtilitsText("SWarning", "Achtung");
    ShowError("x");
    MessageDlg("y", mtError, mbOK);
    MessageDlg("z", mtWarning, mbOK);
    ASSERT_EQ(dialogs.Boxes.size(), 3u);
    EXPECT_EQ(dialogs.Boxes[0].Caption, "Fehler");
    EXPECT_EQ(dialogs.Boxes[1].Caption, "Fehler");
    EXPECT_EQ(dialogs.Boxes[2].Caption, "Achtung");
    ResetUtilitsTexts();
    ShowError("x");
    EXPECT_EQ(dialogs.Boxes.back().Caption, "Error");
}

TEST_F(BuiltDescription, SerPortTextsReachThePortsMessages)
{
    for (int i = 0; i < SerPortErrorTextCount; ++i)
        SetSerPortErrorText(i, "?");
    LoadStringConstants(SerPortUnitGroup);
    EXPECT_EQ(SerPortErrorText(0), "Unable to open com port");
    EXPECT_EQ(SerPortErrorText(21), "A component is linked to OnRxBuf event");
    // By key, each to its own place only.
    EXPECT_TRUE(SetGroupString(SerPortUnitGroup, "WaitFailed", "Warten misslungen"));
    EXPECT_EQ(SerPortErrorText(20), "Warten misslungen");
    EXPECT_EQ(SerPortErrorText(19), "Cannot wait for event if event thread is created");
    EXPECT_TRUE(SetGroupString(SerPortUnitGroup, "OpenFailed", "Port geht nicht auf"));
    EXPECT_EQ(ESerPort::CreateNoWin(secOpenFailed).Message, "Port geht nicht auf");
    EXPECT_FALSE(SetGroupString(SerPortUnitGroup, "NoSuchKey", "x"));
    ResetSerPortErrorTexts();
}

TEST_F(BuiltDescription, CarriesTheKeysOfTheOtherThreeGroups)
{
    std::map<std::string, std::vector<std::string>> seen;
    std::vector<TStringGroupSetter> previous;
    for (const char* group : {SerPortUnitGroup, XStrGridUnitGroup, XYmodemUnitGroup})
        previous.push_back(RegisterStringGroup(group, [&seen, g = std::string(group)](const std::string& k,
                                                          const std::string&) {
            seen[g].push_back(k);
            return true;
        }));
    for (const char* group : StringGroupNames)
        LoadStringConstants(group);
    int i = 0;
    for (const char* group : {SerPortUnitGroup, XStrGridUnitGroup, XYmodemUnitGroup})
        RegisterStringGroup(group, previous[i++]);

    ASSERT_EQ(seen[SerPortUnitGroup].size(), 22u);
    EXPECT_EQ(seen[SerPortUnitGroup][19], "ThreadCreated");
    EXPECT_EQ(seen[SerPortUnitGroup][20], "WaitFailed");
    EXPECT_EQ(std::set<std::string>(seen[XStrGridUnitGroup].begin(), seen[XStrGridUnitGroup].end()),
        (std::set<std::string>{"SWrongColumnIndex", "SWrongRowIndex", "SNoColumns", "SCantMakeActive",
            "SCantOpenRegKey", "SNameAlreadyExists"}));
    EXPECT_EQ(seen[XYmodemUnitGroup].size(), 24u);
    EXPECT_EQ(Utilits::SCantOpenRegKey, "Can not open registry key \"%s\".");
}

TEST_F(BuiltDescription, GivesTheBaseWindowItsViewParameters)
{
    TFormMetrics saved = FormMetrics();
    SetFormMetrics(TFormMetrics{});
    TFormParams p;
    ReadFormInfo(FindFormDescription("TBaseMDIForm"), p);
    SetFormMetrics(saved);
    EXPECT_EQ(p.Caption, "BaseMDIForm");
    EXPECT_EQ(p.HelpContextName, "-");
    EXPECT_EQ(p.Width, 268);
    EXPECT_EQ(p.Height, 140);
}

} // namespace
