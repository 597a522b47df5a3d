#include "forms/custom/CustomService.h"

#include "common/ui/UtilitsUi.h"
#include "forms/custom/CustomServiceDetail.h"
#include "forms/custom/CustomServiceRules.h"
#include "forms/base/FormServices.h"
#include "platform/StrUtil.h"
#include "print/ui/PrintGrid.h"
#include "shell/FormRegistry.h"

#include <QBoxLayout>
#include <QMdiArea>
#include <QToolButton>

using namespace CustomService;

TCustomServiceForm::TCustomServiceForm(const TFormCreation& Creation) : TBaseGridForm(Creation)
{
    CustomServiceTreePreviewButton = new QToolButton(ToolBar);
    CustomServiceTreePreviewButton->setObjectName("CustomServiceTreePreviewButton");
    CustomServiceTreePreviewButton->setText("Tree Report");
    CustomServiceTreePreviewButton->setAutoRaise(true);
    CustomServiceTreePreviewButton->setEnabled(false);
    // Beside the print preview, before the stretch that closes the tool bar.
    auto* Tools = static_cast<QBoxLayout*>(ToolBar->layout());
    Tools->insertWidget(Tools->indexOf(PrintPreviewButton) + 1, CustomServiceTreePreviewButton);
    connect(CustomServiceTreePreviewButton, &QToolButton::clicked, this,
        [this] { CustomServiceTreePreviewButtonClick(); });
    Grid->OnDblClick = [this] { OpenDetail(); };
    Grid->OnKeyPress = [this](char& Key) {
        if (Key == '\r' || Key == '\n') {
            Key = 0;
            OpenDetail();
        }
    };
}

void TCustomServiceForm::InitForm()
{
    TBaseGridForm::InitForm();
    FormMask.Include(16);
    ShowOKOnly();
    DataKeepsToCells = true;
    ShowSection(false, "Custom Service", "");
    Grid->ModifyTracking = false;
    PrintOrientation = 1;
    ApplyFormTexts("TCustomServiceForm", this);
    TFormServices* S = FormServices();
    const TDeviceFacts Facts = S ? S->DeviceFacts() : TDeviceFacts();
    CustomServiceTreePreviewButton->setEnabled(Facts.PortOpen && !Facts.BatchMode);
}

void TCustomServiceForm::GetRowCaption(int Row, std::string& S) { S = IntToStr(Row + 1); }

void TCustomServiceForm::GetRowSubSection(int Row, std::string& S) { S = "Custom No. " + IntToStr(Row + 1); }

void TCustomServiceForm::GetPrintData(TPrintData& Data)
{
    TBaseGridForm::GetPrintData(Data);
    // Thirty-two columns shrunk to one page width would be unreadable.
    Data.FitToPageWidth = false;
}

void TCustomServiceForm::GetNodeName(TXmlNode* Node, std::string& S)
{
    TBaseGridForm::GetNodeName(Node, S);
    S = CustomServiceNodeName(Node, S, PlaceRow + 1, CurrentKey);
}

void TCustomServiceForm::FormatColumnCaption(const std::string& S, std::string& R) { R = KeyCaption(S, CurrentKey); }

void TCustomServiceForm::ValueToText(const std::string& Value, int Col, std::string& S, int Row)
{
    TBaseGridForm::ValueToText(Value, Col, S, Row);
    if (Col == ActionRow)
        S = ActionAbbreviation(S);
    else if (Col >= FirstKeyRow && IsAssignmentRow(Col))
        S = AssignmentAbbreviation(S);
}

void TCustomServiceForm::LoadRecordRows()
{
    LayOutFirstRow();
    // Every menu's row has the layout of the first: the same cells, texts, rules and hints, found under the same
    // names but for its own menu number. Copied, it is what placing the description row by row would give.
    TXStringGridModel& G = GridModel();
    for (int r = 1; r < MenuCount; ++r) {
        EnsureRow(r);
        for (int c = 0; c < G.ColumnCount(); ++c) {
            G.CellProperty(c, r).Assign(G.CellProperty(c, 0));
            G.SetCellValueOptions(c, r, G.GetCellValueOptions(c, 0));
            G.SetCellValueType(c, r, G.GetCellValueType(c, 0));
            G.SetCells(c, r, G.Cells(c, 0));
        }
        G.SetCellKey(NumberRow, r, "Custom No. " + IntToStr(r + 1));
        G.SetCells(NumberRow, r, IntToStr(r + 1));
    }
    PlaceRow = -1;
    TXmlNode* Section = RecordNode;
    for (const auto& Child : Section->Nodes) {
        const std::string Tag = Child->GetTag();
        if ((Tag != "ATTR" && Tag != "PARAM") || !Child->Attrs.Find("ParseValue") ||
            Child->GetAttr("Change") == "Delete")
            continue;
        const int32_t Number = StrToIntDef(Child->GetAttr("ParseValue"), 0);
        if (Number < 1 || Number > MenuCount) {
            ReportUnshownNode(Child.get(), "its menu number lies outside 1 to 100");
            continue;
        }
        EnsureRow(Number - 1);
        LoadNodes(DataDoc, Child.get(), true, false);
        // The row shows its menu number whatever the stored node's value says.
        Grid->SetCells(NumberRow, Number - 1, IntToStr(Number));
    }
    PlaceRow = -1;
}

void TCustomServiceForm::LayOutFirstRow()
{
    // The first key places every cell of a menu; the other keys add only their keypad's pair of columns, which is
    // what walking the whole menu again would place.
    TXmlNode* View = ViewNode;
    TXmlNode* Keypad = ViewDoc->FindNode(View, "Keypad %T%");
    EnsureRow(0);
    for (int k = 0; k < KeyCount; ++k) {
        CurrentKey = KeyText(k);
        PlaceRow = 0;
        LoadNodes(ViewDoc, k == 0 || !Keypad ? View : Keypad, true, true);
    }
    PlaceRow = 0;
    Grid->SetCells(NumberRow, 0, "1");
    Grid->SetCells(KeyRow(0), 0, AssignmentAbbreviation("Operator"));
    Grid->SetCells(KeyRow(10), 0, AssignmentAbbreviation("Exit"));
    UnlockRow(0);
}

void TCustomServiceForm::UnlockRow(int Row)
{
    SetRowReadOnly(false, Row, ActionRow, NameRow);
    for (int Col = FirstKeyRow; Col < Grid->ColumnCount(); Col += 2)
        SetCellReadOnly(false, Col, Row);
}

void TCustomServiceForm::OpenDetail()
{
    const int Row = Grid->Row();
    TFormServices* S = FormServices();
    if (Row < 0 || Row >= Grid->RowCount() || !S)
        return;
    if (TBaseMDIForm* Open = S->FindChildForm(TFormKinds{3, 17}, this, Row)) {
        Area()->setActiveSubWindow(Open);
        return;
    }
    TFormParams P;
    if (TXmlNode* Template = ViewDoc->FindNode(ViewNode, "Custom No. %T%"))
        ReadFormInfo(Template, P);
    TBaseMDIForm::CreateDetail<TCustomServiceDetailForm>(Area(), TFormKinds{3}, P, this, Row);
}

void TCustomServiceForm::CustomServiceTreePreviewButtonClick()
{
    const int Row = Grid->Row();
    if (Row < 0 || Row >= Grid->RowCount())
        return;
    if (TFormServices* S = FormServices())
        S->ShowReport("Custom Service Report", Grid->Cells(NumberRow, Row));
}

namespace {
TFormClassRegistration Registration("TCustomServiceForm", MakeFormFactory<TCustomServiceForm>());
}
