#include "forms/mailbox/MailboxRules.h"

#include "common/Utilits.h"
#include "forms/base/FormNodeServices.h"
#include "forms/base/FormServices.h"
#include "xml/XmlDoc.h"
#include "platform/StrUtil.h"

namespace {
TCellDecision Keep(const std::string& Text) { return {true, Text, {}}; }
TCellDecision Refuse(const std::string& Text, std::string Message) { return {false, Text, std::move(Message)}; }

// A number cell holds digits only; anything else is refused with the conversion message rather than reaching a
// lookup or a conversion that would raise.
bool IsNumberText(const std::string& Text, std::string& Message)
{
    int32_t Value = 0;
    if (TryStrToInt(Text, Value) && Value >= 0 && Text.find_first_not_of("0123456789") == std::string::npos)
        return true;
    Message = Format("'%s' is not a valid integer value", {Text});
    return false;
}
} // namespace

bool MayAddMailbox(int32_t ListingRows, int32_t AmountUserMailboxes)
{
    // Two rows are no user mailboxes: the Message Manager's and the System Manager's.
    return ListingRows < AmountUserMailboxes + 2;
}

bool ColumnHolds(const std::vector<std::string>& Texts, const std::string& Value, int32_t ExceptRow)
{
    for (size_t Row = 0; Row < Texts.size(); ++Row)
        if (int32_t(Row) != ExceptRow && Texts[Row] == Value)
            return true;
    return false;
}

TCellDecision CheckListingExtension(const std::string& Text, const std::string& EditStart,
    const std::vector<std::string>& Extensions, int32_t Row, const std::string& FormCaption,
    TFormServices& Services)
{
    if (Text.empty() || Text == EditStart)
        return Keep(Text);
    if (ColumnHolds(Extensions, Text, Row))
        return Refuse(Text, Format(Utilits::SExtensionAlreadyExistIn, {Text, FormCaption}));
    std::string Place;
    if (!Services.IsExtensionReferenced(Text, "Mailbox Listing", Place) ||
        !Services.ExtensionInUseByForms(Text, "Mailbox Listing", Place))
        return Refuse(Text, Format(Utilits::SExtensionAlreadyExistIn, {Text, Place}));
    return Keep(Text);
}

TCellDecision CheckListingExtensionGroup(const std::string& Text, const std::string& EditStart,
    TFormServices& Services)
{
    if (Text.empty() || Text == EditStart)
        return Keep(Text);
    std::string Message;
    if (!IsNumberText(Text, Message))
        return Refuse(Text, Message);
    std::string Place;
    if (!Services.FindExtensionGroup(Text, Place) || !Services.CheckExtensionGroupForm(Text, Place))
        return Refuse(Text, Format(Utilits::SExtensionAlreadyExistIn, {Text, Place}));
    return Keep(Text);
}

TCellDecision CheckInterviewNumber(const std::string& Text, const std::string& EditStart,
    const std::vector<std::string>& Mailboxes, const std::vector<std::string>& InterviewNumbers, int32_t Row,
    TFormServices& Services)
{
    if (Text.empty() || Text == EditStart)
        return Keep(Text);
    std::string Message;
    if (!IsNumberText(Text, Message))
        return Refuse(Text, Message);
    std::string Place;
    if (ColumnHolds(Mailboxes, Text, -1) || !Services.IsMailboxNoFree(Text) ||
        !Services.FindMailboxGroup(Text, Place) || !Services.MailboxInUseByGroupForm(Text) ||
        ColumnHolds(InterviewNumbers, Text, Row))
        return Refuse(Text, Format(Utilits::SMailboxAlreadyExist, {Text}));
    return Keep(Text);
}

const std::vector<std::string>& MailboxReferringSections()
{
    static const std::vector<std::string> Sections = {"Mailbox Group", "Class of Service", "Caller ID Call Routing",
        "Custom Service", "Fax Management", "Operator's Parameters"};
    return Sections;
}

const std::vector<std::string>& InterviewReferringSections()
{
    static const std::vector<std::string> Sections = {"Port Service", "Trunk Service", "Holiday Listing"};
    return Sections;
}

bool MayCarryMailboxDeletions(TFormServices& Services, bool HasMailboxes, bool HasInterviewNumbers)
{
    if (HasInterviewNumbers && Services.ReportOpenForms(InterviewReferringSections()))
        return false;
    if (HasMailboxes && Services.ReportOpenForms(MailboxReferringSections()))
        return false;
    return true;
}

