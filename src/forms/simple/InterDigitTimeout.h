// The "Inter-Digit Timeout" window (how long the device waits for dialled digits): a property list whose rows, texts and editing rules all come from
// the section's view description.
#pragma once

#include "forms/base/BaseGrid.h"

class TInterDigitTimeoutForm : public TBaseGridForm {
    Q_OBJECT
public:
    explicit TInterDigitTimeoutForm(const TFormCreation& Creation) : TBaseGridForm(Creation) {}

protected:
    void InitForm() override;
};
