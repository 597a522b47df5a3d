#include "forms/simple/RS232CParameters.h"

#include "forms/base/FormServices.h"
#include "shell/FormRegistry.h"

#include <QCloseEvent>
#include <QPushButton>

namespace {
constexpr int SettingRows = 4;

bool BatchMode()
{
    TFormServices* S = FormServices();
    return !S || S->DeviceFacts().BatchMode;
}
}

TRS232CParametersForm::TRS232CParametersForm(const TFormCreation& Creation) : TBaseGridForm(Creation)
{
    ButtonApply->hide();
}

void TRS232CParametersForm::InitForm()
{
    TBaseGridForm::InitForm();
    FormMask.Include(36);
    ShowSection(true, "RS-232C Parameters", "");
    if (BatchMode())
        SetColumnReadOnly(true, 1, Grid->RowCount() - 1, 0);
    Grid->ModifyTracking = true;
    Applied = false;
}

bool TRS232CParametersForm::ApplyChanges(bool Notify)
{
    if (!TBaseGridForm::ApplyChanges(Notify))
        return false;
    // What the device now holds: the bound nodes' values (a drop-down cell shows a text for them).
    std::vector<std::string> Values;
    for (int Row = 0; Row < SettingRows && Row < Grid->RowCount(); ++Row) {
        std::string Text;
        if (TXmlNode* Node = GetCellNode(1, Row))
            Text = Node->GetValue();
        else
            GetCellText(1, Row, Text);
        Values.push_back(Text);
    }
    RS232CSettings = RS232CSettingsFromRows(Values);
    Applied = true;
    return true;
}

void TRS232CParametersForm::closeEvent(QCloseEvent* Event)
{
    TBaseGridForm::closeEvent(Event);
    if (!Event->isAccepted() || FPosted)
        return;
    TFormServices* S = FormServices();
    if (S && ShouldPostPortSettings(Applied, BatchMode())) {
        FPosted = true;
        S->PostPortSettingsChanged(RS232CSettings.BaudRate, RS232CSettings.DataBits, RS232CSettings.Parity,
            RS232CSettings.StopBits);
    }
}

namespace {
TFormClassRegistration Registration("TRS232CParametersForm", MakeFormFactory<TRS232CParametersForm>());
}
