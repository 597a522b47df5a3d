// The data-document half of the cross-section services: value lookups by field prefix, taking a mailbox out of
// its groups with the renumbering that follows, and the references to a deleted mailbox in the other sections.
#include "shell/SectionLookups.h"
#include "xml/XmlDoc.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::unique_ptr<TXmlDoc> Parse(const std::string& Body)
{
    auto Doc = std::make_unique<TXmlDoc>();
    Doc->ShowErrors = false;
    Doc->XmlText = "<ORLANTIS Name=\"Data\">" + Body + "</ORLANTIS>";
    EXPECT_TRUE(Doc->ParseText()) << Doc->LastError;
    return Doc;
}

// A subtree as one line: Name=Value, children in braces.
std::string Shape(const TXmlNode* Node)
{
    std::string S = Node->GetName();
    if (Node->Attrs.Find("Value"))
        S += "=" + Node->GetValue();
    if (Node->HasChildren()) {
        S += "{";
        bool First = true;
        for (const auto& C : Node->Nodes) {
            S += (First ? "" : ",") + Shape(C.get());
            First = false;
        }
        S += "}";
    }
    return S;
}

std::string Attr(const std::string& Name, const std::string& Value, const std::string& Children = "")
{
    return "<ATTR Name=\"" + Name + "\" Value=\"" + Value + "\">" + Children + "</ATTR>";
}

std::string Section(const std::string& Name, const std::string& Body)
{
    return "<PARAM Name=\"" + Name + "\">" + Body + "</PARAM>";
}

}  // namespace

TEST(IsFieldValueFree, MatchesFieldsByPrefixAndValuesExactly)
{
    auto Doc = Parse(Section("Extension Group",
        Attr("Group No. 1", "300", Attr("Extension No. 1", "201")) + Attr("Group No. 2", "301")));
    TXmlNode* S = Doc->FindNode(nullptr, "Extension Group");
    struct {
        const char* Prefix;
        const char* Value;
        bool Free;
    } const Cases[] = {
        {"Group No.", "300", false},       // "Group No. 1" begins with the prefix
        {"Group No.", "301", false},
        {"group no.", "301", false},       // names compare without case
        {"Group No.", "30", true},         // values compare whole
        {"Group No.", "201", true},        // the member's field has another name
        {"Extension No.", "201", false},   // found below a record
        {"Group No. 2", "300", true},
        {"Group No.", "", true},           // an empty value names nothing
    };
    for (const auto& C : Cases)
        EXPECT_EQ(IsFieldValueFreeIn(S, C.Prefix, C.Value), C.Free) << C.Prefix << " / " << C.Value;
    EXPECT_TRUE(IsFieldValueFreeIn(nullptr, "Group No.", "300"));
}

TEST(IsFieldValueFree, MailboxItemsOfTheListingByFullName)
{
    auto Doc = Parse(Section("Mailbox Listing", Attr("Mailbox No. 101", "101") + Attr("Mailbox No. 1020", "1020")));
    TXmlNode* L = Doc->FindNode(nullptr, "Mailbox Listing");
    EXPECT_TRUE(HasMailboxItem(L, "101"));
    EXPECT_TRUE(HasMailboxItem(L, "1020"));
    EXPECT_FALSE(HasMailboxItem(L, "102"));
    EXPECT_FALSE(HasMailboxItem(L, ""));
    EXPECT_FALSE(HasMailboxItem(nullptr, "101"));
}

