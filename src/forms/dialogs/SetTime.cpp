#include "forms/dialogs/SetTime.h"

#include "forms/dialogs/DialogForm.h"
#include "platform/Dialogs.h"
#include "platform/StrUtil.h"
#include "platform/ui/QtText.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton* MakeArrow(QWidget* Parent, Qt::ArrowType Arrow, const QString& Name, int Tag)
{
    auto* B = new QToolButton(Parent);
    B->setObjectName(Name);
    B->setArrowType(Arrow);
    B->setProperty("Tag", Tag);
    B->setAutoRepeat(true);
    B->setFocusPolicy(Qt::NoFocus);
    B->setFixedSize(18, 11);
    return B;
}

// An up and a down arrow stacked beside an edit.
QWidget* MakeSpin(QWidget* Parent, const QString& Name, int Tag, QToolButton*& Up, QToolButton*& Down)
{
    auto* Box = new QWidget(Parent);
    Box->setObjectName(Name);
    auto* L = new QVBoxLayout(Box);
    L->setContentsMargins(0, 0, 0, 0);
    L->setSpacing(0);
    Up = MakeArrow(Box, Qt::UpArrow, Name + "Up", Tag);
    Down = MakeArrow(Box, Qt::DownArrow, Name + "Down", Tag);
    L->addWidget(Up);
    L->addWidget(Down);
    return Box;
}

QLineEdit* MakeTimeEdit(QWidget* Parent, const QString& Name, int Tag)
{
    auto* E = new QLineEdit("00", Parent);
    E->setObjectName(Name);
    E->setProperty("Tag", Tag);
    E->setMaxLength(2);
    E->setAlignment(Qt::AlignCenter);
    E->setFixedWidth(E->fontMetrics().horizontalAdvance("000") + 12);
    TDigitKeyFilter::Install(E, 2);
    return E;
}

void SelectComboText(QComboBox* Combo, const std::string& Text)
{
    Combo->setCurrentIndex(-1);
    for (int I = 0; I < Combo->count(); ++I)
        if (SameText(FromQ(Combo->itemText(I)), Trim(Text))) {
            Combo->setCurrentIndex(I);
            return;
        }
}

}  // namespace

TSetTimeForm::TSetTimeForm(QWidget* Owner) : TSetTimeForm(Owner, TNoFields{})
{
    setWindowTitle("Set Time");
    auto* Grid = new QGridLayout(GroupBox1);
    AddTimeField(Grid, 0, 1, "New time:", "Label1", false);
    MainLayout->addWidget(GroupBox1);
    AddButtons();
    FormCreate();
}

TSetTimeForm::TSetTimeForm(QWidget* Owner, TNoFields)
    : QDialog(Owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setModal(true);
    MainLayout = new QVBoxLayout(this);
    MainLayout->setSizeConstraint(QLayout::SetFixedSize);
    MainLayout->setContentsMargins(12, 12, 12, 12);
    MainLayout->setSpacing(10);
    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName("GroupBox1");
    SetHour12(false);
}

