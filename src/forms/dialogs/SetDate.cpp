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

    auto* Row = new QHBoxLayout;
    ClearBtn = new QPushButton("Clear", this);
    ClearBtn->setObjectName("ClearBtn");
    OKBtn = new QPushButton("OK", this);
    OKBtn->setObjectName("OKBtn");
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton("Cancel", this);
    CancelBtn->setObjectName("CancelBtn");
    Row->addWidget(ClearBtn);
    Row->addStretch(1);
    for (QPushButton* B : {ClearBtn, OKBtn, CancelBtn})
        B->setMinimumWidth(80);
    Row->addWidget(OKBtn);
    Row->addWidget(CancelBtn);
    Main->addLayout(Row);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
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
