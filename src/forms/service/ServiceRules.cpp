#include "forms/service/ServiceRules.h"

#include "common/Utilits.h"
#include "forms/base/FormServices.h"
#include "platform/StrUtil.h"

#include <algorithm>

namespace {
TCellDecision Keep(const std::string& Text) { return {true, Text, {}}; }
TCellDecision Refuse(const std::string& Text, std::string Message) { return {false, Text, std::move(Message)}; }

// Digits only (no sign, no blanks): what a number cell may hold.
bool NumberOf(const std::string& Text, int32_t& Value)
{
    return !Text.empty() && Text.find_first_not_of("0123456789") == std::string::npos && TryStrToInt(Text, Value);
}
std::string NotANumber(const std::string& Text) { return Format("'%s' is not a valid integer value", {Text}); }

TCellDecision GreetingNumber(const std::string& Text)
{
    int32_t N = 0;
    if (!NumberOf(Text, N))
        return Refuse(Text, NotANumber(Text));
    return Keep(IntToStr(std::clamp(N, 1, 32)));
}
} // namespace

TCellDecision COSMessageTimeText(const std::string& Text)
{
    if (Text.empty())
        return Keep(Text);
    int32_t N = 0;
    if (!NumberOf(Text, N))
        return Refuse(Text, NotANumber(Text));
    return Keep(N >= 1 && N <= 4 ? std::string("5") : IntToStr(N));
}

int32_t COSDependentRows(const std::string& Key)
{
    if (Key == "Authorization for Message Notification" || Key == "Authorization for Auto Forwarding")
        return 3;
    if (Key == "Authorization for External Message Delivery")
        return 1;
    return 0;
}

bool COSDependentLock(const std::string& Text, bool& ReadOnly)
{
    if (Text == "Yes")
        ReadOnly = false;
    else if (Text == "No")
        ReadOnly = true;
    else
        return false;
    return true;
}

TCellDecision CheckForwardMailbox(const std::string& Text, const std::string& EditStart, const TDeviceFacts& Facts,
    TFormServices& Services)
{
    if (Text.empty() || Text == EditStart)
        return Keep(Text);
    if (Text == Facts.SystemManagerMailbox || !Services.IsMailboxNoFree(Text))
        return Keep(Text);
    return Refuse(Text, Format(Utilits::SMailboxNotExist, {Text}));
}

std::string ModeName(int32_t Mode)
{
    static const char* Names[] = {"Day", "Night", "Lunch", "Break"};
    return Mode >= 1 && Mode <= 4 ? Names[Mode - 1] : "";
}

std::string ServiceValueToText(const std::string& Key, const std::string& Value)
{
    if (Key == "Company Greeting No." && Value == "System Greeting")
        return "System";
    if (Key == "Incoming Call Service" && Value == "V.M.")
        return "Voice Mail";
    return Value;
}

std::string ServiceTextToValue(const std::string& Key, const std::string& Text)
{
    if (Key == "Company Greeting No." && Text == "System")
        return "System Greeting";
    if (Key == "Incoming Call Service" && Text == "Voice Mail")
        return "V.M.";
    return Text;
}

TCellDecision CompanyGreetingText(const std::string& Text)
{
    if (Text.empty() || Text == "n" || Text == "N" || Text == "None")
        return Keep("None");
    if (Text == "s" || Text == "S" || Text == "System")
        return Keep("System");
    if (Text.find_first_of("snSN") != std::string::npos)
        return Refuse(Text, Format(Utilits::SInvalidEntryChar, {"s", "n"}));
    return GreetingNumber(Text);
}

TCellDecision GreetingText(const std::string& Text)
{
    if (Text == "s" || Text == "S" || Text == "System")
        return Keep("System");
    return GreetingNumber(Text);
}

TServiceNumberRules ServiceNumberRules(const std::string& Service, const TDeviceFacts& Facts)
{
    if (Service == "Interview")
        return {true, true, Facts.MinMailboxNo(), Facts.MaxMailboxNo(), Facts.MailboxNoLength};
    if (Service == "Custom")
        return {true, true, 1, 100, 3};
    return {Service != "None" && Service != "Voice Mail" && Service != "Auto. Attn.", false, 0, 0, 0};
}

TCellDecision CheckServiceNumber(const std::string& Service, const std::string& Text, const std::string& EditStart,
    TFormServices& Services)
{
    if (Text.empty() || Text == EditStart)
        return Keep(Text);
    int32_t N = 0;
    if (!NumberOf(Text, N))
        return Refuse(Text, NotANumber(Text));
    if (Service == "Interview") {
        std::string Caption;
        // The lookup answers true while the number is free, i.e. while no mailbox has it as interview number.
        if (Services.FindInterviewMailbox(Text, Caption))
            return Refuse(Text, Format(Utilits::SInterviewMbxNotExist, {Text}));
    } else if (Service == "Custom") {
        return Keep(IntToStr(std::clamp(N, 1, 100)));
    }
    return Keep(Text);
}

std::string TrunkDelayText(const std::string& Text) { return Text == "0" ? std::string("1") : Text; }

bool ServiceNeedsNumber(const std::string& Service) { return Service == "Interview" || Service == "Custom"; }
