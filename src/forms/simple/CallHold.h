// The "Call Hold" window (holding callers for a busy extension): a property list from the section's view
// description, keyed on its value column.
#pragma once

#include "forms/base/BaseGrid.h"

class TCallHoldForm : public TBaseGridForm {
    Q_OBJECT
public:
    explicit TCallHoldForm(const TFormCreation& Creation) : TBaseGridForm(Creation) {}

protected:
    void InitForm() override;
};
