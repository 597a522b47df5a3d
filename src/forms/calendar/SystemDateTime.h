// The "System Date/Time" window: the device's clock, row 0 its time (in the time dialog, with AM/PM on a 12-hour
// device and 0-23 hours on a 24-hour one), row 1 its date (D-MON-Y, picked in the date dialog as D/M/Y and written
// back in the device's year width). In batch mode nothing can be edited: the clock is set only on a connected device.
#pragma once

#include "forms/base/BaseGrid.h"

class TSystemDateTimeForm : public TBaseGridForm {
    Q_OBJECT
public:
    explicit TSystemDateTimeForm(const TFormCreation& Creation);

    void GridButtonClick();
    // What the dialogs' OK does: the row's value cell takes Text.
    void SetValue(int Row, const std::string& Text);

protected:
    void InitForm() override;
};
