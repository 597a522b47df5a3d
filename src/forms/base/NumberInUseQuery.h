// How the main window asks an open section window whether a number is in use in its grid, where the data document
// may not show it yet (rows added or edited but not applied). The windows of "Mailbox Listing", "Mailbox Group",
// "Operator's Parameters" and "Extension Group" implement it beside their form base; the main window finds the
// open window of a section and casts to this interface. A section whose window is not open, or whose window does
// not implement it, counts as not using the number.
#pragma once

#include <string>

class TNumberInUseQuery {
public:
    enum TNumberUse {
        nuMailbox,        // "Mailbox Listing": a row other than the current one holds the mailbox number
        nuGroupNumber,    // "Mailbox Group", "Extension Group": a row's group number
        nuExtension,      // "Mailbox Listing": another row's extension; "Operator's Parameters": any row's
        nuGroupMember     // "Extension Group": a member cell
    };

    virtual ~TNumberInUseQuery() = default;
    // True when the window's grid holds Number in the given use.
    virtual bool NumberInUse(TNumberUse Use, const std::string& Number) const = 0;
};
