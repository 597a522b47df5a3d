#include "forms/numbering/ExtensionNumberingPlan.h"

#include "forms/base/FormNodeServices.h"
#include "forms/numbering/NumberListRules.h"
#include "platform/StrUtil.h"
#include "shell/FormRegistry.h"

namespace {
const char* const PlanRowName = "Numbering Plan %T%";
}

TExtensionNumberingPlanForm::TExtensionNumberingPlanForm(const TFormCreation& Creation) : TBaseGridForm(Creation)
{
    Grid->OnSetEditText = [this](int C, int R, std::string& V) { SetEditText(C, R, V); };
}

void TExtensionNumberingPlanForm::InitForm()
{
    TBaseGridForm::InitForm();
    FormMask.Include(27);
    PlanCounter = 1;
    ShowSection(true, "Extension Numbering Plan", "");
    Grid->ModifyTracking = true;
}

void TExtensionNumberingPlanForm::LoadPropertyRows()
{
    TBaseGridForm::LoadPropertyRows();
    UpdateReadOnly();
}

bool TExtensionNumberingPlanForm::NodeHandled(TXmlNode* Node, bool IsView)
{
    if (Node && Node->GetName() == PlanRowName) {
        if (PlanCounter < PlanCount) {
            ++PlanCounter;
            return true;
        }
        PlanCounter = 1;
        return false;
    }
    return TBaseGridForm::NodeHandled(Node, IsView);
}

void TExtensionNumberingPlanForm::GetNodeGroup(TXmlNode*, std::string& S) { S = IntToStr(PlanCounter); }

void TExtensionNumberingPlanForm::GetNodeName(TXmlNode* Node, std::string& S)
{
    TBaseGridForm::GetNodeName(Node, S);
    if (S == PlanRowName)
        S = SubstituteFormValue(S, IntToStr(PlanCounter));
}

void TExtensionNumberingPlanForm::FormatPropertyCaption(const std::string& S, std::string& R)
{
    R = Format(S, {int64_t(PlanCounter)});
}

void TExtensionNumberingPlanForm::ValueToText(const std::string& Value, int Col, std::string& S, int Row)
{
    TBaseGridForm::ValueToText(Value, Col, S, Row);
    if (Col == 1)
        S = UpperCase(S);
}

std::vector<std::string> TExtensionNumberingPlanForm::Plans() const
{
    std::vector<std::string> P(std::min<int>(PlanCount, Grid->RowCount()));
    for (int r = 0; r < int(P.size()); ++r)
        GetCellText(1, r, P[r]);
    return P;
}

void TExtensionNumberingPlanForm::UpdateReadOnly()
{
    const std::vector<std::string> P = Plans();
    const int Empty = FirstEmptyPlan(P);
    for (int r = 0; r < int(P.size()); ++r)
        SetCellReadOnly(Empty >= 0 && r > Empty, 1, r);
}

void TExtensionNumberingPlanForm::SetEditText(int ACol, int ARow, std::string& Value)
{
    GridSetEditText(ACol, ARow, Value);
    if (CheckGuard || ACol != 1 || ARow >= PlanCount)
        return;
    Value = UpperCase(Value);
    if (Value.empty() && !EditStartText.empty()) {
        // The plans below close up, so that the filled plans stay together from the first row.
        std::vector<std::string> P = Plans();
        P[ARow].clear();
        P = CloseUpPlans(P, ARow);
        Value = P[ARow];
        for (int r = ARow + 1; r < int(P.size()); ++r)
            if (Grid->Cells(1, r) != P[r])
                Grid->SetCells(1, r, P[r]);
        Grid->SetCells(1, ARow, Value);
        UpdateReadOnly();
        return;
    }
    if (Value.empty() || Value == EditStartText)
        return;
    const TCellDecision Decision = CheckNumberingPlan(Value, EditStartText, Plans(), ARow);
    SettleCellDecision(*this, Decision, Value);
    if (Decision.Accepted && ARow + 1 < PlanCount && ARow + 1 < Grid->RowCount())
        SetCellReadOnly(false, 1, ARow + 1);
}

namespace {
TFormClassRegistration Registration("TExtensionNumberingPlanForm", MakeFormFactory<TExtensionNumberingPlanForm>());
}
