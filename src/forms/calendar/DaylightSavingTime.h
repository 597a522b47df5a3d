// The "Daylight Saving Time" window: the start and end dates of summer time (D/M), each picked in the date
// dialog. Apply refuses one date without the other and an end equal to the start (the end is emptied); both empty
// may be stored.
#pragma once

#include "forms/base/BaseGrid.h"

class TDaylightSavingTimeForm : public TBaseGridForm {
    Q_OBJECT
public:
    explicit TDaylightSavingTimeForm(const TFormCreation& Creation);

    // Opens the date dialog on the current row's date.
    void GridButtonClick();
    // What the dialog's OK does: the row's value cell takes Text.
    void SetDate(int Row, const std::string& Text);

protected:
    void InitForm() override;
    bool ApplyChanges(bool Notify) override;
};
