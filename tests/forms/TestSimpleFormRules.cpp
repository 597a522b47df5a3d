// The decisions of the simple parameter windows without a window: port lists normalised only when changed and
// refused with the conversion message when bad, fax entries refused for the reasons the windows name, the
// paging-group counter visiting groups 1 to 8 once per description row, the output-code lock, and the RS-232C
// settings reaching the main window only after an accepted apply.
#include "forms/simple/SimpleFormRules.h"

#include "common/Utilits.h"
#include "forms/base/FormServices.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// Services that know some extension groups, an open Extension Group window's numbers and some mailboxes.
class TFakeServices : public TFormServices {
public:
    std::set<std::string> StoredGroups, OpenWindowGroups, Mailboxes;

    TDeviceFacts DeviceFacts() const override { return {}; }
    TXmlDoc* DataDoc() const override { return nullptr; }
    TXmlDoc* ViewDoc() const override { return nullptr; }
    TDataManager* DataManager() const override { return nullptr; }
    TXmlNode* ParamsNode() const override { return nullptr; }
    TXmlNode* GetSection(const std::string&, const std::string&) override { return nullptr; }
    bool ReadSectionIfInteractive(const std::string&, const std::string&) override { return true; }
    bool WriteSectionIfInteractive(const std::string&) override { return true; }
    void SetModified(bool) override {}
    void SectionFormClosed(const std::string&) override {}
    void ForgetSection(const std::string&) override {}
    void ForgetMailboxListing() override {}
    void ForgetMailboxGroup() override {}
    void ForgetExtensionGroup() override {}
    void ForgetExtensionSections(const std::string&) override {}
    std::string GetSectionCaption(const std::string& Section) const override { return Section; }
    bool IsFieldValueFree(const std::string&, const std::string&, std::string&, const std::string&) override
    {
        return true;
    }
    bool IsMailboxNoFree(const std::string& Number) override { return !Mailboxes.count(Number); }
    bool FindMailboxGroup(const std::string&, std::string&) override { return true; }
    bool FindInterviewMailbox(const std::string&, std::string&) override { return true; }
    bool FindExtensionGroup(const std::string& Value, std::string& Caption) override
    {
        Caption = "Extension Group";
        return !StoredGroups.count(Value);
    }
    bool IsExtensionReferenced(const std::string&, const std::string&, std::string&) override { return false; }
    bool MailboxInUseByListingForm(const std::string&) override { return true; }
    bool MailboxInUseByGroupForm(const std::string&) override { return true; }
    bool CheckExtensionGroupForm(const std::string& Number, std::string& Caption) override
    {
        Caption = "Extension Group";
        return !OpenWindowGroups.count(Number);
    }
    bool ExtensionInUseByForms(const std::string&, const std::string&, std::string&) override { return true; }
    bool ReportOpenForms(const std::vector<std::string>&) override { return false; }
    void ReplaceMailboxReferences(const std::string&, const std::string&) override {}
    void ClearInterviewReferences(const std::string&, const std::string&) override {}
    TBaseMDIForm* FindChildForm(const TFormKinds&, const TBaseMDIForm*, int32_t) const override { return nullptr; }
    bool CloseOwnedForms(const TBaseMDIForm*) override { return true; }
    void PostPortSettingsChanged(const std::string&, const std::string&, const std::string&, const std::string&) override
    {
    }
};

TEST(SimpleFormRules, PortListsAreNormalisedOnlyWhenChangedAndBadOnesAreRefused)
{
    TCellDecision d = NormalizePortListText("4,1-2,2,3", "1-2", 4);
    EXPECT_TRUE(d.Accepted);
    EXPECT_EQ(d.Text, "1-4");
    // Left as it was when the editor opened: kept as typed, even in a form the device would not print.
    d = NormalizePortListText("2,1", "2,1", 4);
    EXPECT_TRUE(d.Accepted);
    EXPECT_EQ(d.Text, "2,1");
    d = NormalizePortListText("", "1-2", 4);
    EXPECT_TRUE(d.Accepted);
    EXPECT_EQ(d.Text, "");
    // A port the device does not have, and a text that is no list: refused with the conversion message.
    d = NormalizePortListText("1,5", "1-2", 4);
    EXPECT_FALSE(d.Accepted);
    EXPECT_NE(d.Message.find("5"), std::string::npos) << d.Message;
    d = NormalizePortListText("1,x", "1-2", 4);
    EXPECT_FALSE(d.Accepted);
    EXPECT_EQ(d.Message, "'x' is not a valid integer value");
}

