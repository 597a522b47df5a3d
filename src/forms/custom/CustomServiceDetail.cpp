#include "forms/custom/CustomServiceDetail.h"

#include "common/Utilits.h"
#include "forms/custom/CustomServiceRules.h"
#include "forms/base/FormNodeServices.h"
#include "forms/base/FormServices.h"
#include "platform/Dialogs.h"
#include "platform/Exception.h"
#include "platform/StrUtil.h"

#include <QShowEvent>

using namespace CustomService;

TCustomServiceDetailForm::TCustomServiceDetailForm(const TFormCreation& Creation) : TBaseGridForm(Creation)
{
    Grid->OnSetEditText = [this](int C, int R, std::string& V) { SetEditText(C, R, V); };
}

void TCustomServiceDetailForm::InitForm()
{
    TBaseGridForm::InitForm();
    FormMask.Include(17);
    DataKeepsToCells = true;
    std::string Sub;
    if (TGridFormCore* Owner = OwnerGridForm())
        Owner->GetRowSubSection(Index, Sub);
    Grid->SetOptions(Grid->Options() | goRowDifferentHeight);
    ShowSection(true, "Custom Service", Sub);
    Grid->ModifyTracking = true;
    CopyOwnerSelection = true;
}

void TCustomServiceDetailForm::showEvent(QShowEvent* Event)
{
    TBaseGridForm::showEvent(Event);
    // Only a grid that has its size keeps a tall row: before that the grid cuts it to the room it has.
    if (Grid->RowCount() > DescriptionRow && Grid->RowHeights(DescriptionRow + 1) != DescriptionRowHeight)
        Grid->SetRowHeights(DescriptionRow + 1, DescriptionRowHeight);
}

void TCustomServiceDetailForm::GetNodeGroup(TXmlNode*, std::string& S) { S = IntToStr(Index + 1); }

void TCustomServiceDetailForm::GetNodeName(TXmlNode* Node, std::string& S)
{
    TBaseGridForm::GetNodeName(Node, S);
    S = CustomServiceNodeName(Node, S, Index + 1, CurrentKey);
}

void TCustomServiceDetailForm::FormatPropertyCaption(const std::string& S, std::string& R)
{
    R = KeyCaption(S, CurrentKey);
}

void TCustomServiceDetailForm::ShowProperties(const std::string& Section, const std::string& SubSection)
{
    PlaceCol = 1;
    PlaceRow = -1;
    // A reload without names (the section was read again after an Apply) looks for the menu it was opened on.
    if (!Section.empty()) {
        FSection = Section;
        FSubSection = SubSection;
    }
    const std::string Missing = Format("The section \"%s\" is not in the data document.", {FSection});
    if (!RecordNode.Get()) {
        SectionNode = ViewNode = TNodeRef();
        TXmlNode* S = DataDoc ? DataDoc->FindNode(nullptr, FSection) : nullptr;
        if (!S)
            throw Exception(Missing);
        SectionNode = S;
        if (FSubSection.empty()) {
            RecordNode = S;
        } else if (TXmlNode* R = DataDoc->FindNode(S, FSubSection)) {
            RecordNode = R;
        } else {
            // A menu the device does not have yet: shown from its description, made on Apply.
            TXmlNode* Template = S->GetTemplate();
            ViewNode = Template && ViewDoc ? ViewDoc->FindNode(Template, "Custom No. %T%") : nullptr;
            if (!ViewNode.Get())
                throw Exception(Missing);
        }
    }
    if (TXmlNode* R = RecordNode) {
        ViewNode = R->GetTemplate();
        if (!ViewNode.Get())
            throw Exception(Missing);
    }
    ApplyViewParams(ViewNode, "Grid Info", false);
    LoadPropertyRows();
}

void TCustomServiceDetailForm::LoadPropertyRows()
{
    for (int k = 0; k < KeyCount; ++k) {
        CurrentKey = KeyText(k);
        // The menu's own rows are placed again for every key: their lists must not grow each time.
        if (k > 0)
            for (int Row = 0; Row < FirstKeyRow && Row < Grid->RowCount(); ++Row)
                if (Grid->GetCellValueOptions(1, Row) & voComboBox)
                    if (auto* Items = Grid->GetCellItems(1, Row))
                        Items->clear();
        LoadNodes(ViewDoc, ViewNode, true, true);
    }
    const int Last = Grid->RowCount() - 1;
    if (Last < KeyRow(10))
        return;
    Grid->SetCells(1, KeyRow(0), "Operator");
    Grid->SetCells(1, KeyRow(10), "Exit");
    for (int Row = FirstKeyRow; Row <= Last; ++Row) {
        const std::string Caption = Grid->Cells(0, Row);
        Grid->SetCells(0, Row, Caption.size() > KeyCaptionCut ? Caption.substr(KeyCaptionCut) : std::string());
    }
    if (RecordNode.Get())
        LoadNodes(DataDoc, RecordNode, true, false);
    // After the stored values, so that a stored assignment's parameter row gets its limits too.
    UpdateParameterRows(-1, nullptr);
    Grid->SetCells(1, NumberRow, IntToStr(Index + 1));
    if (Grid->Cells(1, NameRow).empty())
        SetColumnReadOnly(true, 1, Last, DescriptionRow);
    Grid->SetRow(NameRow);
}

