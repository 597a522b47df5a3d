#include "forms/attendant/AttendantRules.h"

#include "common/Utilits.h"
#include "forms/base/FormServices.h"
#include "platform/StrUtil.h"

namespace CallerRouting {
const char* const None = "None";
const char* const Mailbox = "Mbx";
const char* const Extension = "Extn.";
const char* const Custom = "Custom";
}

namespace {
TCellDecision Keep(const std::string& Text) { return {true, Text, {}}; }
TCellDecision Refuse(const std::string& Text, std::string Message) { return {false, Text, std::move(Message)}; }

const char* const OutOfArea = "Out of Area";
const char* const Private = "Private";

// An extension group number, stored in the data document or entered in the open Extension Group window.
TCellDecision RefuseExtensionGroup(const std::string& Text, TFormServices& Services)
{
    std::string Caption;
    if (!Services.FindExtensionGroup(Text, Caption) || !Services.CheckExtensionGroupForm(Text, Caption))
        return Refuse(Text, Format(Utilits::SExtensionAlreadyExistIn, {Text, Caption}));
    return Keep(Text);
}
} // namespace

TCellDecision CheckDepartmentExtension(const std::string& Text, const std::string& EditStart,
    TFormServices& Services)
{
    if (Text.empty() || Text == EditStart)
        return Keep(Text);
    if (TCellDecision Digits = CheckExtensionDigits(Text); !Digits.Accepted)
        return Digits;
    return RefuseExtensionGroup(Text, Services);
}

std::string CallerIDText(const std::string& Value)
{
    if (Value == "o" || Value == "O")
        return OutOfArea;
    if (Value == "p" || Value == "P")
        return Private;
    return Value;
}

std::string CallerIDValue(const std::string& Text)
{
    if (Text == OutOfArea)
        return "o";
    if (Text == Private)
        return "p";
    return Text;
}

std::string RoutingText(const std::string& Value) { return Value.empty() ? CallerRouting::None : Value; }
std::string RoutingValue(const std::string& Text) { return Text == CallerRouting::None ? std::string() : Text; }

TCellDecision CheckCallerIDEntry(const std::string& Text, const std::string& EditStart)
{
    if (Text == EditStart)
        return Keep(Text);
    if (Text.size() > 1 && Text.find_first_of("opOP") != std::string::npos)
        return Refuse(Text, Format("Invalid entry. Symbols \"%s\" or \"%s\" should be entered as single character.",
                                {std::string("o"), std::string("p")}));
    return Keep(CallerIDText(Text));
}

TParameterRules RoutingParameterRules(const std::string& Routing, const TDeviceFacts& Facts)
{
    if (Routing == CallerRouting::Mailbox)
        return {true, Facts.MinMailboxNo(), Facts.MaxMailboxNo(), Facts.MailboxNoLength};
    if (Routing == CallerRouting::Extension)
        return {true, 10, 99999, 5};
    if (Routing == CallerRouting::Custom)
        return {true, 1, 100, 3};
    return {};
}

TCellDecision CheckRoutingParameter(const std::string& Routing, const std::string& Text,
    const std::string& EditStart, TFormServices& Services)
{
    if (Text.empty() || Text == EditStart)
        return Keep(Text);
    if (Routing == CallerRouting::Mailbox) {
        // The VMU routes no call to the System Manager's mailbox.
        if (Text == Services.DeviceFacts().SystemManagerMailbox)
            return Refuse(Text, Format(Utilits::SDontUseSysManagerMbx, {Text}));
        std::string Caption;
        if (Services.IsMailboxNoFree(Text) && Services.FindMailboxGroup(Text, Caption))
            return Refuse(Text, Format(Utilits::SMailboxNotExist, {Text}));
        return Keep(Text);
    }
    if (Routing == CallerRouting::Extension)
        return RefuseExtensionGroup(Text, Services);
    return Keep(Text);
}

int FirstRowMissingParameter(const std::vector<std::string>& Routings, const std::vector<std::string>& Parameters)
{
    for (size_t r = 0; r < Routings.size(); ++r) {
        const bool Missing = r >= Parameters.size() || Parameters[r].empty();
        if (RoutingText(Routings[r]) != CallerRouting::None && Missing)
            return int(r);
    }
    return -1;
}

bool Operators::ColumnField(int Col, int& Field, int& Operator)
{
    if (Col < 1 || Col >= 1 + FieldCount * Count)
        return false;
    Field = (Col - 1) / Count;
    Operator = (Col - 1) % Count + 1;
    return true;
}

bool Operators::IsOperatorNode(const std::string& Name)
{
    return Name == "Operator's Extension" || Name == "Operator's Mailbox No." || Name == "Busy Coverage Mode" ||
           Name == "No Answer Coverage Mode";
}

int32_t OperatorModeCount(int32_t FlashVersion) { return FlashVersion >= 308 ? 4 : 2; }

std::string OperatorModeName(int Mode)
{
    static const char* const Names[] = {"Day", "Night", "Lunch", "Break"};
    return Mode >= 0 && Mode < 4 ? Names[Mode] : "";
}

TCellDecision CheckOperatorExtension(const std::string& Text, const std::string& EditStart, TFormServices& Services)
{
    if (Text.empty() || Text == EditStart)
        return Keep(Text);
    if (TCellDecision Digits = CheckExtensionDigits(Text); !Digits.Accepted)
        return Digits;
    const std::string Section = "Operator's Parameters";
    std::string Caption;
    if (!Services.IsExtensionReferenced(Text, Section, Caption) ||
        !Services.ExtensionInUseByForms(Text, Section, Caption))
        return Refuse(Text, Format(Utilits::SExtensionAlreadyExistIn, {Text, Caption}));
    return Keep(Text);
}

TCellDecision CheckOperatorMailbox(const std::string& Text, const std::string& EditStart, TFormServices& Services)
{
    if (Text.empty() || Text == EditStart)
        return Keep(Text);
    if (Text == Services.DeviceFacts().SystemManagerMailbox)
        return Refuse(Text, Format(Utilits::SDontUseSysManagerMbx, {Text}));
    if (Services.IsMailboxNoFree(Text))
        return Refuse(Text, Format(Utilits::SMailboxNotExist, {Text}));
    return Keep(Text);
}
