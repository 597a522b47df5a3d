// The administrator-password dialog, shown when the device asks for its password: one masked field of at most 10
// characters, OK and Cancel. Cancel, Esc and closing the window cancel (the dialog is rejected).
// Centred over the main window; its texts can be replaced from the description under its class name.
#pragma once

#include <QDialog>

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

class TSetAdminPasswordForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int MaxPasswordLength = 10;

    explicit TSetAdminPasswordForm(QWidget* Owner = nullptr) : TSetAdminPasswordForm(Owner, true) {}

    QLabel* LabelPassword;
    QLineEdit* EditPassword;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

protected:
    // A subclass passes ApplyTexts false and calls FormCreate itself once its own controls exist, so that only
    // the texts of its own class are applied.
    TSetAdminPasswordForm(QWidget* Owner, bool ApplyTexts);
    // The OK button's click; here it simply accepts.
    virtual void OKBtnClick();
    // Applies the description's texts for the most-derived class; subclasses call it after adding their controls.
    void FormCreate();
    void showEvent(QShowEvent* Event) override;
    // A field that shows "*" for every character and takes at most MaxPasswordLength of them.
    QLineEdit* MakePasswordEdit(const char* Name);
    // Label and field rows; OK and Cancel sit in a row of their own below them.
    QGridLayout* Grid;
    static constexpr int ButtonRow = 10;
};
