#include "forms/simple/IntercomPagingParameters.h"

#include "forms/base/FormNodeServices.h"
#include "forms/simple/SimpleFormRules.h"
#include "platform/StrUtil.h"
#include "shell/FormRegistry.h"

namespace {
const char* const GroupRowName = "Paging Code for Group %T%";

bool IsCapitalRow(int Col, int Row) { return Col == 1 && (Row == 0 || Row == 1); }
}

TIntercomPagingParametersForm::TIntercomPagingParametersForm(const TFormCreation& Creation)
    : TBaseGridForm(Creation)
{
    Grid->OnSetEditText = [this](int C, int R, std::string& V) { SetEditText(C, R, V); };
}

void TIntercomPagingParametersForm::InitForm()
{
    TBaseGridForm::InitForm();
    FormMask.Include(33);
    GroupCounter = 1;
    ShowSection(true, "Intercom Paging Parameters", "");
    Grid->ModifyTracking = true;
}

bool TIntercomPagingParametersForm::NodeHandled(TXmlNode* Node, bool IsView)
{
    if (Node && Node->GetName() == GroupRowName)
        return NextPagingGroup(GroupCounter);
    return TBaseGridForm::NodeHandled(Node, IsView);
}

void TIntercomPagingParametersForm::GetNodeGroup(TXmlNode*, std::string& S) { S = IntToStr(GroupCounter); }

void TIntercomPagingParametersForm::GetNodeName(TXmlNode* Node, std::string& S)
{
    TBaseGridForm::GetNodeName(Node, S);
    if (S == GroupRowName)
        S = SubstituteFormValue(S, IntToStr(GroupCounter));
}

void TIntercomPagingParametersForm::FormatPropertyCaption(const std::string& S, std::string& R)
{
    R = Format(S, {int64_t(GroupCounter)});
}

void TIntercomPagingParametersForm::ValueToText(const std::string& Value, int Col, std::string& S, int Row)
{
    TBaseGridForm::ValueToText(Value, Col, S, Row);
    if (IsCapitalRow(Col, Row))
        S = CapitalText(S);
}

void TIntercomPagingParametersForm::SetEditText(int ACol, int ARow, std::string& Value)
{
    GridSetEditText(ACol, ARow, Value);
    if (IsCapitalRow(ACol, ARow))
        Value = CapitalText(Value);
}

namespace {
TFormClassRegistration Registration("TIntercomPagingParametersForm", MakeFormFactory<TIntercomPagingParametersForm>());
}
