// The "Message Waiting Notification" window (message waiting lamps): a property list from the section's view
// description; the lamp port lists (rows 0 and 1), typed as any list of ports, are stored in the device's
// canonical form.
#pragma once

#include "forms/base/BaseGrid.h"

class TMessageWaitingNotificationForm : public TBaseGridForm {
    Q_OBJECT
public:
    explicit TMessageWaitingNotificationForm(const TFormCreation& Creation);

protected:
    void InitForm() override;
    void SetEditText(int ACol, int ARow, std::string& Value);
};
