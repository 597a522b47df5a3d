#include "forms/dialogs/MailboxNoCheck.h"

#include "common/Utilits.h"
#include "platform/StrUtil.h"

TMailboxNoVerdict CheckNewMailboxNo(const std::string& Text, const TMailboxNoRules& Rules)
{
    int64_t Value = 0;
    bool Number = true;
    for (char C : Text) {
        if (C < '0' || C > '9' || Value > 2147483647) {
            Number = false;
            break;
        }
        Value = Value * 10 + (C - '0');
    }
    if (Value > 2147483647)
        Number = false;
    if (!Number || Value < Rules.MinValue || Value > Rules.MaxValue) {
        const bool Above = !Number || Value > Rules.MaxValue;
        return {false, Format(Utilits::SErrorMailboxNumber, {Rules.NumberLength}),
            IntToStr(Above ? Rules.MaxValue : Rules.MinValue)};
    }
    if (!Rules.SystemManagerMailbox.empty() && Text == Rules.SystemManagerMailbox)
        return {false, Utilits::SUnableCreateSystemMailbox, ""};
    if (Rules.IsGroupNumber && Rules.IsGroupNumber(Text))
        return {false, Format(Utilits::SMailboxAlreadyExistIn, {Text, Rules.GroupCaption}), ""};
    if (Rules.InListing && Rules.InListing(Text))
        return {false, Format(Utilits::SMailboxAlreadyExist, {Text}), ""};
    return {};
}
