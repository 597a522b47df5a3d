// A date picked on a month calendar. SetDateText takes "d/m" or "d/m/y" (DateText.h), GetDateText gives the chosen
// date back in the same form, with as many year digits as it was given; Clear closes with OK and an empty date.
#pragma once

#include "forms/dialogs/DateText.h"

#include <QDialog>

#include <string>

class QCalendarWidget;
class QFrame;
class QPushButton;

class TSetDateForm : public QDialog {
    Q_OBJECT
public:
    explicit TSetDateForm(QWidget* Owner = nullptr);

    QFrame* CalendarPanel = nullptr;
    QCalendarWidget* MonthCalendar = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* ClearBtn = nullptr;
    bool Cleared = false;
    bool HasYear = false;
    int32_t YearDigits = 4;

    void SetDateText(const std::string& S);
    void GetDateText(std::string& S) const;
    void ClearBtnClick();

protected:
    void showEvent(QShowEvent* Event) override;
};
