#include "forms/dialogs/SetTimeFrames.h"

#include "common/Utilits.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TSetTimeFramesForm::TSetTimeFramesForm(QWidget* Owner) : TSetTimeForm(Owner, TNoFields{})
{
    setWindowTitle("Time Frame Setting");
    MinuteCarry = false;
    auto* Modes = new QHBoxLayout;
    EditRadio = new QRadioButton("Edit", this);
    AllDayRadio = new QRadioButton("All Day", this);
    NoUseRadio = new QRadioButton("No Use", this);
    EditRadio->setObjectName("EditRadio");
    AllDayRadio->setObjectName("AllDayRadio");
    NoUseRadio->setObjectName("NoUseRadio");
    for (QRadioButton* R : {EditRadio, AllDayRadio, NoUseRadio}) {
        Modes->addWidget(R);
        connect(R, &QRadioButton::toggled, this, [this](bool On) {
            if (On)
                SelectMode(Mode());
        });
    }
    Modes->addStretch(1);
    MainLayout->addLayout(Modes);

    GroupBox1->setTitle("Time Frame 1");
    auto* Grid1 = new QGridLayout(GroupBox1);
    AddTimeField(Grid1, 0, 1, "Start time:", "Label1", true);
    AddTimeField(Grid1, 1, 2, "End time:", "Label2", true);
    MainLayout->addWidget(GroupBox1);

    GroupBox2 = new QGroupBox("Time Frame 2", this);
    GroupBox2->setObjectName("GroupBox2");
    // The button sits below the grid, so that both frames' grids keep the same columns.
    auto* Frame2 = new QVBoxLayout(GroupBox2);
    auto* Grid2 = new QGridLayout;
    Grid2->setContentsMargins(0, 0, 0, 0);
    Frame2->addLayout(Grid2);
    AddTimeField(Grid2, 0, 3, "Start time:", "Label3", true);
    AddTimeField(Grid2, 1, 4, "End time:", "Label4", true);
    ClearFrame2Button = new QPushButton("Clear Time Frame 2", GroupBox2);
    ClearFrame2Button->setObjectName("ClearFrame2Button");
    Frame2->addWidget(ClearFrame2Button, 0, Qt::AlignLeft);
    connect(ClearFrame2Button, &QPushButton::clicked, this, [this] { ClearFrame2ButtonClick(); });
    MainLayout->addWidget(GroupBox2);

    AddButtons();
    SetHour12(true);
    AllDayBounds(true, AllDayStart, AllDayEnd);
    EditRadio->setChecked(true);
    FormCreate();
}

TFrameMode TSetTimeFramesForm::Mode() const
{
    if (AllDayRadio->isChecked())
        return fmAllDay;
    if (NoUseRadio->isChecked())
        return fmNoUse;
    return fmEdit;
}

void TSetTimeFramesForm::SelectMode(TFrameMode NewMode)
{
    QRadioButton* Radio = NewMode == fmAllDay ? AllDayRadio : NewMode == fmNoUse ? NoUseRadio : EditRadio;
    if (!Radio->isChecked()) {
        Radio->setChecked(true);   // comes back here through its toggled signal
        return;
    }
    if (NewMode == fmAllDay) {
        SetTimeField(1, AllDayStart);
        SetTimeField(2, AllDayEnd);
        ClearTimeField(3);
        ClearTimeField(4);
    } else if (NewMode == fmNoUse) {
        for (int Field = 1; Field <= 4; ++Field)
            ClearTimeField(Field);
    }
    for (int Field = 1; Field <= 4; ++Field)
        EnableTimeField(Field, NewMode == fmEdit);
    ClearFrame2Button->setEnabled(NewMode == fmEdit);
}

void TSetTimeFramesForm::LoadFrames(const std::string& Start1, const std::string& End1, const std::string& Start2,
    const std::string& End2)
{
    AllDayBounds(Hour12, AllDayStart, AllDayEnd);
    ShowAmPm(Hour12);
    const TTimeFrames Frames{Start1, End1, Start2, End2};
    const TFrameMode NewMode = FramesMode(Frames);
    if (NewMode == fmEdit) {
        SetTimeField(1, Start1);
        SetTimeField(2, End1);
        SetTimeField(3, Start2);
        SetTimeField(4, End2);
    }
    SelectMode(NewMode);
}

void TSetTimeFramesForm::GetFrames(std::string& Start1, std::string& End1, std::string& Start2,
    std::string& End2) const
{
    const TTimeFrames Read{GetTimeField(1), GetTimeField(2), GetTimeField(3), GetTimeField(4)};
    const TTimeFrames Result = FoldFrames(Mode(), Read, AllDayStart, AllDayEnd);
    // The frames go back in the form the cells and the device read them ("08:00"), not as the fields show them.
    Start1 = CellTimeText(Result.Start1);
    End1 = CellTimeText(Result.End1);
    Start2 = CellTimeText(Result.Start2);
    End2 = CellTimeText(Result.End2);
}

void TSetTimeFramesForm::ClearFrame2ButtonClick()
{
    ClearTimeField(3);
    ClearTimeField(4);
}

void TSetTimeFramesForm::OKBtnClick()
{
    if (!CommitTimeFields())
        return;
    if (Mode() == fmEdit) {
        const TFrameCheck Check =
            CheckFrames({GetTimeField(1), GetTimeField(2), GetTimeField(3), GetTimeField(4)});
        if (Check.Code != 0) {
            ShowTimeFrameError(Check.Code, Check.Frame);
            return;
        }
    }
    accept();
}