TEST(SimpleFormRules, FaxEntriesAreRefusedForTheReasonsTheWindowNames)
{
    TFakeServices s;
    s.StoredGroups = {"300"};
    s.OpenWindowGroups = {"310"};
    s.Mailboxes = {"101"};

    EXPECT_TRUE(CheckFaxExtension("251", "250", "252", s).Accepted);
    TCellDecision d = CheckFaxExtension("252", "250", "252", s);
    EXPECT_FALSE(d.Accepted);
    EXPECT_EQ(d.Message, "Duplicate extension number in this form.");
    d = CheckFaxExtension("300", "250", "", s);
    EXPECT_FALSE(d.Accepted);
    EXPECT_EQ(d.Message, "Extension number 300 already exist in \"Extension Group\".");
    EXPECT_FALSE(CheckFaxExtension("310", "250", "", s).Accepted);
    // The VMU takes an extension of 2 to 5 digits only.
    EXPECT_EQ(CheckFaxExtension("7", "250", "", s).Message, "An extension number has 2 to 5 digits.");
    EXPECT_EQ(CheckFaxExtension("123456", "250", "", s).Message, "An extension number has 2 to 5 digits.");
    EXPECT_TRUE(CheckFaxExtension("12345", "250", "", s).Accepted);
    // Unchanged or emptied entries are never checked (the other row may hold the same text while it is edited).
    EXPECT_TRUE(CheckFaxExtension("252", "252", "252", s).Accepted);
    EXPECT_TRUE(CheckFaxExtension("", "250", "", s).Accepted);

    EXPECT_TRUE(CheckFaxMailbox("101", "", s).Accepted);
    d = CheckFaxMailbox("102", "", s);
    EXPECT_FALSE(d.Accepted);
    EXPECT_EQ(d.Message, "Mailbox number 102 does not exist.");
    EXPECT_TRUE(CheckFaxMailbox("", "101", s).Accepted);
}

TEST(SimpleFormRules, OnePagingRowIsPlacedForEachOfTheEightGroupsAndTheCounterStartsAgain)
{
    for (int pass = 0; pass < 2; ++pass) {
        int32_t counter = 1;
        std::vector<int32_t> placed{counter};
        while (NextPagingGroup(counter))
            placed.push_back(counter);
        EXPECT_EQ(placed, (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8}));
        EXPECT_EQ(counter, 1);
    }
}

TEST(SimpleFormRules, OutputCodeFollowsItsInputCode)
{
    TOutputCodeState s = OutputCodeAfterInput("12");
    EXPECT_TRUE(s.Editable);
    EXPECT_FALSE(s.Clear);
    s = OutputCodeAfterInput("");
    EXPECT_FALSE(s.Editable);
    EXPECT_TRUE(s.Clear);
    EXPECT_EQ(CapitalText("*1x#fw"), "*1X#FW");
}

TEST(SimpleFormRules, PortSettingsGoToTheMainWindowOnlyAfterAnAcceptedApply)
{
    TRS232CSettings s = RS232CSettingsFromRows({"19200", "7", "Even", "2"});
    EXPECT_EQ(s.BaudRate, "19200");
    EXPECT_EQ(s.DataBits, "7");
    EXPECT_EQ(s.Parity, "Even");
    EXPECT_EQ(s.StopBits, "2");
    s = RS232CSettingsFromRows({"4800"});
    EXPECT_EQ(s.BaudRate, "4800");
    EXPECT_EQ(s.StopBits, "");

    EXPECT_TRUE(ShouldPostPortSettings(true, false));
    EXPECT_FALSE(ShouldPostPortSettings(false, false));   // the device refused a value
    EXPECT_FALSE(ShouldPostPortSettings(true, true));     // batch mode: the device has not changed
}

}
