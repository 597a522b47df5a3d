#include "forms/service/PortService.h"

#include "common/Utilits.h"
#include "forms/base/FormNodeServices.h"
#include "forms/base/FormServices.h"
#include "forms/service/ServiceRules.h"
#include "platform/Dialogs.h"
#include "platform/Exception.h"
#include "platform/StrUtil.h"
#include "platform/ui/QtText.h"
#include "print/ui/PrintGrid.h"
#include "shell/FormRegistry.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>

namespace {
constexpr const char* ServiceKey = "Incoming Call Service";
constexpr const char* PromptKey = "Incoming Call Service Prompt";
} // namespace

TPortServiceForm::TPortServiceForm(const TFormCreation& Creation) : TBaseGridForm(Creation)
{
    LabelPortNo = new QLabel("VPS Port", BottomPanel);
    LabelPortNo->setObjectName("LabelPortNo");
    ComboPortNo = new QComboBox(BottomPanel);
    ComboPortNo->setObjectName("ComboPortNo");
    if (auto* L = qobject_cast<QHBoxLayout*>(BottomPanel->layout())) {
        L->insertWidget(0, LabelPortNo);
        L->insertWidget(1, ComboPortNo);
    }
    Grid->OnSetEditText = [this](int C, int R, std::string& V) { SetEditText(C, R, V); };
    connect(ComboPortNo, &QComboBox::activated, this, [this] { ComboPortNoChange(); });
}

bool TPortServiceForm::IsTrunk() const { return FormClassName() == "TTrunkServiceForm"; }
std::string TPortServiceForm::SectionName() const { return IsTrunk() ? "Trunk Service" : "Port Service"; }
std::string TPortServiceForm::RecordPrefix() const { return IsTrunk() ? "Trunk No. " : "Port No. "; }

void TPortServiceForm::InitForm()
{
    TBaseGridForm::InitForm();
    TFormServices* S = FormServices();
    const TDeviceFacts F = S ? S->DeviceFacts() : TDeviceFacts{};
    FormMask.Include(IsTrunk() ? 12 : 11);
    if (IsTrunk())
        LabelPortNo->setText("Trunk Group");
    ComboPortNo->clear();
    for (int N = 1; N <= (IsTrunk() ? F.AmountTrunkGroups : F.AmountVPSPorts); ++N)
        ComboPortNo->addItem(QString::number(N));
    ComboPortNo->setCurrentIndex(0);
    ShowChosen();
    Grid->ModifyTracking = true;
}

void TPortServiceForm::ShowChosen()
{
    ShowSection(false, SectionName(), RecordPrefix() + FromQ(ComboPortNo->currentText()));
    for (int Row = 0; Row < Grid->RowCount(); ++Row) {
        Grid->SetCells(0, Row, "  " + ModeName(Row + 1));
        const int Col = FindColumnByKey(Row, ServiceKey);
        if (Col >= 0 && Col + 1 < Grid->ColumnCount()) {
            SetServiceNumberRules(Grid->Cells(Col, Row), Col + 1, Row);
            if (!ServiceNumberRules(Grid->Cells(Col, Row), TDeviceFacts{}).Editable)
                SetCellReadOnly(true, Col + 1, Row);
        }
        const int Prompt = FindColumnByKey(Row, PromptKey);
        if (Prompt >= 0 && Prompt + 1 < Grid->ColumnCount() && Grid->Cells(Prompt, Row) != "Selective")
            SetCellReadOnly(true, Prompt + 1, Row);
    }
}

void TPortServiceForm::ShowTable(const std::string& Section, const std::string& SubSection)
{
    // The grid's settings lie on the section: the record's name ("Port No. %T%") is shared with Port Setting.
    TGridFormCore::ShowTable(Section, SubSection);
    if (TXmlNode* Data = SectionNode)
        ApplyViewParams(Data->GetTemplate(), "Grid Info", false);
}

void TPortServiceForm::GetPrintData(TPrintData& Data)
{
    TBaseGridForm::GetPrintData(Data);
    const std::string Chosen = " - " + FromQ(LabelPortNo->text()) + " " + FromQ(ComboPortNo->currentText());
    Data.Title += Chosen;
    Data.HeaderCaption += Chosen;
}

void TPortServiceForm::ComboPortNoChange()
{
    TrackModified = false;
    ClearComboItems();
    ClearCellNodes();
    RecordNode = TNodeRef();
    try {
        ShowChosen();
    } catch (const Exception& E) {
        ShowError(E.Message);
    }
    TrackModified = true;
    Grid->SetRow(0);
    Grid->SetCol(1);
}

void TPortServiceForm::ModifiedChanged()
{
    TBaseGridForm::ModifiedChanged();
    ComboPortNo->setEnabled(!Modified);
}

