// The "Mailbox Listing" window: one row per mailbox (the System Manager's always last), new mailboxes by number,
// deletions with a question, and the checks of extension, extension-group and interview numbers against the other
// rows, the other sections and their open windows. A row's Notification button opens the mailbox's devices. Apply
// stores the listing first and only then carries deleted mailboxes and dropped interview numbers into the sections
// that refer to them, so that a store the device refused leaves every other section as it was.
#pragma once

#include "forms/base/BaseGrid.h"
#include "forms/base/NumberInUseQuery.h"

class TMailboxListingForm : public TBaseGridForm, public TNumberInUseQuery {
    Q_OBJECT
public:
    explicit TMailboxListingForm(const TFormCreation& Creation);

    static constexpr int ExtensionCol = 1;
    static constexpr int ExtensionGroupCol = 5;
    static constexpr int InterviewCol = 6;
    static constexpr int NotificationCol = 7;
    static constexpr int ResetPasswordCol = 8;

    // Numbers that stood in the interview column of deleted rows, or that it held before an edit, since the last
    // apply.
    std::vector<int32_t> DeletedServiceNumbers;
    // Mailboxes deleted here whose deletion the other sections have not followed yet (no store succeeded since).
    std::vector<std::string> DeletedMailboxes;

    // True when a row other than ExceptRow (-1: none) holds exactly Value in column 0, 6 or 1.
    bool MailboxNoUsed(const std::string& Value, int ExceptRow) const;
    bool Column6ValueUsed(const std::string& Value, int ExceptRow) const;
    bool ExtensionNoUsed(const std::string& Value, int ExceptRow) const;
    bool NumberInUse(TNumberUse Use, const std::string& Number) const override;

    // Whether one more mailbox may be added now; the button, the Insert key and AddMailbox all ask it.
    bool MayAddMailbox() const;
    // Asks the number of a new mailbox and adds it.
    void NewRowButtonClick();
    // Adds the row of a new mailbox Number (already checked by the dialog); -1 when the limit is reached.
    int AddMailbox(const std::string& Number);
    // Asks and deletes the current row's mailbox.
    void DeleteRowButtonClick();
    void GridButtonClick();

    bool ApplyChanges(bool Notify) override;

protected:
    void InitForm() override;
    void LoadRecordRows() override;
    void GetRowCaption(int Row, std::string& S) override;
    void GetRowSubSection(int Row, std::string& S) override;
    void RecordNodeCreated(TXmlNode* Node) override;
    bool SkipNode(TXmlNode* Node) override;
    void GetNodeGroup(TXmlNode* Node, std::string& S) override;
    void ForgetReadSections(TFormServices& Services) override;
    // A mailbox's notification devices have their own window.
    bool EditedElsewhere(const TXmlNode* Node) const override;

private:
    void SetEditText(int ACol, int ARow, std::string& Value);
    std::vector<std::string> ColumnTexts(int Col) const;
    void UpdateNewRowButton();
};
