// The decisions of the mailbox, class-of-service and port/trunk windows without a window: stored and shown texts
// round-trip (the older firmware's schedule texts too), each cell check answers as its table row says (a text that
// is no number is refused with a message, never converted), the add limit, and the order in which a deletion is
// carried into other sections.
#include "forms/mailbox/MailboxRules.h"
#include "forms/service/ServiceRules.h"

#include "GridFormFixture.h"
#include "common/Utilits.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// Mailboxes, interview numbers, mailbox and extension groups and referenced extensions as the main window knows them.
class TLookupServices : public TFakeFormServices {
public:
    std::set<std::string> Mailboxes{"101", "102"}, Interviews{"310"}, MailboxGroups{"500"}, ExtGroups{"3"},
        Extensions{"250"};
    bool IsMailboxNoFree(const std::string& N) override { return !Mailboxes.count(N) && N != Facts.SystemManagerMailbox; }
    bool FindInterviewMailbox(const std::string& V, std::string&) override { return !Interviews.count(V); }
    bool FindMailboxGroup(const std::string& V, std::string& C) override
    {
        C = "Mailbox Group";
        return !MailboxGroups.count(V);
    }
    bool FindExtensionGroup(const std::string& V, std::string& C) override
    {
        C = "Extension Group";
        return !ExtGroups.count(V);
    }
    bool IsExtensionReferenced(const std::string& N, const std::string&, std::string& C) override
    {
        C = "Operator's Parameters";
        return !Extensions.count(N);
    }
};

struct TCase {
    std::string Text;
    bool Accepted;
    std::string Stored;   // the text kept (accepted) or the message (refused)
};

void Expect(const TCellDecision& D, const TCase& C, const std::string& What)
{
    EXPECT_EQ(D.Accepted, C.Accepted) << What << " '" << C.Text << "'";
    EXPECT_EQ(D.Accepted ? D.Text : D.Message, C.Stored) << What << " '" << C.Text << "'";
}

} // namespace

TEST(MailboxServiceRules, StoredAndShownTextsRoundTrip)
{
    for (int32_t Flash : {308, 408, 409, 500}) {
        for (const std::string Value : {"ALL USE", "NO USE", "08:00", "", "All Day", "No Use"}) {
            // From 4.09 on the device's texts are the window's; before, only its own two are mapped.
            if (Flash < 409 && (Value == "All Day" || Value == "No Use"))
                continue;
            EXPECT_EQ(ScheduleTextToValue(ScheduleValueToText(Value, Flash), Flash), Value) << Flash << " " << Value;
        }
    }
    EXPECT_EQ(ScheduleValueToText("ALL USE", 408), "All Day");
    EXPECT_EQ(ScheduleValueToText("NO USE", 131), "No Use");
    EXPECT_EQ(ScheduleValueToText("ALL USE", 409), "ALL USE");
    EXPECT_EQ(ScheduleTextToValue("No Use", 409), "No Use");

    for (const auto& [Key, Value, Text] : std::vector<std::tuple<std::string, std::string, std::string>>{
             {"Company Greeting No.", "System Greeting", "System"}, {"Company Greeting No.", "None", "None"},
             {"Company Greeting No.", "12", "12"}, {"Incoming Call Service", "V.M.", "Voice Mail"},
             {"Incoming Call Service", "Auto. Attn.", "Auto. Attn."}, {"Incoming Call Service", "Interview", "Interview"},
             {"Greeting No.", "System", "System"}, {"Number", "V.M.", "V.M."}}) {
        EXPECT_EQ(ServiceValueToText(Key, Value), Text) << Key;
        EXPECT_EQ(ServiceTextToValue(Key, Text), Value) << Key;
    }
}

