#include "forms/dialogs/SetDate.h"

#include "forms/dialogs/DialogForm.h"

#include <QCalendarWidget>
#include <QDate>
#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TSetDateForm::TSetDateForm(QWidget* Owner) : QDialog(Owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setModal(true);
    setWindowTitle("Set Date");
    auto* Main = new QVBoxLayout(this);
    Main->setSizeConstraint(QLayout::SetFixedSize);
    Main->setContentsMargins(12, 12, 12, 12);
    Main->setSpacing(10);
    CalendarPanel = new QFrame(this);
    CalendarPanel->setObjectName("CalendarPanel");
    CalendarPanel->setFrameShape(QFrame::StyledPanel);
    auto* Panel = new QVBoxLayout(CalendarPanel);
    Panel->setContentsMargins(2, 2, 2, 2);
    MonthCalendar = new QCalendarWidget(CalendarPanel);
    MonthCalendar->setObjectName("MonthCalendar");
    MonthCalendar->setGridVisible(true);
    MonthCalendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    Panel->addWidget(MonthCalendar);
    Main->addWidget(CalendarPanel);

    QHBoxLayout* Row = AddOkCancelRow(this, "OK", OKBtn, CancelBtn);
    ClearBtn = AddClearButton(this, Row);
    Main->addLayout(Row);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(ClearBtn, &QPushButton::clicked, this, [this] { ClearBtnClick(); });
    connect(MonthCalendar, &QCalendarWidget::activated, this, &QDialog::accept);
    ApplyDialogDescription(this, metaObject()->className());
}

void TSetDateForm::SetDateText(const std::string& S)
{
    const QDate Today = QDate::currentDate();
    const TDateValue D = ParseDateText(S, Today.day(), Today.month(), Today.year());
    HasYear = D.HasYear;
    YearDigits = D.YearDigits;
    MonthCalendar->setSelectedDate(QDate(D.Year, D.Month, D.Day));
}

void TSetDateForm::GetDateText(std::string& S) const
{
    if (Cleared) {
        S.clear();
        return;
    }
    const QDate D = MonthCalendar->selectedDate();
    S = DateText({D.day(), D.month(), D.year(), HasYear, YearDigits});
}

void TSetDateForm::ClearBtnClick()
{
    Cleared = true;
    accept();
}

void TSetDateForm::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    CentreDialog(this);
}
