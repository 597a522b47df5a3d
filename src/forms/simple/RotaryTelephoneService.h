// The "Rotary Telephone Service" window (callers with rotary telephones): a property list whose rows, texts and editing rules all come from
// the section's view description.
#pragma once

#include "forms/base/BaseGrid.h"

class TRotaryTelephoneServiceForm : public TBaseGridForm {
    Q_OBJECT
public:
    explicit TRotaryTelephoneServiceForm(const TFormCreation& Creation) : TBaseGridForm(Creation) {}

protected:
    void InitForm() override;
};
