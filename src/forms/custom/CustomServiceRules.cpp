#include "forms/custom/CustomServiceRules.h"

#include "forms/base/FormNodeServices.h"
#include "platform/StrUtil.h"
#include "xml/XmlDoc.h"

#include <utility>

namespace CustomService {
const char* const ToMailbox = "Transfer to Mailbox";
const char* const ToExtension = "Transfer to Extension";
const char* const ToCustom = "Custom Service";

std::string KeyText(int k)
{
    static const char* const Keys[KeyCount] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "*", "#"};
    return k >= 0 && k < KeyCount ? Keys[k] : "";
}

std::string KeyOfRow(int Row) { return Row >= FirstKeyRow ? KeyText((Row - FirstKeyRow) / 2) : ""; }

const std::vector<std::string>& ParameterActions()
{
    static const std::vector<std::string> Actions = {ToMailbox, ToExtension, ToCustom};
    return Actions;
}
}

namespace {
using TPair = std::pair<const char*, const char*>;

// Stored letter, shown text, abbreviation.
struct TAction {
    const char* Letter;
    const char* Text;
    const char* Short;
};
const TAction Actions[] = {{"a", "Transfer to Mailbox", "Mbx"}, {"b", "Transfer to Extension", "Extn"},
    {"c", "Operator", "Oper"}, {"d", "Exit", "Exit"}, {"e", "Previous Menu", "Prev"}, {"f", "Custom Service", "C.S."}};

const TPair Assignments[] = {{"None", "None"}, {"Transfer to Mailbox", "Mbx"}, {"Transfer to Extension", "Extn"},
    {"Operator", "Oper"}, {"Exit", "Exit"}, {"Previous Menu", "Prev"}, {"Custom Service", "C.S."},
    {"Voice Mail Service", "VMS"}, {"Call Transfer Service", "CTS"}, {"Subscriber Service", "Subs"},
    {"Department Dialing", "Dept"}, {"Dial by Name", "Name"}, {"Repeat Menu", "Rept"}, {"Main Menu", "Main"},
    {"FAX Transfer", "Fax"}};

// The caller ID routing's name of the same number kind, whose limits and checks these parameters share.
const char* RoutingOf(const std::string& Assignment)
{
    if (Assignment == CustomService::ToMailbox)
        return CallerRouting::Mailbox;
    if (Assignment == CustomService::ToExtension)
        return CallerRouting::Extension;
    if (Assignment == CustomService::ToCustom)
        return CallerRouting::Custom;
    return CallerRouting::None;
}

// The key of a keypad node: its "ParseValue" once parsed, else the key in its name ("Keypad 3"); empty while it
// is the description's "%T%".
std::string KeypadKey(const TXmlNode* Keypad)
{
    if (!Keypad)
        return {};
    if (const TXmlAttribute* P = Keypad->Attrs.Find("ParseValue"))
        return P->GetValue() == "%T%" ? std::string() : P->GetValue().str();
    const std::string Name = Keypad->GetName();
    const std::string Prefix = "Keypad ";
    if (Name.size() > Prefix.size() && Name.compare(0, Prefix.size(), Prefix) == 0 && Name != "Keypad Assignment" &&
        Name.find('%') == std::string::npos)
        return Name.substr(Prefix.size());
    return {};
}
} // namespace

std::string ActionText(const std::string& Value)
{
    for (const TAction& A : Actions)
        if (Value == A.Letter)
            return A.Text;
    return Value;
}

std::string ActionValue(const std::string& Text)
{
    for (const TAction& A : Actions)
        if (Text == A.Text)
            return A.Letter;
    return Text;
}

std::string ActionAbbreviation(const std::string& Value)
{
    for (const TAction& A : Actions)
        if (Value == A.Letter)
            return A.Short;
    return Value;
}

std::string AssignmentAbbreviation(const std::string& Assignment)
{
    for (const auto& [Text, Short] : Assignments)
        if (Assignment == Text)
            return Short;
    return Assignment;
}

bool IsParameterAction(const std::string& Assignment)
{
    return std::string(RoutingOf(Assignment)) != CallerRouting::None;
}

TParameterRules AssignmentParameterRules(const std::string& Assignment, const TDeviceFacts& Facts)
{
    return RoutingParameterRules(RoutingOf(Assignment), Facts);
}

TCellDecision CheckAssignmentParameter(const std::string& Assignment, const std::string& Text,
    const std::string& EditStart, TFormServices& Services)
{
    return CheckRoutingParameter(RoutingOf(Assignment), Text, EditStart, Services);
}

int FirstMissingParameterRow(const std::vector<std::string>& ValueTexts)
{
    using namespace CustomService;
    for (int Row = ActionRow; Row + 1 < int(ValueTexts.size()) && Row < RowCount; Row += 2)
        if (IsParameterAction(ValueTexts[size_t(Row)]) && ValueTexts[size_t(Row + 1)].empty())
            return Row + 1;
    return -1;
}

std::string CustomServiceNodeName(const TXmlNode* Node, const std::string& Name, int32_t MenuNumber,
    std::string& KeyText)
{
    if (Name.find("Custom No.") != std::string::npos)
        return SubstituteFormValue(Name, IntToStr(MenuNumber));
    if (Name != "Assignment" && Name != "Assignment Parameter")
        return Name;
    // The parameter hangs below its assignment, so its keypad is one level further up.
    const TXmlNode* Keypad = Node ? Node->Parent : nullptr;
    if (Keypad && Keypad->GetName() == "Assignment")
        Keypad = Keypad->Parent;
    if (std::string Key = KeypadKey(Keypad); !Key.empty())
        KeyText = Key;
    return Name + KeyText;
}

std::string KeyCaption(const std::string& Caption, const std::string& KeyText)
{
    return Caption.find("%s") == std::string::npos ? Caption : Format(Caption, {KeyText});
}
