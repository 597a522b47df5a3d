// A dialogs double that also answers the print dialog from a script: each answer is taken from the front; an
// empty slot (or none left) means the user cancelled. The requests are kept.
#pragma once

#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"

#include <optional>
#include <vector>

class TPrintDialogsDouble : public TRecordingDialogs {
public:
    std::vector<TPrintDialogRequest> PrintRequests;
    std::vector<std::optional<TPrintDialogAnswer>> PrintAnswers;

    bool PrintDialog(const TPrintDialogRequest& Request, TPrintDialogAnswer& Answer) override
    {
        PrintRequests.push_back(Request);
        if (PrintAnswers.empty())
            return false;
        std::optional<TPrintDialogAnswer> a = PrintAnswers.front();
        PrintAnswers.erase(PrintAnswers.begin());
        if (!a)
            return false;
        Answer = *a;
        return true;
    }
    // Print the pages into File.
    static TPrintDialogAnswer ToPdf(const std::string& File, TPrintRange Range = prAllPages, int From = 1, int To = 1)
    {
        TPrintDialogAnswer a;
        a.Range = Range;
        a.FromPage = From;
        a.ToPage = To;
        a.OutputFileName = File;
        return a;
    }
};
