#include "forms/attendant/DepartmentDialing.h"

#include "forms/attendant/AttendantRules.h"
#include "forms/base/FormNodeServices.h"
#include "forms/base/FormServices.h"
#include "platform/StrUtil.h"
#include "shell/FormRegistry.h"

#include <QCloseEvent>

TDepartmentDialingForm::TDepartmentDialingForm(const TFormCreation& Creation) : TBaseGridForm(Creation)
{
    Grid->OnSetEditText = [this](int C, int R, std::string& V) { SetEditText(C, R, V); };
}

void TDepartmentDialingForm::InitForm()
{
    TBaseGridForm::InitForm();
    FormMask.Include(13);
    ShowSection(true, "Department Dialing", "");
    Grid->ModifyTracking = true;
}

void TDepartmentDialingForm::GetNodeName(TXmlNode* Node, std::string& S)
{
    TBaseGridForm::GetNodeName(Node, S);
    S = SubstituteFormValue(S, IntToStr(DeptNo));
}

void TDepartmentDialingForm::LoadPropertyRows()
{
    for (DeptNo = 1; DeptNo <= DepartmentCount; ++DeptNo) {
        LoadNodes(ViewDoc, ViewNode, true, true);
        if (Grid->RowCount() >= DeptNo)
            Grid->SetCells(0, DeptNo - 1, IntToStr(DeptNo));
    }
    DeptNo = 1;
    LoadNodes(DataDoc, RecordNode, true, false);
}

void TDepartmentDialingForm::SetEditText(int ACol, int ARow, std::string& Value)
{
    GridSetEditText(ACol, ARow, Value);
    TFormServices* S = FormServices();
    if (CheckGuard || ACol != 1 || !S)
        return;
    SettleCellDecision(*this, CheckDepartmentExtension(Value, EditStartText, *S), Value);
}

void TDepartmentDialingForm::ForgetReadSections(TFormServices& Services)
{
    Services.ForgetExtensionGroup();
}

namespace {
TFormClassRegistration Registration("TDepartmentDialingForm", MakeFormFactory<TDepartmentDialingForm>());
}
