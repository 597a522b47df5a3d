// The "External Message Delivery" window (delivery of messages to outside numbers): a property list from the
// section's view description; the delivery port list (row 3), typed as any list of ports, is stored in the
// device's canonical form.
#pragma once

#include "forms/base/BaseGrid.h"

class TExternalMessageDeliveryForm : public TBaseGridForm {
    Q_OBJECT
public:
    explicit TExternalMessageDeliveryForm(const TFormCreation& Creation);

protected:
    void InitForm() override;
    void SetEditText(int ACol, int ARow, std::string& Value);
};
