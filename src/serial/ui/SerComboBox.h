// A drop-down list bound to one setting of a port: it lists the setting's values, shows the port's current one
// and writes the user's choice back to the port at once (AutoApply) or on ApplySettings(). When the bound port
// is destroyed the picker forgets it and shows its first entry.
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

    // The selected entry ("" when none); setting it selects an equal entry, or does nothing.
    std::string Text() const;
    void SetText(const std::string& Value);

    void UpdateSettings();   // selects the port's current value (no selection when absent)
    void ApplySettings();    // writes the chosen value to the port

signals:
    // The user chose an entry (after it was taken over as the chosen value).
    void Changed();

private:
    TSerSelect Select;
    void syncItems();
    void userChose(int Index);
    void portDestroyed();
};
