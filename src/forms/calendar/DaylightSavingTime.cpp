#include "forms/calendar/DaylightSavingTime.h"

#include "common/Utilits.h"
#include "forms/calendar/CalendarRules.h"
#include "forms/dialogs/SetDate.h"
#include "platform/Dialogs.h"
#include "platform/StrUtil.h"
#include "shell/FormRegistry.h"

TDaylightSavingTimeForm::TDaylightSavingTimeForm(const TFormCreation& Creation) : TBaseGridForm(Creation)
{
    Grid->OnButtonClick = [this] { GridButtonClick(); };
}

void TDaylightSavingTimeForm::InitForm()
{
    TBaseGridForm::InitForm();
    FormMask.Include(23);
    ShowSection(true, "Daylight Saving Time", "");
    Grid->ModifyTracking = true;
}

void TDaylightSavingTimeForm::SetDate(int Row, const std::string& Text)
{
    SetEditedCell(1, Row, Text);
}

void TDaylightSavingTimeForm::GridButtonClick()
{
    const int Row = Grid->Row();
    if (Row < 0 || Row >= Grid->RowCount())
        return;
    TSetDateForm Dialog(this);
    Dialog.SetDateText(Grid->Cells(1, Row));
    if (Dialog.exec() != QDialog::Accepted)
        return;
    std::string Text;
    Dialog.GetDateText(Text);
    SetDate(Row, Text);
}

bool TDaylightSavingTimeForm::ApplyChanges(bool Notify)
{
    if (Grid->RowCount() >= 2) {
        const TDaylightCheck C = CheckDaylightSaving(Grid->Cells(1, 0), Grid->Cells(1, 1));
        if (C.Row >= 0) {
            const std::string Caption = Trim(Grid->Cells(0, C.Row));
            ShowError(Format(C.Missing ? Utilits::SNotSetParameter : Utilits::SInvalidParameter,
                {Caption}));
            Grid->SetRow(C.Row);
            Grid->SetCol(1);
            if (C.Equal)
                Grid->SetCells(1, C.Row, "");
            Grid->setFocus();
            return false;
        }
    }
    return TBaseGridForm::ApplyChanges(Notify);
}

namespace {
TFormClassRegistration Registration("TDaylightSavingTimeForm", MakeFormFactory<TDaylightSavingTimeForm>());
}
