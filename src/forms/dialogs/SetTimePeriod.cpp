#include "forms/dialogs/SetTimePeriod.h"

#include "common/Utilits.h"
#include "forms/dialogs/DialogForm.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TSetTimePeriodForm::TSetTimePeriodForm(QWidget* Owner) : TSetTimeForm(Owner, TNoFields{})
{
    setWindowTitle("Time Period Setting");
    MinuteCarry = false;
    RadioGroup1 = new QGroupBox(this);
    RadioGroup1->setObjectName("RadioGroup1");
    auto* Modes = new QHBoxLayout(RadioGroup1);
    EditRadio = new QRadioButton("Select Time", RadioGroup1);
    AllDayRadio = new QRadioButton("Day Mode", RadioGroup1);
    AllNightRadio = new QRadioButton("Night Mode", RadioGroup1);
    EditRadio->setObjectName("EditRadio");
    AllDayRadio->setObjectName("AllDayRadio");
    AllNightRadio->setObjectName("AllNightRadio");
    for (QRadioButton* R : {EditRadio, AllDayRadio, AllNightRadio}) {
        Modes->addWidget(R);
        // Only the user's choice fills the default times; SetPeriod sets its own.
        connect(R, &QRadioButton::clicked, this, [this] { ApplyMode(Mode(), true); });
    }
    Modes->addStretch(1);
    MainLayout->addWidget(RadioGroup1);

    auto* Grid = new QGridLayout(GroupBox1);
    AddTimeField(Grid, 0, 1, "Start time:", "Label1", true);
    AddTimeField(Grid, 1, 2, "End time:", "Label2", true);
    MainLayout->addWidget(GroupBox1);

    QHBoxLayout* Buttons = AddButtons();
    ClearBtn = AddClearButton(this, Buttons);
    connect(ClearBtn, &QPushButton::clicked, this, [this] { ClearBtnClick(); });

    SetHour12(true);
    DefaultPeriod(true, DefaultStart, DefaultEnd);
    EditRadio->setChecked(true);
    FormCreate();
}

void TSetTimePeriodForm::SetLayout(bool TimesOnly)
{
    RadioGroup1->setVisible(!TimesOnly);
    ClearBtn->setVisible(TimesOnly);
}

TPeriodMode TSetTimePeriodForm::Mode() const
{
    if (AllDayRadio->isChecked())
        return pmDayMode;
    if (AllNightRadio->isChecked())
        return pmNightMode;
    return pmSelectTime;
}

void TSetTimePeriodForm::ApplyMode(TPeriodMode NewMode, bool FillDefaults)
{
    QRadioButton* Radio = NewMode == pmDayMode ? AllDayRadio : NewMode == pmNightMode ? AllNightRadio : EditRadio;
    Radio->setChecked(true);
    if (NewMode == pmSelectTime) {
        // A click on the option already chosen keeps the times typed.
        if (FillDefaults && Shown != pmSelectTime) {
            SetTimeField(1, DefaultStart);
            SetTimeField(2, DefaultEnd);
        }
    } else {
        ClearTimeField(1);
        ClearTimeField(2);
    }
    EnableTimeField(1, NewMode == pmSelectTime);
    EnableTimeField(2, NewMode == pmSelectTime);
    Shown = NewMode;
}

void TSetTimePeriodForm::SetPeriod(const std::string& Start, const std::string& End)
{
    DefaultPeriod(Hour12, DefaultStart, DefaultEnd);
    ShowAmPm(Hour12);
    const TPeriodMode NewMode = PeriodMode(Start);
    if (NewMode == pmSelectTime) {
        SetTimeField(1, Start);
        SetTimeField(2, End);
    }
    ApplyMode(NewMode, false);
}

void TSetTimePeriodForm::GetPeriod(std::string& Start, std::string& End) const
{
    switch (Mode()) {
    case pmDayMode:
        Start = End = DayModeText;
        break;
    case pmNightMode:
        Start = End = NightModeText;
        break;
    default:
        Start = GetTimeField(1);
        End = GetTimeField(2);
        break;
    }
}

void TSetTimePeriodForm::ClearBtnClick()
{
    ClearTimeField(1);
    ClearTimeField(2);
}

void TSetTimePeriodForm::OKBtnClick()
{
    if (!CommitTimeFields())
        return;
    if (Mode() == pmSelectTime) {
        if (int32_t Code = CheckPeriod(GetTimeField(1), GetTimeField(2), !ClearBtn->isHidden())) {
            ShowTimePeriodError(Code);
            return;
        }
    }
    accept();
}
