// The decisions of the custom service windows without a window: the action codes and assignments shown in full
// and abbreviated, both ways; the parameter limits per assignment; which parameters are refused; the row an Apply
// stops at; and the names that give each key's nodes a row of their own.
#include "forms/custom/CustomServiceRules.h"

#include "GridFormFixture.h"
#include "common/Utilits.h"

#include <gtest/gtest.h>

#include <set>

using namespace CustomService;

namespace {
class TLookupServices : public TFakeFormServices {
public:
    std::set<std::string> Mailboxes, MailboxGroups, ExtensionGroups;
    bool IsMailboxNoFree(const std::string& N) override { return !Mailboxes.count(N); }
    bool FindMailboxGroup(const std::string& V, std::string& Caption) override
    {
        Caption = "Mailbox Group";
        return !MailboxGroups.count(V);
    }
    bool FindExtensionGroup(const std::string& V, std::string& Caption) override
    {
        Caption = "Extension Group";
        return !ExtensionGroups.count(V);
    }
};
} // namespace

TEST(CustomServiceRules, ActionsAndAssignmentsAreShownStoredAndAbbreviated)
{
    const std::vector<std::array<const char*, 3>> Actions = {{"a", "Transfer to Mailbox", "Mbx"},
        {"b", "Transfer to Extension", "Extn"}, {"c", "Operator", "Oper"}, {"d", "Exit", "Exit"},
        {"e", "Previous Menu", "Prev"}, {"f", "Custom Service", "C.S."}};
    for (const auto& [Letter, Text, Short] : Actions) {
        EXPECT_EQ(ActionText(Letter), Text);
        EXPECT_EQ(ActionValue(Text), Letter);
        EXPECT_EQ(ActionAbbreviation(Letter), Short);
        EXPECT_EQ(AssignmentAbbreviation(Text), Short);
    }
    // Outside the tables a value is shown and stored as it stands.
    EXPECT_EQ(ActionText("g"), "g");
    EXPECT_EQ(ActionText("A"), "A");
    EXPECT_EQ(ActionValue("Dial by Name"), "Dial by Name");
    EXPECT_EQ(ActionAbbreviation(""), "");
    EXPECT_EQ(AssignmentAbbreviation("Voice Mail Service"), "VMS");
    EXPECT_EQ(AssignmentAbbreviation("FAX Transfer"), "Fax");
    EXPECT_EQ(AssignmentAbbreviation("None"), "None");
    EXPECT_EQ(AssignmentAbbreviation("fax transfer"), "fax transfer");
}

TEST(CustomServiceRules, KeysRowsAndParameterLimits)
{
    EXPECT_EQ(KeyText(0), "0");
    EXPECT_EQ(KeyText(10), "*");
    EXPECT_EQ(KeyText(11), "#");
    EXPECT_EQ(KeyText(12), "");
    EXPECT_EQ(KeyText(-1), "");
    EXPECT_EQ(KeyOfRow(7), "");
    EXPECT_EQ(KeyOfRow(8), "0");
    EXPECT_EQ(KeyOfRow(31), "#");
    EXPECT_FALSE(IsAssignmentRow(5));
    EXPECT_TRUE(IsAssignmentRow(6));
    EXPECT_TRUE(IsAssignmentRow(30));
    EXPECT_FALSE(IsAssignmentRow(32));
    EXPECT_FALSE(IsParameterRow(5));
    EXPECT_TRUE(IsParameterRow(7));
    EXPECT_TRUE(IsParameterRow(31));
    EXPECT_FALSE(IsParameterRow(33));

    TDeviceFacts Facts;
    Facts.MailboxNoLength = 4;
    TParameterRules M = AssignmentParameterRules("Transfer to Mailbox", Facts);
    EXPECT_TRUE(M.Editable);
    EXPECT_EQ(M.MinInteger, 1000);
    EXPECT_EQ(M.MaxInteger, 9999);
    EXPECT_EQ(M.EditLimit, 4);
    TParameterRules E = AssignmentParameterRules("Transfer to Extension", Facts);
    EXPECT_EQ(std::make_tuple(E.Editable, E.MinInteger, E.MaxInteger, E.EditLimit), std::make_tuple(true, 10, 99999, 5));
    TParameterRules C = AssignmentParameterRules("Custom Service", Facts);
    EXPECT_EQ(std::make_tuple(C.Editable, C.MinInteger, C.MaxInteger, C.EditLimit), std::make_tuple(true, 1, 100, 3));
    for (const char* Other : {"None", "Operator", "Exit", "Previous Menu", "Dial by Name", "Mbx", ""})
        EXPECT_FALSE(AssignmentParameterRules(Other, Facts).Editable) << Other;
}

