// The time-of-day dialog and the base of the other time dialogs: per time field an hour and a minute edit with
// their spin buttons, in the descendants an AM/PM choice. The caller sets the clock (SetHour12) and the bounds,
// fills the fields, shows the dialog modally and reads the fields after OK. The decisions (reading, stepping,
// bounds) are the plain functions of TimeText.h; this class only puts them on widgets.
//
// Controls carry the field in their "Tag" property as field*10 + 0 (hour), 1 (minute), 2 (AM/PM).
#pragma once

#include "forms/dialogs/TimeText.h"

#include <QDialog>

#include <cstdint>
#include <map>
#include <string>

class QComboBox;
class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QVBoxLayout;

struct TTimeFieldControls {
    QLabel* Label = nullptr;
    QLineEdit* Hour = nullptr;
    QLineEdit* Minute = nullptr;
    QToolButton* HourUp = nullptr;
    QToolButton* HourDown = nullptr;
    QToolButton* MinuteUp = nullptr;
    QToolButton* MinuteDown = nullptr;
    QComboBox* AmPm = nullptr;
};

class TSetTimeForm : public QDialog {
    Q_OBJECT
public:
    explicit TSetTimeForm(QWidget* Owner = nullptr);

    QGroupBox* GroupBox1 = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    int32_t MinTime = 0;
    int32_t MaxTime = 0;
    bool Hour12 = false;
    bool MinuteCarry = true;

    void SetHour12(bool Value);
    void SetMinTime(const std::string& S);
    void SetMaxTime(const std::string& S);
    // Empty unless both edits hold text; "h:mm", with ",AM"/",PM" when an AM/PM choice is shown and made.
    std::string GetTimeField(int Field) const;
    void SetTimeField(int Field, const std::string& S);
    void ClearTimeField(int Field);
    void EnableTimeField(int Field, bool Enabled);
    // Hides (24-hour clock) or shows the AM/PM choices.
    void ShowAmPm(bool Show);
    TTimeFieldControls* TimeField(int Field);

    // The spin buttons' and the edits' handlers. LeaveField pads, normalises and bounds the field's edits and
    // answers the message for a part it had to change (empty when nothing was changed); leaving an edit for another
    // control of the dialog shows it at once. A field with one part still empty is checked only when Final (OK).
    void SpinButtonClick(int Field, TTimeSpin Button);
    std::string LeaveField(int Field, bool Final = false);
    // Leaves every enabled field as OK does before it reads them: false, with the changes told in one box, when a
    // field had to be changed, so that the user sees the time before it is used.
    bool CommitTimeFields();

protected:
    struct TNoFields {};
    // For the descendants: the frame of the dialog without any time field.
    TSetTimeForm(QWidget* Owner, TNoFields);
    TTimeFieldControls& AddTimeField(QGridLayout* Grid, int Row, int Field, const QString& LabelText,
        const QString& LabelName, bool WithAmPm);
    // The buttons row at the foot; Extra buttons go to its left.
    QHBoxLayout* AddButtons();
    // Texts and "Form Info" of the most-derived class; each concrete class calls it at the end of its constructor.
    void FormCreate();
    virtual void OKBtnClick();

    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void showEvent(QShowEvent* Event) override;

    QVBoxLayout* MainLayout = nullptr;
    std::map<int, TTimeFieldControls> Fields;
};
