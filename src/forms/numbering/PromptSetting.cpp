#include "forms/numbering/PromptSetting.h"

#include "forms/numbering/NumberListRules.h"
#include "shell/FormRegistry.h"

TPromptSettingForm::TPromptSettingForm(const TFormCreation& Creation) : TBaseGridForm(Creation)
{
    Grid->OnSetEditText = [this](int C, int R, std::string& V) { SetEditText(C, R, V); };
}

void TPromptSettingForm::InitForm()
{
    TBaseGridForm::InitForm();
    FormMask.Include(24);
    ShowSection(true, "Prompt Setting", "");
    Grid->ModifyTracking = true;
}

void TPromptSettingForm::SetEditText(int ACol, int ARow, std::string& Value)
{
    GridSetEditText(ACol, ARow, Value);
    if (CheckGuard || ACol != 1 || ARow > 2)
        return;
    std::vector<std::string> Prompts(3);
    for (int r = 0; r < 3 && r < Grid->RowCount(); ++r)
        GetCellText(1, r, Prompts[r]);
    SettleCellDecision(*this, CheckPromptNumber(Value, EditStartText, Prompts, ARow), Value);
}

namespace {
TFormClassRegistration Registration("TPromptSettingForm", MakeFormFactory<TPromptSettingForm>());
}