TEST(MailboxServiceRules, GreetingAndNumberCellsRefuseWhatIsNoNumber)
{
    const std::string NotInt = "'1a' is not a valid integer value";
    const std::string SingleChar = Format(Utilits::SInvalidEntryChar, {"s", "n"});
    for (const TCase& C : std::vector<TCase>{{"", true, "None"}, {"n", true, "None"}, {"S", true, "System"},
             {"s", true, "System"}, {"0", true, "1"}, {"7", true, "7"}, {"40", true, "32"}, {"sn", false, SingleChar},
             {"1s", false, SingleChar}, {"1a", false, NotInt}, {"-3", false, "'-3' is not a valid integer value"},
             {"99999999999", false, "'99999999999' is not a valid integer value"}})
        Expect(CompanyGreetingText(C.Text), C, "company greeting");
    for (const TCase& C : std::vector<TCase>{{"s", true, "System"}, {"System", true, "System"}, {"0", true, "1"},
             {"33", true, "32"}, {"1a", false, NotInt}, {"", false, "'' is not a valid integer value"}})
        Expect(GreetingText(C.Text), C, "greeting");

    TLookupServices S;
    for (const auto& [Service, C] : std::vector<std::pair<std::string, TCase>>{
             {"Interview", {"310", true, "310"}},
             {"Interview", {"311", false, Format(Utilits::SInterviewMbxNotExist, {"311"})}},
             {"Interview", {"1a", false, NotInt}}, {"Custom", {"0", true, "1"}}, {"Custom", {"250", true, "100"}},
             {"Custom", {"1a", false, NotInt}}, {"Custom", {"", true, ""}}})
        Expect(CheckServiceNumber(Service, C.Text, "", S), C, Service);
    // Left as it was: no check at all.
    Expect(CheckServiceNumber("Interview", "999", "999", S), {"999", true, "999"}, "unchanged");

    for (const TCase& C : std::vector<TCase>{{"3", true, "5"}, {"1", true, "5"}, {"0", true, "0"}, {"5", true, "5"},
             {"180", true, "180"}, {"1a", false, NotInt}})
        Expect(COSMessageTimeText(C.Text), C, "message time");
    EXPECT_EQ(TrunkDelayText("0"), "1");
    EXPECT_EQ(TrunkDelayText("4"), "4");
}

TEST(MailboxServiceRules, ListingChecksNameTheirReason)
{
    TLookupServices S;
    const std::vector<std::string> Extensions = {"201", "202", ""};
    for (const TCase& C : std::vector<TCase>{{"203", true, "203"}, {"", true, ""},
             {"202", false, Format(Utilits::SExtensionAlreadyExistIn, {"202", "Mailbox Listing"})},
             {"250", false, Format(Utilits::SExtensionAlreadyExistIn, {"250", "Operator's Parameters"})}})
        Expect(CheckListingExtension(C.Text, "201", Extensions, 0, "Mailbox Listing", S), C, "extension");
    // Its own row's extension is no clash.
    Expect(CheckListingExtension("201", "", Extensions, 0, "Mailbox Listing", S), {"201", true, "201"}, "own");

    for (const TCase& C : std::vector<TCase>{{"4", true, "4"},
             {"3", false, Format(Utilits::SExtensionAlreadyExistIn, {"3", "Extension Group"})},
             {"1a", false, "'1a' is not a valid integer value"}})
        Expect(CheckListingExtensionGroup(C.Text, "", S), C, "extension group");

    const std::vector<std::string> Mailboxes = {"101", "102", "170", "999"};
    const std::vector<std::string> Interviews = {"310", "", "", ""};
    for (const TCase& C : std::vector<TCase>{{"320", true, "320"},
             {"170", false, Format(Utilits::SMailboxAlreadyExist, {"170"})},   // a new, unapplied row
             {"102", false, Format(Utilits::SMailboxAlreadyExist, {"102"})},
             {"500", false, Format(Utilits::SMailboxAlreadyExist, {"500"})},   // a mailbox group
             {"310", false, Format(Utilits::SMailboxAlreadyExist, {"310"})},   // another row's interview number
             {"999", false, Format(Utilits::SMailboxAlreadyExist, {"999"})},
             {"3x0", false, "'3x0' is not a valid integer value"}})
        Expect(CheckInterviewNumber(C.Text, "", Mailboxes, Interviews, 1, S), C, "interview");
    Expect(CheckInterviewNumber("310", "", Mailboxes, Interviews, 0, S), {"310", true, "310"}, "own interview");
}