TTimeFieldControls& TSetTimeForm::AddTimeField(QGridLayout* Grid, int Row, int Field, const QString& LabelText,
    const QString& LabelName, bool WithAmPm)
{
    QWidget* Parent = Grid->parentWidget();
    TTimeFieldControls& F = Fields[Field];
    const QString N = QString::number(Field);
    F.Label = new QLabel(LabelText, Parent);
    F.Label->setObjectName(LabelName);
    F.Hour = MakeTimeEdit(Parent, "EditHour" + N, Field * 10);
    F.Minute = MakeTimeEdit(Parent, "EditMinute" + N, Field * 10 + 1);
    QWidget* HourSpin = MakeSpin(Parent, "SpinHour" + N, Field * 10, F.HourUp, F.HourDown);
    QWidget* MinuteSpin = MakeSpin(Parent, "SpinMinute" + N, Field * 10 + 1, F.MinuteUp, F.MinuteDown);
    auto* Colon = new QLabel(":", Parent);
    Colon->setObjectName("Colon" + N);
    F.Label->setBuddy(F.Hour);
    Grid->addWidget(F.Label, Row, 0);
    Grid->addWidget(F.Hour, Row, 1);
    Grid->addWidget(HourSpin, Row, 2);
    Grid->addWidget(Colon, Row, 3);
    Grid->addWidget(F.Minute, Row, 4);
    Grid->addWidget(MinuteSpin, Row, 5);
    Grid->setColumnMinimumWidth(6, 4);
    if (WithAmPm) {
        F.AmPm = new QComboBox(Parent);
        F.AmPm->setObjectName("ComboAmPm" + N);
        F.AmPm->setProperty("Tag", Field * 10 + 2);
        F.AmPm->addItems({"AM", "PM"});
        F.AmPm->setCurrentIndex(-1);
        Grid->addWidget(F.AmPm, Row, 7);
    }
    Grid->setColumnStretch(8, 1);
    F.Hour->installEventFilter(this);
    F.Minute->installEventFilter(this);
    connect(F.HourUp, &QToolButton::clicked, this, [this, Field] { SpinButtonClick(Field, tsHourUp); });
    connect(F.HourDown, &QToolButton::clicked, this, [this, Field] { SpinButtonClick(Field, tsHourDown); });
    connect(F.MinuteUp, &QToolButton::clicked, this, [this, Field] { SpinButtonClick(Field, tsMinuteUp); });
    connect(F.MinuteDown, &QToolButton::clicked, this, [this, Field] { SpinButtonClick(Field, tsMinuteDown); });
    return F;
}

QHBoxLayout* TSetTimeForm::AddButtons()
{
    QHBoxLayout* Row = AddOkCancelRow(this, "OK", OKBtn, CancelBtn);
    MainLayout->addLayout(Row);
    connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    return Row;
}

void TSetTimeForm::FormCreate() { ApplyDialogDescription(this, metaObject()->className()); }

void TSetTimeForm::OKBtnClick()
{
    if (CommitTimeFields())
        accept();
}

void TSetTimeForm::SetHour12(bool Value)
{
    Hour12 = Value;
    MaxTime = ParseTimeStr(Value ? "12:59" : "23:59");
}

void TSetTimeForm::SetMinTime(const std::string& S) { MinTime = ParseTimeStr(S); }

void TSetTimeForm::SetMaxTime(const std::string& S) { MaxTime = ParseTimeStr(S); }

TTimeFieldControls* TSetTimeForm::TimeField(int Field)
{
    auto It = Fields.find(Field);
    return It == Fields.end() ? nullptr : &It->second;
}

std::string TSetTimeForm::GetTimeField(int Field) const
{
    auto It = Fields.find(Field);
    if (It == Fields.end())
        return {};
    const TTimeFieldControls& F = It->second;
    std::string AmPm;
    if (F.AmPm && !F.AmPm->isHidden() && F.AmPm->currentIndex() >= 0)
        AmPm = FromQ(F.AmPm->currentText());
    return TimeFieldText(FromQ(F.Hour->text()), FromQ(F.Minute->text()), AmPm);
}

void TSetTimeForm::SetTimeField(int Field, const std::string& S)
{
    TTimeFieldControls* F = TimeField(Field);
    if (!F)
        return;
    std::string Rest, Hour, Minute;
    TimeToParts(NormalizeTime(ParseTimeStr(S, Rest), Hour12), Hour, Minute);
    F->Hour->setText(ToQ(Hour));
    F->Minute->setText(ToQ(Minute));
    if (F->AmPm)
        SelectComboText(F->AmPm, Rest);
}

void TSetTimeForm::ClearTimeField(int Field) { SetTimeField(Field, ""); }

