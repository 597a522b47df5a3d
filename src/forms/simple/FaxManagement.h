// The "Fax Management" window: a property list from the section's view description whose fax extensions
// (rows 1 and 2) may not repeat each other or an extension group number, and whose fax mailbox (row 4) must
// exist. A refused entry is shown in an error box and the cell returns to its text before the edit. Closing the
// window lets the main window forget the mailbox and extension-group data it read for these checks.
#pragma once

#include "forms/base/BaseGrid.h"

class TFaxManagementForm : public TBaseGridForm {
    Q_OBJECT
public:
    explicit TFaxManagementForm(const TFormCreation& Creation);

    static constexpr int FaxExtensionRow1 = 1;
    static constexpr int FaxExtensionRow2 = 2;
    static constexpr int FaxMailboxRow = 4;

protected:
    void InitForm() override;
    void SetEditText(int ACol, int ARow, std::string& Value);
    void ForgetReadSections(TFormServices& Services) override;
};