TEST(MailboxServiceRules, AddLimitDependentRowsAndServiceNumbers)
{
    // Rows: the user mailboxes, the Message Manager's and the System Manager's.
    EXPECT_TRUE(MayAddMailbox(31, 30));
    EXPECT_FALSE(MayAddMailbox(32, 30));
    EXPECT_FALSE(MayAddMailbox(33, 30));
    EXPECT_TRUE(MayAddMailbox(2, 1));

    EXPECT_EQ(COSDependentRows("Authorization for Message Notification"), 3);
    EXPECT_EQ(COSDependentRows("Authorization for Auto Forwarding"), 3);
    EXPECT_EQ(COSDependentRows("Authorization for External Message Delivery"), 1);
    EXPECT_EQ(COSDependentRows("Delay Time"), 0);
    bool ReadOnly = false;
    EXPECT_TRUE(COSDependentLock("No", ReadOnly));
    EXPECT_TRUE(ReadOnly);
    EXPECT_TRUE(COSDependentLock("Yes", ReadOnly));
    EXPECT_FALSE(ReadOnly);
    EXPECT_FALSE(COSDependentLock("Maybe", ReadOnly));

    TDeviceFacts F;
    F.MailboxNoLength = 4;
    const TServiceNumberRules Interview = ServiceNumberRules("Interview", F);
    EXPECT_TRUE(Interview.Editable && Interview.SetRange);
    EXPECT_EQ(Interview.Min, 1000);
    EXPECT_EQ(Interview.Max, 9999);
    EXPECT_EQ(Interview.Limit, 4);
    const TServiceNumberRules Custom = ServiceNumberRules("Custom", F);
    EXPECT_EQ(Custom.Max, 100);
    for (const char* Service : {"None", "Voice Mail", "Auto. Attn."})
        EXPECT_FALSE(ServiceNumberRules(Service, F).Editable) << Service;

    TLookupServices S;
    Expect(CheckForwardMailbox("101", "", F, S), {"101", true, "101"}, "forward");
    Expect(CheckForwardMailbox("999", "", F, S), {"999", true, "999"}, "System Manager");
    Expect(CheckForwardMailbox("150", "", F, S), {"150", false, Format(Utilits::SMailboxNotExist, {"150"})}, "none");
}

TEST(MailboxServiceRules, DevicesDaysAndModesHaveTheDevicesNames)
{
    EXPECT_EQ(DeviceName(0) + DeviceName(1) + DeviceName(2), "1ST2ND3RD");
    EXPECT_EQ(DeviceName(3), "");
    EXPECT_EQ(DayName(0), "Mon");
    EXPECT_EQ(DayName(6), "Sun");
    EXPECT_EQ(DayName(7), "");
    EXPECT_EQ(ModeName(1) + ModeName(4), "DayBreak");
    EXPECT_EQ(ModeName(0), "");
    EXPECT_EQ(DeviceNumberText("x123"), "X123");
    EXPECT_TRUE(IsBeeperNumber("55x"));
    EXPECT_FALSE(IsBeeperNumber("555"));
    EXPECT_FALSE(ScheduleHasSecondFrame("No Use", ""));
    EXPECT_FALSE(ScheduleHasSecondFrame("all day", "13:00"));
    EXPECT_FALSE(ScheduleHasSecondFrame("08:00", "NO USE"));
    EXPECT_TRUE(ScheduleHasSecondFrame("08:00", "13:00"));
}

TEST(MailboxServiceRules, AMessageTimeOfFourIsRaisedToFiveAndSixStays)
{
    EXPECT_EQ(COSMessageTimeText("4").Text, "5");
    EXPECT_TRUE(COSMessageTimeText("4").Accepted);
    EXPECT_EQ(COSMessageTimeText("6").Text, "6");
}

// What a schedule row keeps from the frames dialog is what the device takes: no end after a day word, no second
// frame after an all-day or unused first one, and an unused second frame sent as "No Use" (an empty answer keeps
// the device's old frame).
TEST(MailboxServiceRules, ScheduleFramesAreKeptAsTheDeviceTakesThem)
{
    struct {
        const char* In[4];
        const char* Out;
    } const Cases[] = {
        {{"All Day", "No Use", "", ""}, "All Day|||"},
        {{"No Use", "No Use", "", ""}, "No Use|||"},
        {{"All Day", "", "13:00", "17:00"}, "All Day|||"},
        {{"8:00", "12:00", "No Use", ""}, "8:00|12:00||"},
        {{"8:00", "12:00", "13:00", "17:00"}, "8:00|12:00|13:00|17:00"},
        {{"8:00", "12:00", "", ""}, "8:00|12:00||"},
    };
    for (const auto& C : Cases) {
        std::string S1 = C.In[0], E1 = C.In[1], S2 = C.In[2], E2 = C.In[3];
        SettleDialogFrames(S1, E1, S2, E2);
        EXPECT_EQ(S1 + "|" + E1 + "|" + S2 + "|" + E2, C.Out) << C.In[0];
    }
    EXPECT_EQ(ScheduleFrame2StartText("No Use", 409), "");
    EXPECT_EQ(ScheduleFrame2StartText("NO USE", 408), "");
    EXPECT_EQ(ScheduleFrame2StartText("13:00", 409), "13:00");
    EXPECT_EQ(ScheduleFrame2StartValue("", 409), "No Use");
    EXPECT_EQ(ScheduleFrame2StartValue("", 408), "NO USE");
    EXPECT_EQ(ScheduleFrame2StartValue("13:00", 408), "13:00");
}
