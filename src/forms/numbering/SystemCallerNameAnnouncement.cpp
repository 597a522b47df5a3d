#include "forms/numbering/SystemCallerNameAnnouncement.h"

#include "forms/base/FormNodeServices.h"
#include "platform/StrUtil.h"
#include "shell/FormRegistry.h"

#include <QToolButton>

TSystemCallerNameAnnouncementForm::TSystemCallerNameAnnouncementForm(const TFormCreation& Creation)
    : TBaseGridForm(Creation)
{
    DeleteRowButton->show();
    connect(DeleteRowButton, &QToolButton::clicked, this, [this] { DeleteRowButtonClick(); });
}

void TSystemCallerNameAnnouncementForm::InitForm()
{
    TBaseGridForm::InitForm();
    FormMask.Include(25);
    ShowSection(false, "System Caller Name Announcement", "");
    for (int Row = 0; Row < Grid->RowCount(); ++Row)
        Grid->SetCells(0, Row, IntToStr(Row + 1));
    Grid->ModifyTracking = true;
}

void TSystemCallerNameAnnouncementForm::GetNodeName(TXmlNode* Node, std::string& S)
{
    TBaseGridForm::GetNodeName(Node, S);
    if (S == "No %T%")
        S = SubstituteFormValue(S, IntToStr(PlaceRow + 1));
}

void TSystemCallerNameAnnouncementForm::DeleteRowButtonClick()
{
    const int Row = Grid->Row();
    if (Row < 0 || Row >= Grid->RowCount())
        return;
    for (int Col = 1; Col <= 2 && Col < Grid->ColumnCount(); ++Col)
        Grid->SetCells(Col, Row, "");
    SetModified(true);
    Grid->update();
}

namespace {
TFormClassRegistration Registration(
    "TSystemCallerNameAnnouncementForm", MakeFormFactory<TSystemCallerNameAnnouncementForm>());
}
