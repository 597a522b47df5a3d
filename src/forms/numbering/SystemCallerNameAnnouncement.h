// The "System Caller Name Announcement" window: a table of the device's caller name entries, one row per entry
// numbered from 1, with the caller's number and the prompt that announces the name. Delete empties the current
// entry (the device keeps every entry; Apply sends the emptied fields).
#pragma once

#include "forms/base/BaseGrid.h"

class TSystemCallerNameAnnouncementForm : public TBaseGridForm {
    Q_OBJECT
public:
    explicit TSystemCallerNameAnnouncementForm(const TFormCreation& Creation);

    void DeleteRowButtonClick();

protected:
    void InitForm() override;
    void GetNodeName(TXmlNode* Node, std::string& S) override;
};
