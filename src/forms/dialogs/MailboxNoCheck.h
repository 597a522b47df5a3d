// The checks of a new mailbox number, without any window: the number's range, the System Manager's mailbox, the
// group numbers of "Mailbox Group" (stored or in its open window) and, when the Mailbox Listing asks, its own rows.
// The first failing check gives the message; the texts are the program's replaceable messages.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct TMailboxNoRules {
    int32_t MinValue = 0;
    int32_t MaxValue = 2147483647;
    int32_t NumberLength = 0;
    std::string SystemManagerMailbox;   // '' when unknown: not checked
    // True when Number is a group number (stored or in the open group window); may be empty.
    std::function<bool(const std::string& Number)> IsGroupNumber;
    std::string GroupCaption;           // the "Mailbox Group" section's caption
    // True when the listing already holds Number; empty when no listing asks.
    std::function<bool(const std::string& Number)> InListing;
};

struct TMailboxNoVerdict {
    bool Ok = true;
    std::string Message;
    // The text the edit gets back after a range failure (MaxValue when above it, else MinValue); '' otherwise.
    std::string ResetText;
};

// Text is the edit's text: empty counts as 0; a text that is no number (or too large for one) is out of range.
TMailboxNoVerdict CheckNewMailboxNo(const std::string& Text, const TMailboxNoRules& Rules);
