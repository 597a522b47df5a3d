#include "serial/ComPortSettings.h"

#include "platform/IniFile.h"
#include "platform/ProgramFolder.h"

const char* const ComPortSettingsSection = "COM Port Setup";

std::string ComPortSettingsFileName() { return SettingsFilePath("Orlantis.ini"); }

const std::vector<TSerChoice<TBaudRate>>& BaudRateChoices()
{
    static const std::vector<TSerChoice<TBaudRate>> c = {{"300", br300}, {"600", br600}, {"1200", br1200},
        {"2400", br2400}, {"4800", br4800}, {"9600", br9600}, {"19200", br19200}, {"38400", br38400}};
    return c;
}

const std::vector<TSerChoice<TDataBits>>& DataBitsChoices()
{
    static const std::vector<TSerChoice<TDataBits>> c = {{"7", dbSeven}, {"8", dbEight}};
    return c;
}

const std::vector<TSerChoice<TParityBits>>& ParityChoices()
{
    static const std::vector<TSerChoice<TParityBits>> c = {{"None", prNone}, {"Odd", prOdd}, {"Even", prEven}};
    return c;
}

const std::vector<TSerChoice<TStopBits>>& StopBitsChoices()
{
    static const std::vector<TSerChoice<TStopBits>> c = {{"1", sbOneStopBit}, {"2", sbTwoStopBits}};
    return c;
}

namespace {
// An ordinal from the file, or the default when it lies outside the enumeration.
int32_t ordinal(const TIniFile& ini, const char* key, int32_t dflt, int32_t last)
{
    int32_t v = ini.ReadInteger(ComPortSettingsSection, key, dflt);
    return v < 0 || v > last ? dflt : v;
}

template <class E, class Set>
void fromText(const std::vector<TSerChoice<E>>& choices, const std::string& text, Set set)
{
    for (const TSerChoice<E>& c : choices)
        if (text == c.Text) {
            set(c.Value);
            return;
        }
}
}

void SaveComPortSettings(TCustomSerPort* Port, const std::string& FileName, const std::string& PortName)
{
    if (!Port)
        return;
    TIniFile ini(FileName);
    ini.WriteString(ComPortSettingsSection, "Port", PortName.empty() ? Port->Port() : PortName);
    ini.WriteInteger(ComPortSettingsSection, "BaudRate", Port->BaudRate());
    ini.WriteInteger(ComPortSettingsSection, "DataBits", Port->DataBits());
    ini.WriteInteger(ComPortSettingsSection, "ParityBits", Port->Parity().Bits());
    ini.WriteInteger(ComPortSettingsSection, "StopBits", Port->StopBits());
    ini.UpdateFile();
}

bool LoadComPortSettings(TCustomSerPort* Port, const std::string& FileName)
{
    if (!Port)
        return true;
    TIniFile ini(FileName);
    if (!ini.SectionExists(ComPortSettingsSection))
        return false;
    TSerPortUpdate update(Port);
    Port->SetPort(ini.ReadString(ComPortSettingsSection, "Port", "COM1"));
    Port->SetBaudRate(TBaudRate(ordinal(ini, "BaudRate", br9600, br256000)));
    Port->SetDataBits(TDataBits(ordinal(ini, "DataBits", dbEight, dbEight)));
    Port->Parity().SetBits(TParityBits(ordinal(ini, "ParityBits", prNone, prSpace)));
    Port->SetStopBits(TStopBits(ordinal(ini, "StopBits", sbOneStopBit, sbTwoStopBits)));
    update.Commit();
    return true;
}

void ApplyComPortTexts(TCustomSerPort* Port, const std::string& BaudRate, const std::string& DataBits,
    const std::string& Parity, const std::string& StopBits)
{
    if (!Port)
        return;
    TSerPortUpdate update(Port);
    fromText(BaudRateChoices(), BaudRate, [&](TBaudRate v) { Port->SetBaudRate(v); });
    fromText(DataBitsChoices(), DataBits, [&](TDataBits v) { Port->SetDataBits(v); });
    fromText(ParityChoices(), Parity, [&](TParityBits v) { Port->Parity().SetBits(v); });
    fromText(StopBitsChoices(), StopBits, [&](TStopBits v) { Port->SetStopBits(v); });
    update.Commit();
}
