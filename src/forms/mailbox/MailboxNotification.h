// The notification devices of one mailbox ("1ST", "2ND", "3RD"), opened from a row of the Mailbox Listing. A device
// whose number is empty is off: its other cells are locked and Apply makes no node for it. An "X" in the number
// marks a beeper. In mode "Scheduled" the Schedule button opens the device's week; Apply makes the seven days of a
// newly scheduled device and removes the days of a device that is no longer scheduled. Device nodes this window
// made and then discarded are removed again.
#pragma once

#include "forms/base/BaseGrid.h"

class TMailboxNotificationForm : public TBaseGridForm {
    Q_OBJECT
public:
    explicit TMailboxNotificationForm(const TFormCreation& Creation);

    static constexpr int NumberCol = 1;
    static constexpr int TypeCol = 2;
    static constexpr int ModeCol = 3;
    static constexpr int ScheduleCol = 7;

    std::string MailboxSubSection;
    TNodeRef NotificationNode;
    bool DeviceMade[3] = {false, false, false};

    // Makes the data nodes of a device row that has none yet; false when nothing was made (the row is bound, or,
    // unless Force, it still shows the template's values).
    bool EnsureRowNode(int Row, bool Force);
    void GridButtonClick();
    bool ApplyChanges(bool Notify) override;
    void GetRowSubSection(int Row, std::string& S) override;
    void GetRowCaption(int Row, std::string& S) override;

protected:
    void InitForm() override;
    void ShowTable(const std::string& Section, const std::string& SubSection) override;
    bool IsCellInfoNode(TXmlNode* Node) override;
    bool SkipNode(TXmlNode* Node) override;
    void GetNodeGroup(TXmlNode* Node, std::string& S) override;
    void ValueToText(const std::string& Value, int Col, std::string& S, int Row) override;
    void AfterDiscard() override;

private:
    void SetEditText(int ACol, int ARow, std::string& Value);
    void LockRow(int Row);
    // A device whose number was emptied: the device forgets its settings, so the row shows the template's again.
    void ShowSwitchedOff(int Row);
    void CreateScheduleDays(TXmlNode* Schedule);
};
