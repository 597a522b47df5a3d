// A time period: a start and an end time, or the device's "Day Mode" or "Night Mode". SetLayout chooses between
// the times only (with a Clear button: an empty period is allowed) and the times with the mode choice. SetPeriod
// takes the texts (after SetHour12), GetPeriod gives them back; OK checks the times and stays open with the message
// while they are not sound.
#pragma once

#include "forms/dialogs/SetTime.h"

class QRadioButton;

class TSetTimePeriodForm : public TSetTimeForm {
    Q_OBJECT
public:
    explicit TSetTimePeriodForm(QWidget* Owner = nullptr);

    QGroupBox* RadioGroup1 = nullptr;
    QRadioButton* EditRadio = nullptr;
    QRadioButton* AllDayRadio = nullptr;
    QRadioButton* AllNightRadio = nullptr;
    QPushButton* ClearBtn = nullptr;
    std::string DefaultStart;
    std::string DefaultEnd;

    void SetLayout(bool TimesOnly);
    void SetPeriod(const std::string& Start, const std::string& End);
    void GetPeriod(std::string& Start, std::string& End) const;
    TPeriodMode Mode() const;
    void ClearBtnClick();

protected:
    void OKBtnClick() override;

private:
    void ApplyMode(TPeriodMode Mode, bool FillDefaults);
    TPeriodMode Shown = pmSelectTime;
};
