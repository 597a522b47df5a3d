#include "forms/service/COS.h"

#include "forms/service/COSDetail.h"
#include "forms/base/FormNodeServices.h"
#include "forms/base/FormServices.h"
#include "platform/StrUtil.h"
#include "print/ui/PrintGrid.h"
#include "shell/FormRegistry.h"

#include <QMdiArea>

TCOSForm::TCOSForm(const TFormCreation& Creation) : TBaseGridForm(Creation)
{
    Grid->OnDblClick = [this] { OpenDetail(); };
    Grid->OnKeyPress = [this](char& Key) {
        if (Key == '\r' || Key == '\n') {
            Key = 0;
            OpenDetail();
        }
    };
}

void TCOSForm::InitForm()
{
    TBaseGridForm::InitForm();
    ShowOKOnly();
    FormMask.Include(9);
    ShowSection(false, "Class of Service", "");
    Grid->ModifyTracking = false;
    PrintOrientation = 1;
}

void TCOSForm::GetRowCaption(int Row, std::string& S) { S = IntToStr(Row + 1); }

void TCOSForm::GetRowSubSection(int Row, std::string& S)
{
    S = SubstituteFormValue(Grid->RowCount() > 0 ? Grid->GetCellKey(0, 0) : std::string(), IntToStr(Row + 1));
}

void TCOSForm::GetNodeGroup(TXmlNode*, std::string& S) { S = IntToStr(PlaceRow + 1); }

void TCOSForm::GetPrintData(TPrintData& Data)
{
    TBaseGridForm::GetPrintData(Data);
    // Thirteen parameters a class: shrunk to the page they would be unreadable.
    Data.FitToPageWidth = false;
}

void TCOSForm::OpenDetail()
{
    const int Row = Grid->Row();
    TFormServices* S = FormServices();
    if (Row < 0 || !S || !RecordNode.Get())
        return;
    if (TBaseMDIForm* Open = S->FindChildForm(TFormKinds{3, 10}, this, Row)) {
        Area()->setActiveSubWindow(Open);
        return;
    }
    std::string Sub;
    GetRowSubSection(Row, Sub);
    TFormParams P;
    if (TXmlNode* Record = DataDoc->FindNode(RecordNode, Sub))
        ReadFormInfo(Record->GetTemplate(), P);
    TBaseMDIForm::CreateDetail<TCOSDetailForm>(Area(), TFormKinds{3}, P, this, Row);
}

namespace {
TFormClassRegistration Registration("TCOSForm", MakeFormFactory<TCOSForm>());
}
