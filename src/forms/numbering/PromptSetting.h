// The "Prompt Setting" window: a property list from the section's view description whose first three rows hold
// the prompt numbers offered to callers; a number that another of them holds is refused and the cell returns to
// its text before the edit.
#pragma once

#include "forms/base/BaseGrid.h"

class TPromptSettingForm : public TBaseGridForm {
    Q_OBJECT
public:
    explicit TPromptSettingForm(const TFormCreation& Creation);

protected:
    void InitForm() override;
    void SetEditText(int ACol, int ARow, std::string& Value);
};