// Groups as the description shapes them: members directly below the group node, groups named by their numbers
// as a load from the device names them.
TEST(RenumberMailboxItems, RemovesTheMemberAndTheGroupItEmptied)
{
    const std::string Groups = Section("Mailbox Group",
        Attr("Mailbox Group No. 500", "500",
            Attr("Group Name", "SALES") + Attr("Mailbox No. 1", "101") + Attr("Mailbox No. 2", "102") +
                Attr("Mailbox No. 3", "103")) +
            Attr("Mailbox Group No. 501", "501", Attr("Group Name", "") + Attr("Mailbox No. 1", "102")) +
            Attr("Mailbox Group No. 502", "502", Attr("Mailbox No. 1", "104") + Attr("Mailbox No. 2", "")));
    struct {
        const char* Mailbox;
        const char* Expected;
    } const Cases[] = {
        {"101", "Mailbox Group{Mailbox Group No. 500=500{Group Name=SALES,Mailbox No. 1=102,Mailbox No. 2=103},"
                "Mailbox Group No. 501=501{Group Name=,Mailbox No. 1=102},"
                "Mailbox Group No. 502=502{Mailbox No. 1=104,Mailbox No. 2=}}"},
        // The last member of group 501 goes: the group goes too; group 502 keeps its name, which holds the
        // number the device keeps showing.
        {"102", "Mailbox Group{Mailbox Group No. 500=500{Group Name=SALES,Mailbox No. 1=101,Mailbox No. 2=103},"
                "Mailbox Group No. 502=502{Mailbox No. 1=104,Mailbox No. 2=}}"},
        // An unused slot is no member: the group with only that left goes.
        {"104", "Mailbox Group{Mailbox Group No. 500=500{Group Name=SALES,Mailbox No. 1=101,Mailbox No. 2=102,"
                "Mailbox No. 3=103},Mailbox Group No. 501=501{Group Name=,Mailbox No. 1=102}}"},
        {"999", nullptr},
        {"", nullptr},   // would otherwise match the unused slot
    };
    for (const auto& C : Cases) {
        auto Doc = Parse(Groups);
        TXmlNode* S = Doc->FindNode(nullptr, "Mailbox Group");
        const std::string Before = Shape(S);
        ReplaceMailboxReferences(S, C.Mailbox);
        EXPECT_EQ(Shape(S), C.Expected ? C.Expected : Before) << C.Mailbox;
    }
}

// Groups with a member list of their own between group and members.
TEST(RenumberMailboxItems, MemberListsBelowTheGroup)
{
    auto Doc = Parse(Section("Mailbox Group",
        Attr("Mailbox Group No. 1", "500", "<PARAM Name=\"Members\">" + Attr("Mailbox No. 1", "101") + "</PARAM>") +
            Attr("Mailbox Group No. 2", "501",
                "<PARAM Name=\"Members\">" + Attr("Mailbox No. 1", "101") + Attr("Mailbox No. 2", "105") +
                    "</PARAM>")));
    TXmlNode* S = Doc->FindNode(nullptr, "Mailbox Group");
    ReplaceMailboxReferences(S, "101");
    EXPECT_EQ(Shape(S), "Mailbox Group{Mailbox Group No. 2=501{Members{Mailbox No. 1=105}}}");

    // A member outside any group is only taken out.
    auto Loose = Parse(Section("Other", Attr("Mailbox No. 1", "7") + Attr("Mailbox No. 2", "8")));
    TXmlNode* Member = Loose->FindNode(nullptr, "Mailbox No. 1");
    RenumberMailboxItems(Member);
    EXPECT_EQ(Shape(Loose->FindNode(nullptr, "Other")), "Other{Mailbox No. 1=8}");
}

