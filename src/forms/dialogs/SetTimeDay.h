// The time-of-day dialog with an AM/PM choice: the time dialog whose field 1 has its AM/PM combo.
#pragma once

#include "forms/dialogs/SetTime.h"

class TSetTimeDayForm : public TSetTimeForm {
    Q_OBJECT
public:
    explicit TSetTimeDayForm(QWidget* Owner = nullptr);
};