void TPortServiceForm::GetNodeName(TXmlNode* Node, std::string& S)
{
    TBaseGridForm::GetNodeName(Node, S);
    if (S == "%T% Mode")
        S = SubstituteFormValue(S, ModeName(PlaceRow + 1));
}

std::string TPortServiceForm::KeyOf(int Col, int Row) const
{
    return Col >= 0 && Row >= 0 && Col < Grid->ColumnCount() && Row < Grid->RowCount() ? Grid->GetCellKey(Col, Row)
                                                                                         : std::string();
}

void TPortServiceForm::ValueToText(const std::string& Value, int Col, std::string& S, int Row)
{
    S = ServiceValueToText(KeyOf(Col, Row), Value);
}

void TPortServiceForm::TextToValue(const std::string& Text, int Col, std::string& S, int Row)
{
    S = ServiceTextToValue(KeyOf(Col, Row), Text);
}

void TPortServiceForm::SetServiceNumberRules(const std::string& Service, int Col, int Row)
{
    TFormServices* S = FormServices();
    const TServiceNumberRules R = ServiceNumberRules(Service, S ? S->DeviceFacts() : TDeviceFacts{});
    if (!R.SetRange)
        return;
    Grid->SetCellMinInteger(Col, Row, R.Min);
    Grid->SetCellMaxInteger(Col, Row, R.Max);
    Grid->SetCellEditLimit(Col, Row, R.Limit);
}

void TPortServiceForm::SetEditText(int ACol, int ARow, std::string& Value)
{
    GridSetEditText(ACol, ARow, Value);
    TFormServices* S = FormServices();
    if (CheckGuard || Value == EditStartText)
        return;
    const std::string Key = KeyOf(ACol, ARow);
    // A check that raises must not escape the editor's commit: its message is shown and the text reverts.
    try {
        if (Key == "Company Greeting No.") {
            SettleCellDecision(*this, CompanyGreetingText(Value), Value);
        } else if (Key == "Greeting No.") {
            SettleCellDecision(*this, GreetingText(Value), Value);
        } else if (Key == ServiceKey && ACol + 1 < Grid->ColumnCount()) {
            const bool Editable = ServiceNumberRules(Value, TDeviceFacts{}).Editable;
            SetCellReadOnly(!Editable, ACol + 1, ARow);
            if (Editable)
                SetServiceNumberRules(Value, ACol + 1, ARow);
            Grid->SetCells(ACol + 1, ARow, "");
        } else if (Key == PromptKey && ACol + 1 < Grid->ColumnCount()) {
            const bool Selective = Value == "Selective";
            SetCellReadOnly(!Selective, ACol + 1, ARow);
            Grid->SetCells(ACol + 1, ARow, Selective ? "System" : "");
        } else if (Key == "Delayed Answer Time" && IsTrunk()) {
            Value = TrunkDelayText(Value);
        } else if (Key == "Number" && ACol > 0 && S) {
            SettleCellDecision(*this, CheckServiceNumber(Grid->Cells(ACol - 1, ARow), Value, EditStartText, *S),
                Value);
        }
    } catch (const Exception& E) {
        SettleCellDecision(*this, TCellDecision{false, Value, E.Message}, Value);
    }
}

bool TPortServiceForm::ApplyChanges(bool Notify)
{
    for (int Row = 0; Row < Grid->RowCount(); ++Row) {
        const int Col = FindColumnByKey(Row, ServiceKey);
        if (Col < 0 || Col + 1 >= Grid->ColumnCount())
            continue;
        if (ServiceNeedsNumber(Grid->Cells(Col, Row)) && Grid->Cells(Col + 1, Row).empty()) {
            ShowError(Format(Utilits::SNotSetParameter, {Grid->ColumnList()[Col]->Caption()}));
            Grid->SetRow(Row);
            Grid->SetCol(Col + 1);
            Grid->setFocus();
            return false;
        }
    }
    for (int Row = 0; Row < Grid->RowCount(); ++Row) {
        if (int Col = FindColumnByKey(Row, ServiceKey); Col >= 0)
            UpdateDependentNodes(Col, Row, false, {"Interview", "Custom"});
        if (int Col = FindColumnByKey(Row, PromptKey); Col >= 0)
            UpdateDependentNodes(Col, Row, false, {"Selective"});
    }
    if (!TBaseGridForm::ApplyChanges(Notify))
        return false;
    ComboPortNo->setEnabled(true);
    return true;
}

namespace {
TFormClassRegistration PortRegistration("TPortServiceForm", MakeFormFactory<TPortServiceForm>());
TFormClassRegistration TrunkRegistration("TTrunkServiceForm", MakeFormFactory<TTrunkServiceForm>());
}
