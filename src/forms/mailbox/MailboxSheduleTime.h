// The weekly notification schedule of one device, opened from a device row of the notification window: a row per
// day (Mon to Sun), the start and end of two time frames each. A day is edited in the time-frames dialog
// (double-click, Enter). Apply makes the device's nodes when they do not exist yet (through the owner) and the
// day and frame nodes the rows need. Below firmware 4.09 the device's "ALL USE" and "NO USE" show as "All Day" and
// "No Use".
#pragma once

#include "forms/base/BaseGrid.h"

class TMailboxSheduleTimeForm : public TBaseGridForm {
    Q_OBJECT
public:
    explicit TMailboxSheduleTimeForm(const TFormCreation& Creation);

    std::string MailboxSubSection;
    std::string DeviceSubSection;
    TNodeRef NotificationNode;
    TNodeRef DeviceNode;
    TNodeRef ScheduleNode;
    std::string FrameNo;
    std::string DeviceText;
    std::string MailboxText;

    // Opens the time-frames dialog for the current row.
    void EditFrames();
    // Writes four frame texts into a row (what the dialog's OK does).
    void SetFrames(int Row, const std::string& Start1, const std::string& End1, const std::string& Start2,
        const std::string& End2);
    bool ApplyChanges(bool Notify) override;

protected:
    void InitForm() override;
    void ShowTable(const std::string& Section, const std::string& SubSection) override;
    bool IsCellInfoNode(TXmlNode* Node) override;
    void GetNodeGroup(TXmlNode* Node, std::string& S) override;
    void GetNodeName(TXmlNode* Node, std::string& S) override;
    void FormatFormCaption(const std::string& S, std::string& R) override;
    void FormatColumnCaption(const std::string& S, std::string& R) override;
    void ValueToText(const std::string& Value, int Col, std::string& S, int Row) override;
    void TextToValue(const std::string& Text, int Col, std::string& S, int Row) override;

private:
    bool CreateDayNodes(int Row);
};
