// One class of service as a Description/Value list, opened from the Class of Service window. The authorisations
// lock and unlock the parameters beneath them; Apply makes or removes their data nodes, so that the device is
// sent exactly the parameters an authorisation allows. The forwarding mailbox must exist; a short message time is
// raised to 5 seconds; the delay time is set in a time dialog.
#pragma once

#include "forms/base/BaseGrid.h"

class TCOSDetailForm : public TBaseGridForm {
    Q_OBJECT
public:
    explicit TCOSDetailForm(const TFormCreation& Creation);

    void GridButtonClick();
    bool ApplyChanges(bool Notify) override;
    // Every load (also a reload after Apply) leaves the class number locked.
    void ShowSection(bool APropertyMode, const std::string& Section, const std::string& SubSection) override;

protected:
    void InitForm() override;
    void GetNodeGroup(TXmlNode* Node, std::string& S) override;
    void ForgetReadSections(TFormServices& Services) override;

private:
    void SetEditText(int ACol, int ARow, std::string& Value);
};
