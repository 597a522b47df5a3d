#include "forms/attendant/CallerIDCallRouting.h"

#include "forms/attendant/AttendantRules.h"
#include "forms/base/FormNodeServices.h"
#include "forms/base/FormServices.h"
#include "platform/Dialogs.h"
#include "platform/StrUtil.h"
#include "shell/FormRegistry.h"

#include <QToolButton>

using namespace CallerRouting;

TCallerIDCallRoutingForm::TCallerIDCallRoutingForm(const TFormCreation& Creation) : TBaseGridForm(Creation)
{
    Grid->OnSetEditText = [this](int C, int R, std::string& V) { SetEditText(C, R, V); };
    DeleteRowButton->show();
    connect(DeleteRowButton, &QToolButton::clicked, this, [this] { DeleteRowButtonClick(); });
}

void TCallerIDCallRoutingForm::InitForm()
{
    TBaseGridForm::InitForm();
    FormMask.Include(18);
    PrintOrientation = 1;
    ShowSection(false, "Caller ID Call Routing", "");
    for (int Row = 0; Row < Grid->RowCount(); ++Row) {
        Grid->SetCells(NumberCol, Row, IntToStr(Row + 1));
        std::string Routing;
        GetCellText(RoutingCol, Row, Routing);
        SetParameterRules(Routing, Row);
    }
    Grid->ModifyTracking = true;
}

void TCallerIDCallRoutingForm::SetParameterRules(const std::string& Routing, int Row)
{
    const TParameterRules R =
        RoutingParameterRules(Routing, FormServices() ? FormServices()->DeviceFacts() : TDeviceFacts());
    SetCellReadOnly(!R.Editable, ParameterCol, Row);
    if (!R.Editable)
        return;
    TXStringGridModel& G = GridModel();
    G.SetCellMinInteger(ParameterCol, Row, R.MinInteger);
    G.SetCellMaxInteger(ParameterCol, Row, R.MaxInteger);
    G.SetCellEditLimit(ParameterCol, Row, R.EditLimit);
}

void TCallerIDCallRoutingForm::GetNodeName(TXmlNode* Node, std::string& S)
{
    TBaseGridForm::GetNodeName(Node, S);
    if (S == "No %T%")
        S = SubstituteFormValue(S, IntToStr(PlaceRow + 1));
}

void TCallerIDCallRoutingForm::ValueToText(const std::string& Value, int Col, std::string& S, int Row)
{
    TBaseGridForm::ValueToText(Value, Col, S, Row);
    if (Col == CallerIDCol)
        S = CallerIDText(S);
    else if (Col == RoutingCol)
        S = RoutingText(S);
}

void TCallerIDCallRoutingForm::TextToValue(const std::string& Text, int Col, std::string& S, int Row)
{
    TBaseGridForm::TextToValue(Text, Col, S, Row);
    if (Col == CallerIDCol)
        S = CallerIDValue(S);
    else if (Col == RoutingCol)
        S = RoutingValue(S);
}

void TCallerIDCallRoutingForm::SetEditText(int ACol, int ARow, std::string& Value)
{
    GridSetEditText(ACol, ARow, Value);
    if (CheckGuard)
        return;
    if (ACol == CallerIDCol) {
        SettleCellDecision(*this, CheckCallerIDEntry(Value, EditStartText), Value);
    } else if (ACol == RoutingCol && Value != EditStartText) {
        SetParameterRules(Value, ARow);
        Grid->SetCells(ParameterCol, ARow, "");
    } else if (ACol == ParameterCol) {
        std::string Routing;
        GetCellText(RoutingCol, ARow, Routing);
        if (TFormServices* S = FormServices())
            SettleCellDecision(*this, CheckRoutingParameter(Routing, Value, EditStartText, *S), Value);
    }
}

void TCallerIDCallRoutingForm::DeleteRowButtonClick()
{
    const int Row = Grid->Row();
    if (Row < 0 || Row >= Grid->RowCount())
        return;
    EnsureRow(Row);
    LoadNodes(ViewDoc, ViewNode, true, true);
    Grid->SetCells(NumberCol, Row, IntToStr(Row + 1));
    SetCellReadOnly(true, ParameterCol, Row);
    SetModified(true);
    Grid->update();
}

bool TCallerIDCallRoutingForm::ApplyChanges(bool Notify)
{
    std::vector<std::string> Routings, Parameters;
    for (int Row = 0; Row < Grid->RowCount(); ++Row) {
        Routings.push_back(Grid->Cells(RoutingCol, Row));
        Parameters.push_back(Grid->Cells(ParameterCol, Row));
    }
    const int Missing = FirstRowMissingParameter(Routings, Parameters);
    if (Missing >= 0) {
        std::string Caption;
        if (ParameterCol < Grid->ColumnCount())
            Caption = Grid->ColumnList()[ParameterCol]->Caption();
        ShowError(Format("You should to set value for parameter \"%s\".", {Trim(Caption)}));
        Grid->SetRow(Missing);
        Grid->SetCol(ParameterCol);
        Grid->setFocus();
        return false;
    }
    for (int Row = 0; Row < Grid->RowCount(); ++Row)
        UpdateDependentNodes(RoutingCol, Row, false, {Mailbox, Extension, Custom});
    return TBaseGridForm::ApplyChanges(Notify);
}

void TCallerIDCallRoutingForm::ForgetReadSections(TFormServices& Services)
{
    Services.ForgetNumberSections();
}

namespace {
TFormClassRegistration Registration("TCallerIDCallRoutingForm", MakeFormFactory<TCallerIDCallRoutingForm>());
}
