#include "forms/calendar/SystemDateTime.h"

#include "forms/calendar/CalendarRules.h"
#include "forms/base/FormServices.h"
#include "forms/dialogs/SetDate.h"
#include "forms/dialogs/SetTimeDay.h"
#include "shell/FormRegistry.h"

namespace {
constexpr int TimeRow = 0;
constexpr int DateRow = 1;
}

TSystemDateTimeForm::TSystemDateTimeForm(const TFormCreation& Creation) : TBaseGridForm(Creation)
{
    Grid->OnButtonClick = [this] { GridButtonClick(); };
}

void TSystemDateTimeForm::InitForm()
{
    TBaseGridForm::InitForm();
    FormMask.Include(26);
    ShowSection(true, "System Date/Time", "");
    TFormServices* S = FormServices();
    if (!S || S->DeviceFacts().BatchMode)
        SetColumnReadOnly(true, 1, Grid->RowCount() - 1, 0);
    Grid->ModifyTracking = true;
}

void TSystemDateTimeForm::SetValue(int Row, const std::string& Text)
{
    SetEditedCell(1, Row, Text);
}

void TSystemDateTimeForm::GridButtonClick()
{
    const int Row = Grid->Row();
    if (Row < 0 || Row >= Grid->RowCount() || (Grid->GetCellValueOptions(1, Row) & voReadOnly))
        return;
    const std::string Cell = Grid->Cells(1, Row);
    if (Row == TimeRow) {
        // A 24-hour device gets hours 0-23 and no AM/PM choice, so that no time is clamped to 12:59.
        TFormServices* S = FormServices();
        const bool Hour12 = S ? S->DeviceFacts().UseAMPM : true;
        TSetTimeDayForm Dialog(this);
        Dialog.SetHour12(Hour12);
        Dialog.ShowAmPm(Hour12);
        Dialog.SetTimeField(1, Cell);
        // The cell takes the time as the device's clock shows it: two hour digits on a 24-hour clock ("09:05").
        if (Dialog.exec() == QDialog::Accepted)
            SetValue(Row, Hour12 ? Dialog.GetTimeField(1) : CellTimeText(Dialog.GetTimeField(1)));
    } else if (Row == DateRow) {
        const int32_t Width = DeviceYearWidth(Cell);
        const TToday Today = SystemToday();
        TSetDateForm Dialog(this);
        Dialog.SetDateText(DeviceDateToDialog(Cell, Today, Width));
        if (Dialog.exec() != QDialog::Accepted)
            return;
        std::string Text;
        Dialog.GetDateText(Text);
        // A cleared date stays empty: the device is not sent today's date for it.
        SetValue(Row, Text.empty() ? Text : DialogDateToDevice(Text, Today, Width));
    }
}

namespace {
TFormClassRegistration Registration("TSystemDateTimeForm", MakeFormFactory<TSystemDateTimeForm>());
}
