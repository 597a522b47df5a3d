#include "shell/SetNewAdminPassword.h"

#include "common/Utilits.h"
#include "platform/Dialogs.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TSetNewAdminPasswordForm::TSetNewAdminPasswordForm(QWidget* Owner) : TSetAdminPasswordForm(Owner, false)
{
    setObjectName("SetNewAdminPasswordForm");
    setWindowTitle("Set Administrator Password");
    LabelPassword->setText("New Administrator Password:");
    LabelVerification = new QLabel("Password Verification:", this);
    LabelVerification->setObjectName("LabelVerification");
    EditVerification = MakePasswordEdit("EditVerification");
    Grid->addWidget(LabelVerification, 1, 0);
    Grid->addWidget(EditVerification, 1, 1);
    setTabOrder(EditPassword, EditVerification);
    setTabOrder(EditVerification, OKBtn);
    setTabOrder(OKBtn, CancelBtn);
    FormCreate();
}

void TSetNewAdminPasswordForm::OKBtnClick()
{
    if (EditPassword->text() != EditVerification->text()) {
        TDialogs::instance().MessageBox(Utilits::SErrorPasswVerification, Utilits::SError, mtError, mbOK);
        EditPassword->clear();
        EditVerification->clear();
        EditPassword->setFocus();
        return;
    }
    accept();
}
