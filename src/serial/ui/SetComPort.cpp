#include "serial/ui/SetComPort.h"

#include "common/Utilits.h"
#include "platform/Dialogs.h"
#include "serial/ui/SerComboBox.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QLabel* boldLabel(const char* name, const char* text, QWidget* parent)
{
    auto* l = new QLabel(QString::fromLatin1(text), parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

template <class E>
QComboBox* choiceList(const char* name, const std::vector<TSerChoice<E>>& choices, const char* initial,
    QWidget* parent)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    for (const TSerChoice<E>& ch : choices)
        c->addItem(QString::fromLatin1(ch.Text));
    c->setCurrentIndex(c->findText(QString::fromLatin1(initial)));
    return c;
}

template <class E>
void selectValue(QComboBox* list, const std::vector<TSerChoice<E>>& choices, E value)
{
    for (size_t i = 0; i < choices.size(); ++i)
        if (choices[i].Value == value)
            list->setCurrentIndex(int(i));
}

template <class E, class Set>
void applyValue(QComboBox* list, const std::vector<TSerChoice<E>>& choices, Set set)
{
    int i = list->currentIndex();
    if (i >= 0 && size_t(i) < choices.size())
        set(choices[size_t(i)].Value);
}
}

TSetComPortForm::TSetComPortForm(QWidget* Owner, TCustomSerPort* Port) : QDialog(Owner), ComPort(Port)
{
    setObjectName("SetComPortForm");
    setWindowTitle("Com Port Setup");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);

    ComboComPort = new TSerComboBox(this);
    ComboComPort->setObjectName("ComboComPort");
    ComboComPort->SetComProperty(cpPort);
    connect(ComboComPort, &TSerComboBox::Changed, this, [this] { FPortChosen = true; });
    // Ports are device paths (/dev/ttyUSB0, a pseudo-terminal's path): the box grows to show the longest whole.
    ComboComPort->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    ComboBaudRate = choiceList("ComboBaudRate", BaudRateChoices(), "9600", this);
    ComboDataBitLen = choiceList("ComboDataBitLen", DataBitsChoices(), "8", this);
    ComboParity = choiceList("ComboParity", ParityChoices(), "None", this);
    ComboStopBitLen = choiceList("ComboStopBitLen", StopBitsChoices(), "1", this);

    auto* grid = new QGridLayout;
    grid->addWidget(boldLabel("LabelComPort", "Com Port:", this), 0, 0);
    grid->addWidget(ComboComPort, 0, 1);
    grid->addWidget(boldLabel("LabelBaudRate", "Baud Rate:", this), 1, 0);
    grid->addWidget(ComboBaudRate, 1, 1);
    grid->addWidget(boldLabel("LabelDataBitLen", "Data Bit Length:", this), 2, 0);
    grid->addWidget(ComboDataBitLen, 2, 1);
    grid->addWidget(boldLabel("LabelParity", "Parity:", this), 3, 0);
    grid->addWidget(ComboParity, 3, 1);
    grid->addWidget(boldLabel("LabelStopBitLen", "Stop Bit Length:", this), 4, 0);
    grid->addWidget(ComboStopBitLen, 4, 1);
    grid->setColumnStretch(1, 1);

    OKBtn = new QPushButton("OK", this);
    OKBtn->setObjectName("OKBtn");
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton("Cancel", this);
    CancelBtn->setObjectName("CancelBtn");
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);

    auto* outer = new QVBoxLayout(this);
    outer->addLayout(grid);
    outer->addStretch();
    outer->addLayout(buttons);
    if (ComPort) {
        ComboComPort->SetComPort(ComPort);
        selectValue(ComboBaudRate, BaudRateChoices(), ComPort->BaudRate());
        selectValue(ComboDataBitLen, DataBitsChoices(), ComPort->DataBits());
        selectValue(ComboParity, ParityChoices(), ComPort->Parity().Bits());
        selectValue(ComboStopBitLen, StopBitsChoices(), ComPort->StopBits());
    }
    // The designed client area; a larger system font or a port's long path (listed only once the port is known)
    // may need more, never less.
    QSize size = sizeHint().expandedTo(QSize(235, 189));
    setFixedSize(size);
}

void TSetComPortForm::ApplySettings()
{
    if (!ComPort)
        return;
    TSerPortUpdate update(ComPort);
    ComboComPort->ApplySettings();
    applyValue(ComboBaudRate, BaudRateChoices(), [this](TBaudRate v) { ComPort->SetBaudRate(v); });
    applyValue(ComboDataBitLen, DataBitsChoices(), [this](TDataBits v) { ComPort->SetDataBits(v); });
    applyValue(ComboParity, ParityChoices(), [this](TParityBits v) { ComPort->Parity().SetBits(v); });
    applyValue(ComboStopBitLen, StopBitsChoices(), [this](TStopBits v) { ComPort->SetStopBits(v); });
    update.Commit();
}

void TSetComPortForm::accept()
{
    const std::string Typed = ComboComPort->ChosenPort();
    if (FPortChosen && !IsPortName(Typed)) {
        TDialogs::instance().MessageBox("\"" + Typed + "\" is no port. Choose one from the list, or type a device "
            "path (such as /dev/ttyUSB0) or a name from COM1 to COM96.", Utilits::SError, mtError, mbOK);
        ComboComPort->setFocus();
        return;
    }
    QDialog::accept();
}

bool ExecuteComPortSetup(TCustomSerPort* Port, QWidget* Owner, const std::function<void(QWidget&)>& ApplyTexts,
    const std::vector<std::string>& KnownPorts, bool* PortChosen)
{
    TSetComPortForm form(Owner, Port);
    form.ComboComPort->SetKnownPorts(KnownPorts);
    if (ApplyTexts)
        ApplyTexts(form);
    if (PortChosen)
        *PortChosen = false;
    if (form.exec() != QDialog::Accepted)
        return false;
    form.ApplySettings();
    if (PortChosen)
        *PortChosen = form.PortChosen();
    return true;
}
