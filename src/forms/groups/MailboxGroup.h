// The "Mailbox Group" window: up to twenty groups of mailboxes, each with its number, a name and up to twenty
// members, entered in order without gaps; a cleared member or group closes the gap, and Apply leaves out groups
// without members. The rules live in GroupRules.h; this window adds the buttons, the Delete key, the texts and
// the answers to the main window's question whether a group number is in use here.
#pragma once

#include "forms/base/BaseGrid.h"
#include "forms/groups/GroupRules.h"
#include "forms/base/NumberInUseQuery.h"

class TMailboxGroupForm : public TGroupSectionLogic<TBaseGridForm>, public TNumberInUseQuery {
    Q_OBJECT
public:
    explicit TMailboxGroupForm(const TFormCreation& Creation);

    bool NumberInUse(TNumberUse Use, const std::string& Number) const override;
    // The current row's group goes; the groups below move up.
    void DeleteRowButtonClick();

protected:
    void InitForm() override;
    // What both group windows do once their section is chosen.
    void ShowGroups(TGroupKind Kind, int32_t FormKind, const char* Section);
    void SetEditText(int ACol, int ARow, std::string& Value);
    // The Delete key clears the current cell (through the cell check), it deletes no group.
    void KeyUp(int& Key, Qt::KeyboardModifiers Shift);
    void ForgetReadSections(TFormServices& Services) override;
};
