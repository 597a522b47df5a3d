#include "forms/dialogs/SetMailboxNo.h"

#include "common/Utilits.h"
#include "forms/base/FormServices.h"
#include "forms/dialogs/DialogForm.h"
#include "forms/dialogs/MailboxNoCheck.h"
#include "platform/Dialogs.h"
#include "platform/StrUtil.h"
#include "platform/ui/QtText.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TSetMailboxNoForm::TSetMailboxNoForm(QWidget* Owner) : QDialog(Owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setModal(true);
    setWindowTitle("Create new mailbox");
    auto* Grid = new QGridLayout(this);
    Grid->setSizeConstraint(QLayout::SetFixedSize);
    Grid->setContentsMargins(14, 14, 14, 12);
    Grid->setHorizontalSpacing(10);
    Grid->setVerticalSpacing(12);
    Label1 = new QLabel("Enter new mailbox number:", this);
    Label1->setObjectName("Label1");
    EditMailboxNo = new QLineEdit(this);
    EditMailboxNo->setObjectName("EditMailboxNo");
    EditMailboxNo->setFixedWidth(EditMailboxNo->fontMetrics().horizontalAdvance("0000000") + 14);
    // The only field: Enter creates at once instead of first moving to the button.
    TDigitKeyFilter::Install(EditMailboxNo, 0, false);
    Label1->setBuddy(EditMailboxNo);
    Grid->addWidget(Label1, 0, 0);
    Grid->addWidget(EditMailboxNo, 0, 1);

    Grid->addLayout(AddOkCancelRow(this, "Create", OKBtn, CancelBtn), 1, 0, 1, 2);
    connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    ApplyDialogDescription(this, metaObject()->className());
}

void TSetMailboxNoForm::showEvent(QShowEvent* Event)
{
    // No length means no limit (a length of 0 would let nothing be typed).
    EditMailboxNo->setMaxLength(NumberLength > 0 ? NumberLength : 32767);
    EditMailboxNo->setText(ToQ(IntToStr(MinValue)));
    EditMailboxNo->selectAll();
    EditMailboxNo->setFocus();
    QDialog::showEvent(Event);
    CentreDialog(this);
}

void TSetMailboxNoForm::OKBtnClick()
{
    TMailboxNoRules Rules;
    Rules.MinValue = MinValue;
    Rules.MaxValue = MaxValue;
    Rules.NumberLength = NumberLength;
    Rules.InListing = ListingCheck;
    if (TFormServices* Services = FormServices()) {
        Rules.SystemManagerMailbox = Services->DeviceFacts().SystemManagerMailbox;
        Rules.GroupCaption = Services->GetSectionCaption("Mailbox Group");
        if (Rules.GroupCaption.empty())
            Rules.GroupCaption = "Mailbox Group";
        Rules.IsGroupNumber = [Services, &Rules](const std::string& Number) {
            std::string Caption;
            const bool Used = !Services->FindMailboxGroup(Number, Caption) ||
                !Services->MailboxInUseByGroupForm(Number);
            if (!Caption.empty())
                Rules.GroupCaption = Caption;
            return Used;
        };
    }
    const TMailboxNoVerdict Verdict = CheckNewMailboxNo(FromQ(EditMailboxNo->text()), Rules);
    if (Verdict.Ok) {
        accept();
        return;
    }
    TDialogs::instance().MessageBox(Verdict.Message, Utilits::SError, mtError, mbOK);
    if (!Verdict.ResetText.empty())
        EditMailboxNo->setText(ToQ(Verdict.ResetText));
    // Back to the field with its text selected, so that the next digits typed replace it instead of being lost
    // on the button.
    EditMailboxNo->setFocus(Qt::OtherFocusReason);
    EditMailboxNo->selectAll();
}
