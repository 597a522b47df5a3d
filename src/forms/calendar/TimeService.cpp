#include "forms/calendar/TimeService.h"

#include "forms/calendar/CalendarRules.h"
#include "forms/base/FormServices.h"
#include "forms/dialogs/SetTimePeriod.h"
#include "platform/ui/QtText.h"
#include "print/ui/PrintGrid.h"
#include "shell/FormRegistry.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>

namespace {
bool IsParamTag(const TXmlNode* Node) { return Node->GetTag() == "ATTR" || Node->GetTag() == "PARAM"; }
}

TTimeServiceForm::TTimeServiceForm(const TFormCreation& Creation) : TBaseGridForm(Creation)
{
    LabelMode = new QLabel("Service Mode", BottomPanel);
    LabelMode->setObjectName("LabelMode");
    ComboMode = new QComboBox(BottomPanel);
    ComboMode->setObjectName("ComboMode");
    if (auto* L = qobject_cast<QHBoxLayout*>(BottomPanel->layout())) {
        L->insertWidget(0, LabelMode);
        L->insertWidget(1, ComboMode);
    }
    connect(ComboMode, &QComboBox::activated, this, [this] { ComboModeChange(); });
    Grid->OnDblClick = [this] { EditPeriod(); };
    Grid->OnKeyPress = [this](char& Key) {
        if (Key == '\r' || Key == '\n') {
            Key = 0;
            EditPeriod();
        }
    };
    // Times are set in the period dialog only: a typed time would reach the device unchecked.
    Grid->OnCanEditShow = [](int, int, bool& Show) { Show = false; };
}

void TTimeServiceForm::InitForm()
{
    TBaseGridForm::InitForm();
    FormMask.Include(21);
    TrackModified = true;
    ShowSection(false, "Time Service", "Time Service Parameters");
    Grid->ModifyTracking = true;
}

void TTimeServiceForm::LoadMode()
{
    ModeNode = DataDoc && RecordNode ? RecordNode->Nodes.FindByName(TimeService::ModeNode) : nullptr;
    TXmlNode* Mode = ModeNode;
    TXmlNode* Field = Mode ? Mode->Nodes.FindByName(TimeService::ModeField) : nullptr;
    LabelMode->setVisible(Field != nullptr);
    ComboMode->setVisible(Field != nullptr);
    ComboMode->clear();
    ModeValues.clear();
    if (!Field)
        return;
    const TModeChoices C = ModeChoicesOf(Field->GetTemplate());
    if (!C.Caption.empty())
        LabelMode->setText(ToQ(C.Caption));
    ModeValues = C.Values;
    for (const std::string& T : C.Texts)
        ComboMode->addItem(ToQ(T));
    for (size_t i = 0; i < ModeValues.size(); ++i)
        if (ModeValues[i] == Field->GetValue())
            ComboMode->setCurrentIndex(int(i));
}

void TTimeServiceForm::LoadRecordRows()
{
    LoadMode();
    PlaceCol = PlaceRow = -1;
    for (int Day = 0; Day < TimeService::Days; ++Day) {
        EnsureRow(Day);
        LoadNodes(ViewDoc, ViewNode, true, true);
        const std::string DayNode = "Day " + TimeServiceDayName(Day) + ".";
        for (const auto& Part : RecordNode->Nodes) {
            if (!IsParamTag(Part.get()) || SkipNode(Part.get()))
                continue;
            PlaceRow = Day;
            if (TXmlNode* N = Part->Nodes.FindByName(DayNode))
                LoadNodes(DataDoc, N, true, false);
        }
        PlaceRow = Day;
        Grid->SetCells(0, Day, TimeServiceDayName(Day));
    }
}

bool TTimeServiceForm::SkipNode(TXmlNode* Node)
{
    // The mode is shown in its combo box: as a cell it would add a column to every day.
    return Node && Node->GetName() == TimeService::ModeNode;
}

void TTimeServiceForm::GetNodeGroup(TXmlNode*, std::string& S) { S = TimeServiceDayName(PlaceRow); }

void TTimeServiceForm::ValueToText(const std::string& Value, int Col, std::string& S, int)
{
    S = TimeServiceValueToText(Col, Value);
}

void TTimeServiceForm::TextToValue(const std::string& Text, int Col, std::string& S, int)
{
    S = TimeServiceTextToValue(Col, Text);
}

void TTimeServiceForm::RowChanged(const std::vector<int>& Cols, int)
{
    TXmlNode* Record = RecordNode;
    if (!Record)
        return;
    for (int Col : Cols) {
        TXmlNode* Part = Record->Nodes.FindByName(TimeServiceSubtree(Col));
        if (Part && Part->GetAttr("Change") == "NoChange")
            Part->SetAttr("Change", "Modify");
    }
}

void TTimeServiceForm::SetPeriod(int Row, int StartCol, const std::string& Start, const std::string& End)
{
    if (StartCol < 1)
        return;
    SetEditedCell(StartCol, Row, Start);
    SetEditedCell(StartCol + 1, Row, End);
}

void TTimeServiceForm::EditPeriod()
{
    const int Row = Grid->Row();
    const int Start = TimeServicePeriodStart(Grid->Col());
    if (Row < 0 || Row >= Grid->RowCount() || Start + 1 >= Grid->ColumnCount())
        return;
    TSetTimePeriodForm Dialog(this);
    TFormServices* S = FormServices();
    Dialog.SetHour12(S ? S->DeviceFacts().UseAMPM : true);
    // Only the day service may be a whole day in Day or Night Mode.
    Dialog.SetLayout(Start != 1);
    Dialog.SetPeriod(Grid->Cells(Start, Row), Grid->Cells(Start + 1, Row));
    if (Dialog.exec() != QDialog::Accepted)
        return;
    std::string From, To;
    Dialog.GetPeriod(From, To);
    SetPeriod(Row, Start, From, To);
}

void TTimeServiceForm::ComboModeChange() { SetModified(true); }

bool TTimeServiceForm::ApplyChanges(bool Notify)
{
    TXmlNode* Mode = ModeNode;
    TXmlNode* Field = Mode ? Mode->Nodes.FindByName(TimeService::ModeField) : nullptr;
    const int Chosen = ComboMode->currentIndex();
    if (Field && Chosen >= 0 && size_t(Chosen) < ModeValues.size() && Field->GetValue() != ModeValues[Chosen]) {
        Field->SetAttr("Value", ModeValues[Chosen]);
        // The field's save script tests its own mark: with only the group marked, the new mode would never be sent.
        if (Field->GetAttr("Change") == "NoChange")
            Field->SetAttr("Change", "Modify");
        if (Mode->GetAttr("Change") == "NoChange")
            Mode->SetAttr("Change", "Modify");
    }
    return TBaseGridForm::ApplyChanges(Notify);
}

void TTimeServiceForm::GetPrintData(TPrintData& Data)
{
    TBaseGridForm::GetPrintData(Data);
    if (ComboMode->isVisible() || ComboMode->count() > 0)
        Data.HeaderCaption += " (" + FromQ(LabelMode->text()) + " = " + FromQ(ComboMode->currentText()) + ")";
}

namespace {
TFormClassRegistration Registration("TTimeServiceForm", MakeFormFactory<TTimeServiceForm>());
}