void TCustomServiceDetailForm::UpdateParameterRows(int FromRow, const std::string* Action)
{
    const int First = FromRow < 0 ? 0 : FromRow;
    const int Last = FromRow < 0 ? Grid->RowCount() - 1 : FromRow;
    SetColumnReadOnly(false, 1, Last, First);
    for (int Row = First; Row <= Last && Row < Grid->RowCount(); ++Row) {
        if (Row == NumberRow)
            SetCellReadOnly(true, 1, Row);
        if (IsAssignmentRow(Row) && Row + 1 < Grid->RowCount())
            SetParameterRules(Action ? *Action : Grid->Cells(1, Row), 1, Row + 1);
    }
}

void TCustomServiceDetailForm::SetParameterRules(const std::string& Assignment, int Col, int Row)
{
    const TParameterRules R =
        AssignmentParameterRules(Assignment, FormServices() ? FormServices()->DeviceFacts() : TDeviceFacts());
    SetCellReadOnly(!R.Editable, Col, Row);
    if (!R.Editable)
        return;
    Grid->SetCellMinInteger(Col, Row, R.MinInteger);
    Grid->SetCellMaxInteger(Col, Row, R.MaxInteger);
    Grid->SetCellEditLimit(Col, Row, R.EditLimit);
}

void TCustomServiceDetailForm::ValueToText(const std::string& Value, int Col, std::string& S, int Row)
{
    TBaseGridForm::ValueToText(Value, Col, S, Row);
    if (Row == ActionRow)
        S = ActionText(S);
}

void TCustomServiceDetailForm::TextToValue(const std::string& Text, int Col, std::string& S, int Row)
{
    TBaseGridForm::TextToValue(Text, Col, S, Row);
    if (Row == ActionRow)
        S = ActionValue(S);
}

void TCustomServiceDetailForm::SetEditText(int ACol, int ARow, std::string& Value)
{
    GridSetEditText(ACol, ARow, Value);
    if (CheckGuard || ACol != 1)
        return;
    if (ARow == NameRow) {
        if (!Value.empty())
            UpdateParameterRows(-1, nullptr);
        else
            SetColumnReadOnly(true, 1, Grid->RowCount() - 1, DescriptionRow);
    } else if (IsAssignmentRow(ARow)) {
        if (Value == EditStartText)
            return;
        UpdateParameterRows(ARow, &Value);
        if (ARow + 1 < Grid->RowCount())
            Grid->SetCells(1, ARow + 1, "");
    } else if (IsParameterRow(ARow)) {
        if (TFormServices* S = FormServices())
            SettleCellDecision(*this, CheckAssignmentParameter(Grid->Cells(1, ARow - 1), Value, EditStartText, *S),
                Value);
    }
}

void TCustomServiceDetailForm::RecordNodeCreated(TXmlNode* Node)
{
    // Dependent nodes are made through here too; only the menu's own node is named and given its keypads.
    if (!FCreatingMenu || !Node)
        return;
    const std::string Number = Grid->Cells(1, NumberRow);
    Node->SetAttr("Name", "Custom No. " + Number);
    Node->SetAttr("ParseValue", Number);
    TXmlNode* Keys = FindNamedChild(Node, "Keypad Assignment", "");
    TXmlNode* First = FindNamedChild(Keys, "Keypad %T%", "");
    TXmlNode* Template = First ? First->GetTemplate() : nullptr;
    for (int k = 0; k < KeyCount && First; ++k) {
        TXmlNode* Keypad = k == 0 ? First : AddFormNodeFromTemplate(Manager(), Keys, Template, true);
        if (!Keypad)
            break;
        while (TXmlNode* Parameter = DataDoc->FindNode(Keypad, "Assignment Parameter"))
            Parameter->Parent->RemoveChild(Parameter);
        Keypad->SetAttr("Name", "Keypad " + KeyText(k));
        Keypad->SetAttr("ParseValue", KeyText(k));
    }
}

void TCustomServiceDetailForm::UpdateAllDependentNodes()
{
    for (int Row = ActionRow; Row < Grid->RowCount() && Row < RowCount; Row += 2) {
        CurrentKey = KeyOfRow(Row);
        UpdateDependentNodes(1, Row, false, ParameterActions());
    }
}

bool TCustomServiceDetailForm::ApplyChanges(bool Notify)
{
    if (Grid->Cells(1, NameRow).empty()) {
        // The menu goes out of use: every value returns to the description's default, and the parameter nodes
        // of the assignments that no longer need one go with them, so none survives emptied.
        const TNodeRef Kept = RecordNode;
        RecordNode = TNodeRef();
        LoadPropertyRows();
        RecordNode = Kept;
        if (RecordNode.Get())
            UpdateAllDependentNodes();
        return TBaseGridForm::ApplyChanges(Notify);
    }
    std::vector<std::string> Values;
    for (int Row = 0; Row < Grid->RowCount(); ++Row)
        Values.push_back(Grid->Cells(1, Row));
    if (const int Missing = FirstMissingParameterRow(Values); Missing >= 0) {
        ShowError(Format(Utilits::SNotSetParameter, {Trim(Grid->Cells(0, Missing))}));
        Grid->SetRow(Missing);
        Grid->setFocus();
        return false;
    }
    if (!RecordNode.Get()) {
        PlaceCol = 1;
        PlaceRow = -1;
        FCreatingMenu = true;
        RecordNode = CreateRecordNode(SectionNode, ViewNode, true);
        FCreatingMenu = false;
        if (!RecordNode.Get()) {
            ShowError(Format("The new record %s could not be stored: the section has no record template.",
                {Grid->Cells(1, NumberRow)}));
            return false;
        }
    }
    UpdateAllDependentNodes();
    return TBaseGridForm::ApplyChanges(Notify);
}

void TCustomServiceDetailForm::ForgetReadSections(TFormServices& Services)
{
    Services.ForgetNumberSections();
}
