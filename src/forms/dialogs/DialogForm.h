// What the small modal dialogs of the section windows share: their description ("Form Info" and the control texts
// of "Form Properties" under their class name), their place centred over the main window, and the key filter of
// their number edits. Main thread only.
#pragma once

#include <QObject>

class QDialog;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QWidget;

// Caption and help context from "Form Info", then the control texts, of the description named ClassName. The
// dialog is made at least as wide as its title bar needs to show the caption whole.
void ApplyDialogDescription(QDialog* Dialog, const char* ClassName);
// The width a title bar needs for Caption: the text in the title font beside the window's icon and buttons.
int TitleBarWidth(const QString& Caption);
// Centres Dialog over the main window (its owner's window, else the program's main window).
void CentreDialog(QDialog* Dialog);
// The row of buttons at a dialog's foot, right-aligned: OK (the default button, captioned OkText) and Cancel,
// which rejects. What OK does is the caller's to connect.
QHBoxLayout* AddOkCancelRow(QDialog* Dialog, const QString& OkText, QPushButton*& OK, QPushButton*& Cancel);
// A "Clear" button at the left end of such a row; what it clears is the caller's to connect.
QPushButton* AddClearButton(QDialog* Dialog, QHBoxLayout* Row);

// Lets digits, Backspace, Enter, line feed and Esc through to a number edit; any other character beeps and is
// dropped (keys without a character, such as the arrows and Tab, pass). Enter and line feed move the focus to the
// next control. A validator keeps pasted text to at most MaxDigits digits (0: any number of digits).
class TDigitKeyFilter : public QObject {
public:
    explicit TDigitKeyFilter(QObject* Parent, bool EnterMovesFocus = true)
        : QObject(Parent), FEnterMovesFocus(EnterMovesFocus) {}
    // EnterMovesFocus false: Enter and line feed go on to the edit, so a dialog's default button acts at once.
    static void Install(QLineEdit* Edit, int MaxDigits, bool EnterMovesFocus = true);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    bool FEnterMovesFocus;
};
