// The "Extension Group" window: the mailbox group window for groups of extensions. A number (group or member)
// may be no mailbox owner's or operator's extension and stands once in the whole section: an extension belongs to
// one group only.
#pragma once

#include "forms/groups/MailboxGroup.h"

class TExtensionGroupForm : public TMailboxGroupForm {
    Q_OBJECT
public:
    using TMailboxGroupForm::TMailboxGroupForm;

protected:
    void InitForm() override;
    void ForgetReadSections(TFormServices& Services) override;
};