TEST(CustomServiceRules, ParametersAreCheckedAndApplyStopsAtTheFirstOneMissing)
{
    TLookupServices S;
    S.Mailboxes = {"101"};
    S.MailboxGroups = {"500"};
    S.ExtensionGroups = {"300"};
    EXPECT_TRUE(CheckAssignmentParameter("Transfer to Mailbox", "101", "", S).Accepted);
    EXPECT_TRUE(CheckAssignmentParameter("Transfer to Mailbox", "500", "", S).Accepted);
    TCellDecision NoMailbox = CheckAssignmentParameter("Transfer to Mailbox", "102", "", S);
    EXPECT_FALSE(NoMailbox.Accepted);
    EXPECT_EQ(NoMailbox.Message, "Mailbox number 102 does not exist.");
    // Left as it was, or emptied: no check.
    EXPECT_TRUE(CheckAssignmentParameter("Transfer to Mailbox", "102", "102", S).Accepted);
    EXPECT_TRUE(CheckAssignmentParameter("Transfer to Mailbox", "", "101", S).Accepted);
    TCellDecision Group = CheckAssignmentParameter("Transfer to Extension", "300", "", S);
    EXPECT_FALSE(Group.Accepted);
    EXPECT_EQ(Group.Message, "Extension number 300 already exist in \"Extension Group\".");
    EXPECT_TRUE(CheckAssignmentParameter("Transfer to Extension", "301", "", S).Accepted);
    EXPECT_TRUE(CheckAssignmentParameter("Custom Service", "300", "", S).Accepted);

    std::vector<std::string> Rows(RowCount);
    Rows[NameRow] = "MAIN";
    Rows[ActionRow] = "Operator";
    EXPECT_EQ(FirstMissingParameterRow(Rows), -1);
    Rows[ActionRow] = "Transfer to Extension";
    EXPECT_EQ(FirstMissingParameterRow(Rows), ActionRow + 1);
    Rows[ActionRow + 1] = "210";
    Rows[KeyRow(11)] = "Custom Service";   // the last key
    EXPECT_EQ(FirstMissingParameterRow(Rows), KeyRow(11) + 1);
    Rows[KeyRow(11) + 1] = "2";
    Rows[KeyRow(4)] = "Dial by Name";
    EXPECT_EQ(FirstMissingParameterRow(Rows), -1);
}

TEST(CustomServiceRules, EachKeysNodesAreNamedAfterTheirKeypad)
{
    TXmlDoc Doc;
    Doc.XmlText = "<DATA><PARAM Name=\"Keypad 4\" ParseValue=\"4\"><ATTR Name=\"Assignment\">"
                  "<ATTR Name=\"Assignment Parameter\"/></ATTR></PARAM>"
                  "<PARAM Name=\"Keypad *\"><ATTR Name=\"Assignment\"/></PARAM>"
                  "<PARAM Name=\"Keypad %T%\" ParseValue=\"%T%\"><ATTR Name=\"Assignment\"/></PARAM></DATA>";
    ASSERT_TRUE(Doc.ParseText()) << Doc.LastError;
    TXmlNode* Four = Doc.FindNode(nullptr, "Keypad 4");
    std::string Key = "#";
    EXPECT_EQ(CustomServiceNodeName(Doc.FindNode(Four, "Assignment"), "Assignment", 1, Key), "Assignment4");
    EXPECT_EQ(Key, "4");
    Key.clear();
    EXPECT_EQ(CustomServiceNodeName(Doc.FindNode(Four, "Assignment Parameter"), "Assignment Parameter", 1, Key),
        "Assignment Parameter4");
    // A keypad read without its key as "ParseValue" still has it in its name.
    TXmlNode* Star = Doc.FindNode(nullptr, "Keypad *");
    EXPECT_EQ(CustomServiceNodeName(Doc.FindNode(Star, "Assignment"), "Assignment", 1, Key), "Assignment*");
    // The description's keypad leaves the key the caller set.
    Key = "9";
    TXmlNode* Template = Doc.FindNode(nullptr, "Keypad %T%");
    EXPECT_EQ(CustomServiceNodeName(Doc.FindNode(Template, "Assignment"), "Assignment", 1, Key), "Assignment9");
    EXPECT_EQ(CustomServiceNodeName(nullptr, "Custom No. %T%", 37, Key), "Custom No. 37");
    EXPECT_EQ(CustomServiceNodeName(nullptr, "Menu Prompt No.", 37, Key), "Menu Prompt No.");
    EXPECT_EQ(KeyCaption("Key %s", "#"), "Key #");
    EXPECT_EQ(KeyCaption("Repeat Times", "#"), "Repeat Times");
}