void TSetTimeForm::EnableTimeField(int Field, bool Enabled)
{
    TTimeFieldControls* F = TimeField(Field);
    if (!F)
        return;
    for (QWidget* W : {static_cast<QWidget*>(F->Hour), static_cast<QWidget*>(F->Minute),
             static_cast<QWidget*>(F->HourUp), static_cast<QWidget*>(F->HourDown),
             static_cast<QWidget*>(F->MinuteUp), static_cast<QWidget*>(F->MinuteDown)})
        W->setEnabled(Enabled);
    if (F->AmPm)
        F->AmPm->setEnabled(Enabled);
}

void TSetTimeForm::ShowAmPm(bool Show)
{
    for (auto& [Field, F] : Fields)
        if (F.AmPm)
            F.AmPm->setVisible(Show);
}

void TSetTimeForm::SpinButtonClick(int Field, TTimeSpin Button)
{
    TTimeFieldControls* F = TimeField(Field);
    if (!F)
        return;
    const int32_t Current = ParseTimeStr(GetTimeField(Field));
    std::string Hour, Minute;
    TimeToParts(SpinTime(Current, Button, Hour12, MinuteCarry, MinTime, MaxTime), Hour, Minute);
    F->Hour->setText(ToQ(Hour));
    F->Minute->setText(ToQ(Minute));
}

std::string TSetTimeForm::LeaveField(int Field, bool Final)
{
    TTimeFieldControls* F = TimeField(Field);
    if (!F)
        return {};
    std::string Hour = FromQ(F->Hour->text()), Minute = FromQ(F->Minute->text());
    const bool Changed = LeaveTimeEdits(Hour, Minute, Hour12, MinTime, MaxTime, Final);
    F->Hour->setText(ToQ(Hour));
    F->Minute->setText(ToQ(Minute));
    if (!Changed)
        return {};
    // The field is named as the dialog shows it ("Time Frame 2 Start time"), so that a box about one of several
    // fields says which.
    std::string Name = Trim(FromQ(F->Label->text()));
    while (!Name.empty() && (Name.back() == ':' || Name.back() == ' '))
        Name.pop_back();
    if (auto* Box = qobject_cast<QGroupBox*>(F->Label->parentWidget()); Box && !Box->title().isEmpty())
        Name = FromQ(Box->title()) + " " + Name;
    std::string Held = Hour + ":" + Minute;
    if (F->AmPm && !F->AmPm->isHidden() && F->AmPm->currentIndex() >= 0)
        Held += " " + FromQ(F->AmPm->currentText());
    return TimeInputMessage(Name, Hour12, MinTime, MaxTime, Held);
}

bool TSetTimeForm::CommitTimeFields()
{
    std::string Told;
    for (auto& [Field, F] : Fields) {
        if (!F.Hour->isEnabled())
            continue;
        const std::string Message = LeaveField(Field, true);
        if (!Message.empty())
            Told += (Told.empty() ? "" : "\n") + Message;
    }
    if (Told.empty())
        return true;
    ShowError(Told);
    return false;
}

bool TSetTimeForm::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::FocusOut) {
        const QVariant Tag = Watched->property("Tag");
        const Qt::FocusReason Reason = static_cast<QFocusEvent*>(Event)->reason();
        // Focus that leaves with the window comes back to the same edit; and an edit left for OK or Cancel by a
        // click is settled by that button (OK tells and stays, Cancel drops the time), so that no box comes up
        // between the press and the release of the button.
        QWidget* Next = QApplication::focusWidget();
        const bool ByButtonClick = Reason == Qt::MouseFocusReason && (Next == OKBtn || Next == CancelBtn);
        if (Tag.isValid() && Reason != Qt::ActiveWindowFocusReason && Reason != Qt::PopupFocusReason &&
            !ByButtonClick) {
            const std::string Message = LeaveField(Tag.toInt() / 10);
            if (!Message.empty())
                ShowError(Message);
        }
    }
    return QDialog::eventFilter(Watched, Event);
}

void TSetTimeForm::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    CentreDialog(this);
}
