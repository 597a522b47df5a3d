// The decisions of the department dialing and caller ID routing windows without a window: caller IDs and routings
// shown and stored both ways, the single-character rule, the parameter limits per routing (the mailbox range
// follows the device's mailbox-number length), the refusals of parameters and department extensions, and the row
// an Apply stops at.
#include "forms/attendant/AttendantRules.h"

#include "GridFormFixture.h"
#include "common/Utilits.h"

#include <gtest/gtest.h>

#include <set>

namespace {

class TAttendantServices : public TFakeFormServices {
public:
    std::set<std::string> Mailboxes, MailboxGroups, ExtensionGroups, OpenWindowGroups;
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
    bool CheckExtensionGroupForm(const std::string& V, std::string& Caption) override
    {
        Caption = "Extension Group";
        return !OpenWindowGroups.count(V);
    }
};

} // namespace

TEST(AttendantRules, CallerIDsAndRoutingsAreShownAndStoredBothWays)
{
    EXPECT_EQ(CallerIDText("o"), "Out of Area");
    EXPECT_EQ(CallerIDText("O"), "Out of Area");
    EXPECT_EQ(CallerIDText("p"), "Private");
    EXPECT_EQ(CallerIDText("5551234"), "5551234");
    EXPECT_EQ(CallerIDValue("Out of Area"), "o");
    EXPECT_EQ(CallerIDValue("Private"), "p");
    EXPECT_EQ(CallerIDValue("0123"), "0123");
    EXPECT_EQ(RoutingText(""), "None");
    EXPECT_EQ(RoutingText("Extn."), "Extn.");
    EXPECT_EQ(RoutingValue("None"), "");
    EXPECT_EQ(RoutingValue("Mbx"), "Mbx");

    EXPECT_EQ(CheckCallerIDEntry("p", "").Text, "Private");
    EXPECT_EQ(CheckCallerIDEntry("O", "").Text, "Out of Area");
    EXPECT_EQ(CheckCallerIDEntry("555", "").Text, "555");
    for (const char* Bad : {"p1", "1o", "PP", "55O"}) {
        TCellDecision D = CheckCallerIDEntry(Bad, "");
        EXPECT_FALSE(D.Accepted) << Bad;
        EXPECT_EQ(D.Message, "Invalid entry. Symbols \"o\" or \"p\" should be entered as single character.");
    }
}

TEST(AttendantRules, ParameterLimitsFollowTheRoutingAndTheMailboxLength)
{
    TDeviceFacts Facts;
    Facts.MailboxNoLength = 4;
    TParameterRules Mbx = RoutingParameterRules("Mbx", Facts);
    EXPECT_TRUE(Mbx.Editable);
    EXPECT_EQ(Mbx.MinInteger, 1000);
    EXPECT_EQ(Mbx.MaxInteger, 9999);
    EXPECT_EQ(Mbx.EditLimit, 4);
    TParameterRules Extn = RoutingParameterRules("Extn.", Facts);
    EXPECT_EQ(Extn.MinInteger, 10);
    EXPECT_EQ(Extn.MaxInteger, 99999);
    EXPECT_EQ(Extn.EditLimit, 5);
    TParameterRules Custom = RoutingParameterRules("Custom", Facts);
    EXPECT_EQ(Custom.MinInteger, 1);
    EXPECT_EQ(Custom.MaxInteger, 100);
    EXPECT_EQ(Custom.EditLimit, 3);
    EXPECT_FALSE(RoutingParameterRules("None", Facts).Editable);
    EXPECT_FALSE(RoutingParameterRules("", Facts).Editable);

    EXPECT_EQ(FirstRowMissingParameter({"None", "Mbx", "Custom"}, {"", "101", ""}), 2);
    EXPECT_EQ(FirstRowMissingParameter({"", "None"}, {"", ""}), -1);
    EXPECT_EQ(FirstRowMissingParameter({"Extn."}, {}), 0);
}

TEST(AttendantRules, ParametersAndDepartmentExtensionsAreRefusedForTheirReasons)
{
    TAttendantServices S;
    S.Mailboxes = {"101"};
    S.MailboxGroups = {"500"};
    S.ExtensionGroups = {"600"};
    S.OpenWindowGroups = {"601"};

    EXPECT_TRUE(CheckRoutingParameter("Mbx", "101", "", S).Accepted);
    EXPECT_TRUE(CheckRoutingParameter("Mbx", "500", "", S).Accepted);   // a mailbox group takes calls too
    EXPECT_EQ(CheckRoutingParameter("Mbx", "999", "", S).Message, "Don't use System Manager's Mailbox 999.");
    TCellDecision Unknown = CheckRoutingParameter("Mbx", "777", "", S);
    EXPECT_FALSE(Unknown.Accepted);
    EXPECT_EQ(Unknown.Message, "Mailbox number 777 does not exist.");
    EXPECT_TRUE(CheckRoutingParameter("Mbx", "777", "777", S).Accepted);   // unchanged: not checked again
    EXPECT_FALSE(CheckRoutingParameter("Extn.", "600", "", S).Accepted);
    EXPECT_EQ(CheckRoutingParameter("Extn.", "601", "", S).Message,
        "Extension number 601 already exist in \"Extension Group\".");
    EXPECT_TRUE(CheckRoutingParameter("Extn.", "200", "", S).Accepted);
    EXPECT_TRUE(CheckRoutingParameter("Custom", "777", "", S).Accepted);

    EXPECT_FALSE(CheckDepartmentExtension("600", "", S).Accepted);
    EXPECT_FALSE(CheckDepartmentExtension("601", "210", S).Accepted);
    EXPECT_TRUE(CheckDepartmentExtension("210", "", S).Accepted);
    EXPECT_TRUE(CheckDepartmentExtension("", "600", S).Accepted);
}

TEST(AttendantRules, OperatorColumnsNameOneOperatorAndFieldEach)
{
    std::set<std::pair<int, int>> Seen;
    for (int Field = 0; Field < Operators::FieldCount; ++Field)
        for (int Op = 1; Op <= Operators::Count; ++Op) {
            int F = -1, O = -1;
            ASSERT_TRUE(Operators::ColumnField(Operators::Column(Field, Op), F, O));
            EXPECT_EQ(F, Field);
            EXPECT_EQ(O, Op);
            Seen.insert({F, O});
        }
    EXPECT_EQ(Seen.size(), 12u);
    int F = 0, O = 0;
    EXPECT_FALSE(Operators::ColumnField(0, F, O));
    EXPECT_FALSE(Operators::ColumnField(13, F, O));
    EXPECT_EQ(OperatorModeCount(307), 2);
    EXPECT_EQ(OperatorModeCount(308), 4);
    EXPECT_EQ(OperatorModeName(3), "Break");

    TAttendantServices S;
    S.Mailboxes = {"101"};
    // The System Manager's mailbox is named as such, not as a missing mailbox.
    EXPECT_EQ(CheckOperatorMailbox("999", "", S).Message, "Don't use System Manager's Mailbox 999.");
    EXPECT_EQ(CheckOperatorMailbox("102", "", S).Message, "Mailbox number 102 does not exist.");
    EXPECT_TRUE(CheckOperatorMailbox("101", "", S).Accepted);
}
