// The dialog that asks for a new administrator password twice. OK closes it only when both fields hold exactly
// the same text; otherwise it says "Incorrect password verification.", empties both fields and stays open.
#pragma once

#include "shell/SetAdminPassword.h"

class TSetNewAdminPasswordForm : public TSetAdminPasswordForm {
    Q_OBJECT
public:
    explicit TSetNewAdminPasswordForm(QWidget* Owner = nullptr);

    QLabel* LabelVerification;
    QLineEdit* EditVerification;

protected:
    void OKBtnClick() override;
};
