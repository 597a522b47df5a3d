#include "serial/ui/SerComboBox.h"

#include "platform/ui/QtText.h"

#include <QLineEdit>

TSerComboBox::TSerComboBox(QWidget* Parent) : QComboBox(Parent)
{
    setEditable(false);
    connect(this, qOverload<int>(&QComboBox::activated), this, &TSerComboBox::userChose);
}

TSerComboBox::~TSerComboBox()
{
    if (Select.ComPort)
        Select.ComPort->RemoveFreeNotification(this);
}

void TSerComboBox::SetComPort(TCustomSerPort* Port)
{
    if (Port == Select.ComPort)
        return;
    if (Select.ComPort)
        Select.ComPort->RemoveFreeNotification(this);
    Select.ComPort = Port;
    if (Port) {
        Port->AddFreeNotification(this, [this] { portDestroyed(); });
        UpdateSettings();
    }
}

void TSerComboBox::SetComProperty(TSerProperty Value)
{
    const bool Typing = Value == cpPort;
    if (Typing != isEditable()) {
        setEditable(Typing);
        if (Typing) {
            setInsertPolicy(QComboBox::NoInsert);
            connect(lineEdit(), &QLineEdit::textEdited, this, &TSerComboBox::userTyped);
            connect(lineEdit(), &QLineEdit::editingFinished, this, [this] {
                if (FTypedPending && Select.AutoApply)
                    Select.ApplySettings();
                FTypedPending = false;
            });
        }
    }
    Select.SetComProperty(Value);
    syncItems();
    if (count() > 0) {
        if (Select.ComPort)
            UpdateSettings();
        else
            setCurrentIndex(0);
    }
}

void TSerComboBox::SetKnownPorts(const std::vector<std::string>& Ports)
{
    Select.KnownPorts = Ports;
    if (ComProperty() == cpPort)
        SetComProperty(cpPort);
}

void TSerComboBox::syncItems()
{
    QStringList items;
    for (const std::string& s : Select.Items)
        items << ToQ(s);
    bool same = items.size() == count();
    for (int i = 0; same && i < count(); ++i)
        same = itemText(i) == items[i];
    if (same)
        return;
    QSignalBlocker block(this);
    clear();
    addItems(items);
    setCurrentIndex(-1);
}

std::string TSerComboBox::Text() const
{
    if (isEditable())
        return FromQ(currentText());
    return currentIndex() < 0 ? std::string() : FromQ(currentText());
}

void TSerComboBox::SetText(const std::string& Value)
{
    int i = findText(ToQ(Value), Qt::MatchExactly);
    if (i >= 0)
        setCurrentIndex(i);
}

void TSerComboBox::UpdateSettings()
{
    int index = Select.UpdateSettings();
    syncItems();
    setCurrentIndex(index);
}

void TSerComboBox::ApplySettings() { Select.ApplySettings(); }

void TSerComboBox::userChose(int Index)
{
    if (Index < 0)
        return;
    Select.ChangeComboText(FromQ(itemText(Index)));
    emit Changed();
}

void TSerComboBox::userTyped(const QString& Text)
{
    // A half-typed name is no port to open: it is taken as the choice, and applied only when the typing ends.
    const bool Auto = Select.AutoApply;
    Select.AutoApply = false;
    Select.ChangeComboText(FromQ(Text));
    Select.AutoApply = Auto;
    FTypedPending = true;
    emit Changed();
}

void TSerComboBox::portDestroyed()
{
    Select.ComPort = nullptr;
    if (count() > 0)
        setCurrentIndex(0);
}
