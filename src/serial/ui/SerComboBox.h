// A drop-down list bound to one setting of a port: it lists the setting's values, shows the port's current one
// and writes the user's choice back to the port at once (AutoApply) or on ApplySettings(). When the bound port
// is destroyed the picker forgets it and shows its first entry.
// The port picker also takes a typed name: a device path that the machine does not list (a pseudo-terminal)
// can always be reached. A typed name is applied, with AutoApply, once the typing is finished.
#pragma once

#include "serial/SerSelect.h"

#include <QComboBox>

class TSerComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TSerComboBox(QWidget* Parent = nullptr);
    ~TSerComboBox() override;

    TCustomSerPort* ComPort() const { return Select.ComPort; }
    void SetComPort(TCustomSerPort* Port);
    TSerProperty ComProperty() const { return Select.ComProperty(); }
    void SetComProperty(TSerProperty Value);
    bool AutoApply() const { return Select.AutoApply; }
    void SetAutoApply(bool Value) { Select.AutoApply = Value; }
    // Ports listed even when the machine lacks them (the port picker only).
    void SetKnownPorts(const std::vector<std::string>& Ports);
    // The chosen value as the port would get it: the typed or picked port name.
    std::string ChosenPort() const { return Select.Port; }

    // The selected entry ("" when none); setting it selects an equal entry, or does nothing.
    std::string Text() const;
    void SetText(const std::string& Value);

    void UpdateSettings();   // selects the port's current value (no selection when absent)
    void ApplySettings();    // writes the chosen value to the port

signals:
    // The user chose an entry or typed a port name (after it was taken over as the chosen value).
    void Changed();

private:
    TSerSelect Select;
    void syncItems();
    void userChose(int Index);
    void userTyped(const QString& Text);
    bool FTypedPending = false;
    void portDestroyed();
};