TEST(ReplaceMailboxReferences, EachSectionForgetsTheMailboxItsOwnWay)
{
    struct {
        const char* Name;
        std::string Body;
        const char* Expected;
    } const Cases[] = {
        {"Class of Service",
            Section("COS 1", Attr("Mailbox Number", "101") + Attr("Mailbox Number", "102")) +
                "<PARAM Name=\"Mailbox Number\" Value=\"101\"/>",
            "Class of Service{COS 1{Mailbox Number=,Mailbox Number=102},Mailbox Number=101}"},
        {"Caller ID Call Routing",
            Attr("Transfer To", "Mbx", Attr("Transfer Number", "101")) +
                Attr("Transfer To", "Mbx", Attr("Transfer Number", "102")) +
                Attr("Transfer To", "Ext", Attr("Transfer Number", "101")),
            "Caller ID Call Routing{Transfer To=None,Transfer To=Mbx{Transfer Number=102},"
            "Transfer To=Ext{Transfer Number=101}}"},
        {"Custom Service",
            Attr("No DTMF Input Operation", "a", Attr("No DTMF Parameter", "101")) +
                Section("Keypad 0", Attr("Assignment", "Transfer to Mailbox", Attr("Assignment Parameter", "101"))) +
                Section("Keypad *", Attr("Assignment", "Transfer to Mailbox", Attr("Assignment Parameter", "101"))) +
                Section("Keypad 5", Attr("Assignment", "Transfer to Mailbox", Attr("Assignment Parameter", "101"))) +
                Section("Keypad 6", Attr("Assignment", "Transfer to Mailbox", Attr("Assignment Parameter", "106"))),
            "Custom Service{No DTMF Input Operation=c,Keypad 0{Assignment=Operator},Keypad *{Assignment=Exit},"
            "Keypad 5{Assignment=None},Keypad 6{Assignment=Transfer to Mailbox{Assignment Parameter=106}}}"},
        {"Fax Management", Attr("Fax Manager Mailbox No.", "101"), "Fax Management{Fax Manager Mailbox No.=}"},
        {"Operator's Parameters",
            Section("Day", Attr("Operator's Mailbox No.", "101")) +
                Section("Night", Attr("Operator's Mailbox No.", "110")),
            "Operator's Parameters{Day{Operator's Mailbox No.=},Night{Operator's Mailbox No.=110}}"},
        {"Port Service", Attr("Mailbox Number", "101"), "Port Service{Mailbox Number=101}"},
    };
    for (const auto& C : Cases) {
        auto Doc = Parse(Section(C.Name, C.Body));
        TXmlNode* S = Doc->FindNode(nullptr, C.Name);
        ReplaceMailboxReferences(S, "101");
        EXPECT_EQ(Shape(S), C.Expected) << C.Name;
    }
    ReplaceMailboxReferences(nullptr, "101");
}

TEST(ClearInterviewReferences, OnlyTheInterviewNamingTheMailboxFallsBack)
{
    struct {
        const char* Name;
        const char* Field;
        const char* Parameter;
        const char* Fallback;
    } const Cases[] = {
        {"Port Service", "Incoming Call Service", "Number", "Auto. Attn."},
        {"Trunk Service", "Incoming Call Service", "Number", "None"},
        {"Holiday Listing", "Service", "Custom Service Number", "Auto. Attn"},
    };
    for (const auto& C : Cases) {
        auto Doc = Parse(Section(C.Name,
            Section("Item 1", Attr(C.Field, "Interview", Attr(C.Parameter, "101"))) +
                Section("Item 2", Attr(C.Field, "Interview", Attr(C.Parameter, "102"))) +
                Section("Item 3", Attr(C.Field, "Custom", Attr(C.Parameter, "101")))));
        TXmlNode* S = Doc->FindNode(nullptr, C.Name);
        ClearInterviewReferences(S, "101");
        const std::string F = C.Field, P = C.Parameter;
        EXPECT_EQ(Shape(S), std::string(C.Name) + "{Item 1{" + F + "=" + C.Fallback + "},Item 2{" + F +
                                "=Interview{" + P + "=102}},Item 3{" + F + "=Custom{" + P + "=101}}}")
            << C.Name;
    }
    auto Other = Parse(Section("Mailbox Listing", Attr("Service", "Interview", Attr("Custom Service Number", "101"))));
    TXmlNode* S = Other->FindNode(nullptr, "Mailbox Listing");
    const std::string Before = Shape(S);
    ClearInterviewReferences(S, "101");
    EXPECT_EQ(Shape(S), Before);
}

TEST(OpenFormsList, QuotesEachCaption)
{
    EXPECT_EQ(OpenFormsList({}), "");
    EXPECT_EQ(OpenFormsList({"Mailbox Listing"}), "\"Mailbox Listing\"");
    EXPECT_EQ(OpenFormsList({"A", "B"}), "\"A\", \"B\"");
}