void CarryMailboxDeletions(TFormServices& Services, const std::vector<std::string>& Mailboxes,
    const std::vector<int32_t>& InterviewNumbers)
{
    for (int32_t Number : InterviewNumbers)
        for (const std::string& Section : InterviewReferringSections())
            Services.ClearInterviewReferences(IntToStr(Number), Section);
    for (const std::string& Mailbox : Mailboxes)
        for (const std::string& Section : MailboxReferringSections())
            Services.ReplaceMailboxReferences(Mailbox, Section);
}

std::string DeviceName(int32_t Device)
{
    static const char* Names[] = {"1ST", "2ND", "3RD"};
    return Device >= 0 && Device < 3 ? Names[Device] : "";
}

std::string DayName(int32_t Day)
{
    static const char* Names[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    return Day >= 0 && Day < 7 ? Names[Day] : "";
}

std::string DeviceNumberText(const std::string& Text) { return UpperCase(Text); }

bool IsBeeperNumber(const std::string& Text) { return UpperCase(Text).find('X') != std::string::npos; }

std::string ScheduleValueToText(const std::string& Value, int32_t FlashVersion)
{
    if (FlashVersion < 409) {
        if (Value == "ALL USE")
            return "All Day";
        if (Value == "NO USE")
            return "No Use";
    }
    return Value;
}

std::string ScheduleTextToValue(const std::string& Text, int32_t FlashVersion)
{
    if (FlashVersion < 409) {
        if (Text == "All Day")
            return "ALL USE";
        if (Text == "No Use")
            return "NO USE";
    }
    return Text;
}

bool ScheduleHasSecondFrame(const std::string& Frame1Start, const std::string& Frame2Start)
{
    return !SameText(Frame1Start, "No Use") && !SameText(Frame1Start, "All Day") && !SameText(Frame2Start, "No Use");
}

std::string ScheduleFrame2StartText(const std::string& Value, int32_t FlashVersion)
{
    const std::string Text = ScheduleValueToText(Value, FlashVersion);
    return SameText(Text, "No Use") ? std::string() : Text;
}

std::string ScheduleFrame2StartValue(const std::string& Text, int32_t FlashVersion)
{
    return ScheduleTextToValue(Text.empty() ? std::string("No Use") : Text, FlashVersion);
}

void SettleDialogFrames(std::string& Start1, std::string& End1, std::string& Start2, std::string& End2)
{
    auto DayWord = [](const std::string& S) { return SameText(S, "All Day") || SameText(S, "No Use"); };
    if (DayWord(Start1)) {
        End1.clear();
        Start2.clear();
        End2.clear();
    }
    if (DayWord(Start2)) {
        Start2.clear();
        End2.clear();
    }
}

TNotificationNodes FindNotificationNodes(TXmlDoc* Data, const std::string& MailboxSubSection)
{
    TNotificationNodes Found;
    Found.Section = Data ? Data->FindNode(nullptr, "Mailbox Listing") : nullptr;
    Found.Record = Found.Section ? Data->FindNode(Found.Section, MailboxSubSection) : nullptr;
    Found.Notification = Found.Record ? Data->FindNode(Found.Record, "Notification Setting") : nullptr;
    return Found;
}

TXmlNode* AddScheduleFrame(TDataManager* Manager, TXmlNode* Day, TXmlNode* FrameTemplate, const std::string& Frame)
{
    TXmlNode* F = AddFormNodeFromTemplate(Manager, Day, FrameTemplate, true);
    if (F)
        for (const char* Attr : {"Name", "ParseValue"})
            if (const TXmlAttribute* A = F->Attrs.Find(Attr))
                F->SetAttr(Attr, SubstituteFormValue(A->GetValue(), Frame));
    return F;
}

TXmlNode* AddScheduleDay(TDataManager* Manager, TXmlNode* Schedule, TXmlNode* DayTemplate, const std::string& Name,
    bool SecondFrame)
{
    TXmlNode* Day = AddFormNodeFromTemplate(Manager, Schedule, DayTemplate, false);
    if (!Day)
        return nullptr;
    Day->SetAttr("Name", "Day " + Name);
    for (const auto& Part : DayTemplate->Nodes) {
        if (Part->GetTag() != "PARAM" && Part->GetTag() != "ATTR")
            continue;
        if (Part->GetName() != "Time frame %%") {
            AddFormNodeFromTemplate(Manager, Day, Part.get(), true);
            continue;
        }
        for (const char* Frame : {"1", "2"}) {
            if (Frame[0] == '2' && !SecondFrame)
                break;
            AddScheduleFrame(Manager, Day, Part.get(), Frame);
        }
    }
    return Day;
}
