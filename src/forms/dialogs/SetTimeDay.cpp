#include "forms/dialogs/SetTimeDay.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

TSetTimeDayForm::TSetTimeDayForm(QWidget* Owner) : TSetTimeForm(Owner, TNoFields{})
{
    setWindowTitle("Set Time");
    MinuteCarry = false;
    auto* Grid = new QGridLayout(GroupBox1);
    AddTimeField(Grid, 0, 1, "New time:", "Label1", true);
    MainLayout->addWidget(GroupBox1);
    AddButtons();
    SetHour12(true);
    FormCreate();
}
