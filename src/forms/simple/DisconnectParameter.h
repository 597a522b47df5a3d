// The "Disconnect Parameter" window (how the end of a call is recognised): a property list whose rows, texts and editing rules all come from
// the section's view description.
#pragma once

#include "forms/base/BaseGrid.h"

class TDisconnectParameterForm : public TBaseGridForm {
    Q_OBJECT
public:
    explicit TDisconnectParameterForm(const TFormCreation& Creation) : TBaseGridForm(Creation) {}

protected:
    void InitForm() override;
};
