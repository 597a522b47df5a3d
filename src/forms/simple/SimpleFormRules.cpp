#include "forms/simple/SimpleFormRules.h"

#include "common/Utilits.h"
#include "forms/base/FormServices.h"
#include "forms/base/GridFormCore.h"
#include "platform/Dialogs.h"
#include "platform/Exception.h"
#include "platform/StrUtil.h"

void SettleCellDecision(TGridFormCore& Form, const TCellDecision& Decision, std::string& Value)
{
    if (Decision.Accepted) {
        Value = Decision.Text;
        return;
    }
    Form.CheckGuard = true;
    ShowError(RefusalMessage(Decision.Message, Form.EditStartText, Decision.KeepTyped));
    Form.CheckGuard = false;
    ++Form.RangeMessages;
    Value = Form.EditStartText;
    if (Decision.KeepTyped)
        Form.ReopenEditor(Decision.Text);
}

TCellDecision CheckExtensionDigits(const std::string& Text)
{
    if (Text.empty() || (Text.size() >= 2 && Text.size() <= 5 && Text.find_first_not_of("0123456789") == std::string::npos))
        return {true, Text, {}};
    return {false, Text, "An extension number has 2 to 5 digits."};
}

std::string CapitalText(const std::string& Text) { return UpperCase(Text); }

namespace {
TCellDecision Keep(const std::string& Text) { return {true, Text, {}}; }
TCellDecision Refuse(const std::string& Text, std::string Message) { return {false, Text, std::move(Message)}; }
}

TCellDecision NormalizePortListText(const std::string& Text, const std::string& EditStart, int32_t VPSPorts)
{
    if (Text.empty() || Text == EditStart)
        return Keep(Text);
    TCellDecision Result;
    try {
        NormalizeNumberList(Text, 1, VPSPorts < 1 ? 1 : VPSPorts, Result.Text);
    } catch (const Exception& E) {
        TCellDecision Refused = Refuse(Text, E.Message);
        Refused.KeepTyped = true;
        return Refused;
    }
    return Result;
}

TCellDecision CheckFaxExtension(const std::string& Text, const std::string& EditStart, const std::string& OtherText,
    TFormServices& Services)
{
    if (Text.empty() || Text == EditStart)
        return Keep(Text);
    if (TCellDecision Digits = CheckExtensionDigits(Text); !Digits.Accepted)
        return Digits;
    if (Text == OtherText)
        return Refuse(Text, Utilits::SDuplicateExtensionInForm);
    std::string Caption;
    if (!Services.FindExtensionGroup(Text, Caption) || !Services.CheckExtensionGroupForm(Text, Caption))
        return Refuse(Text, Format(Utilits::SExtensionAlreadyExistIn, {Text, Caption}));
    return Keep(Text);
}

TCellDecision CheckFaxMailbox(const std::string& Text, const std::string& EditStart, TFormServices& Services)
{
    if (Text.empty() || Text == EditStart)
        return Keep(Text);
    if (Services.IsMailboxNoFree(Text))
        return Refuse(Text, Format(Utilits::SMailboxNotExist, {Text}));
    return Keep(Text);
}

bool NextPagingGroup(int32_t& Counter)
{
    if (Counter < PagingGroups) {
        ++Counter;
        return true;
    }
    Counter = 1;
    return false;
}

TOutputCodeState OutputCodeAfterInput(const std::string& InputText)
{
    if (InputText.empty())
        return {false, true};
    return {true, false};
}

TRS232CSettings RS232CSettingsFromRows(const std::vector<std::string>& ValueTexts)
{
    auto At = [&](size_t I) { return I < ValueTexts.size() ? ValueTexts[I] : std::string(); };
    return {At(0), At(1), At(2), At(3)};
}

bool ShouldPostPortSettings(bool AppliedSuccessfully, bool BatchMode) { return AppliedSuccessfully && !BatchMode; }
