#include "shell/SetAdminPassword.h"

#include "common/ui/UtilitsUi.h"
#include "forms/dialogs/DialogForm.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TSetAdminPasswordForm::TSetAdminPasswordForm(QWidget* Owner, bool ApplyTexts)
    : QDialog(Owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName("SetAdminPasswordForm");
    setWindowTitle("Administrator Password");
    setModal(true);

    Grid = new QGridLayout(this);
    Grid->setSizeConstraint(QLayout::SetFixedSize);
    Grid->setContentsMargins(14, 14, 14, 12);
    Grid->setHorizontalSpacing(10);
    Grid->setVerticalSpacing(10);
    LabelPassword = new QLabel("Administrator Password:", this);
    LabelPassword->setObjectName("LabelPassword");
    EditPassword = MakePasswordEdit("EditPassword");
    Grid->addWidget(LabelPassword, 0, 0);
    Grid->addWidget(EditPassword, 0, 1);

    Grid->setRowMinimumHeight(ButtonRow - 1, 4);
    Grid->addLayout(AddOkCancelRow(this, "OK", OKBtn, CancelBtn), ButtonRow, 0, 1, 2);
    connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });

    EditPassword->setFocus();
    if (ApplyTexts)
        FormCreate();
}

QLineEdit* TSetAdminPasswordForm::MakePasswordEdit(const char* Name)
{
    auto* E = new QLineEdit(this);
    E->setObjectName(Name);
    E->setMaxLength(MaxPasswordLength);
    E->setEchoMode(QLineEdit::Password);
    E->setStyleSheet("lineedit-password-character: 42;");
    E->setFixedWidth(E->fontMetrics().horizontalAdvance(QString(MaxPasswordLength + 4, QLatin1Char('W'))));
    return E;
}

void TSetAdminPasswordForm::FormCreate() { ApplyFormTexts(metaObject()->className(), this); }

void TSetAdminPasswordForm::OKBtnClick() { accept(); }

void TSetAdminPasswordForm::showEvent(QShowEvent* Event)
{
    QWidget* Owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (!Owner)
        for (QWidget* W : QApplication::topLevelWidgets())
            if (W->objectName() == "MainForm") {
                Owner = W;
                break;
            }
    CentreOverMainForm(this, Owner);
    QDialog::showEvent(Event);
}
