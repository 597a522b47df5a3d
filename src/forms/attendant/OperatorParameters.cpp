#include "forms/attendant/OperatorParameters.h"

#include "forms/attendant/AttendantRules.h"
#include "forms/base/FormServices.h"
#include "platform/StrUtil.h"
#include "shell/FormRegistry.h"

#include <QCloseEvent>

namespace {
const char* const ModeTemplate = "%T% Mode";
bool IsParamTag(const TXmlNode* Node) { return Node->GetTag() == "ATTR" || Node->GetTag() == "PARAM"; }
}

TOperatorParametersForm::TOperatorParametersForm(const TFormCreation& Creation) : TBaseGridForm(Creation)
{
    Grid->OnSetEditText = [this](int C, int R, std::string& V) { SetEditText(C, R, V); };
    Grid->OnKeyUp = [this](int& Key, Qt::KeyboardModifiers Shift) { KeyUp(Key, Shift); };
}

void TOperatorParametersForm::InitForm()
{
    TBaseGridForm::InitForm();
    FormMask.Include(14);
    ModeCount = OperatorModeCount(FormServices() ? FormServices()->DeviceFacts().FlashVersion : 409);
    PrintOrientation = 1;
    ShowSection(false, "Operator's Parameters", "");
    Grid->ModifyTracking = true;
}

void TOperatorParametersForm::GetNodeName(TXmlNode* Node, std::string& S)
{
    TBaseGridForm::GetNodeName(Node, S);
    if (Operators::IsOperatorNode(S))
        S += " " + IntToStr(OperatorNo);
    else if (S == ModeTemplate)
        S = OperatorModeName(PlaceRow) + " Mode";
}

void TOperatorParametersForm::FormatColumnCaption(const std::string& S, std::string& R)
{
    R = S.find("%d") != std::string::npos ? Format(S, {int64_t(OperatorNo)}) : S;
}

bool TOperatorParametersForm::NodeHandled(TXmlNode* Node, bool IsView)
{
    if (!IsView || !Node || !Operators::IsOperatorNode(Node->GetName()))
        return false;
    if (OperatorNo < Operators::Count) {
        ++OperatorNo;
        return true;
    }
    OperatorNo = 1;
    return false;
}

void TOperatorParametersForm::LoadRecordRows()
{
    TXmlNode* Template = ViewNode ? ViewDoc->FindNode(ViewNode, ModeTemplate) : nullptr;
    if (!Template)
        return;
    for (int Mode = 0; Mode < ModeCount; ++Mode) {
        EnsureRow(PlaceRow + 1);
        const int Row = PlaceRow;
        OperatorNo = 1;
        LoadNodes(ViewDoc, Template, true, true);
        PlaceRow = Row;
        Grid->SetCells(0, Row, " " + OperatorModeName(Mode));
    }
    PlaceRow = -1;
    for (const auto& ModeNode : RecordNode->Nodes) {
        if (!IsParamTag(ModeNode.get()) || PlaceRow + 1 >= ModeCount)
            continue;
        EnsureRow(PlaceRow + 1);
        const int Row = PlaceRow;
        OperatorNo = 0;
        for (const auto& Operator : ModeNode->Nodes) {
            if (!IsParamTag(Operator.get()))
                continue;
            ++OperatorNo;
            LoadNodes(DataDoc, Operator.get(), true, false);
            PlaceRow = Row;
        }
    }
    OperatorNo = 1;
}

bool TOperatorParametersForm::ExtensionInUse(const std::string& Value) const
{
    for (int Row = 0; Row < Grid->RowCount(); ++Row)
        for (int Op = 1; Op <= Operators::Count; ++Op) {
            const int Col = Operators::Column(Operators::ExtensionField, Op);
            if (Col < Grid->ColumnCount() && Grid->Cells(Col, Row) == Value)
                return true;
        }
    return false;
}

bool TOperatorParametersForm::NumberInUse(TNumberUse Use, const std::string& Number) const
{
    return Use == nuExtension && ExtensionInUse(Number);
}

void TOperatorParametersForm::SetEditText(int ACol, int ARow, std::string& Value)
{
    GridSetEditText(ACol, ARow, Value);
    TFormServices* S = FormServices();
    int Field = 0, Op = 0;
    if (CheckGuard || !S || !Operators::ColumnField(ACol, Field, Op))
        return;
    if (Field == Operators::ExtensionField)
        SettleCellDecision(*this, CheckOperatorExtension(Value, EditStartText, *S), Value);
    else if (Field == Operators::MailboxField)
        SettleCellDecision(*this, CheckOperatorMailbox(Value, EditStartText, *S), Value);
}

void TOperatorParametersForm::KeyUp(int& Key, Qt::KeyboardModifiers Shift)
{
    GridKeyUp(Key, Shift);
    if (Key != Qt::Key_Delete || Grid->EditorShowing())
        return;
    const int Col = Grid->Col(), Row = Grid->Row();
    int Field = 0, Op = 0;
    // Operator 1 answers whenever an operator is asked for: only the others may be left without one.
    if (!Operators::ColumnField(Col, Field, Op) || Op == 1 ||
        (Field != Operators::ExtensionField && Field != Operators::MailboxField))
        return;
    if (Row < 0 || Row >= Grid->RowCount() || (Grid->GetCellValueOptions(Col, Row) & voReadOnly))
        return;
    if (Grid->Cells(Col, Row).empty())
        return;
    Grid->SetCells(Col, Row, "");
    SetModified(true);
    Grid->update();
}

void TOperatorParametersForm::ForgetReadSections(TFormServices& Services)
{
    Services.ForgetMailboxListing();
    Services.ForgetExtensionSections("Operator's Parameters");
}

namespace {
TFormClassRegistration Registration("TOperatorParametersForm", MakeFormFactory<TOperatorParametersForm>());
}
