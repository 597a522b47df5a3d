#include "serial/SerSelect.h"

#include "platform/StrUtil.h"

void TSerSelect::SetComProperty(TSerProperty Value)
{
    FComProperty = Value;
    switch (Value) {
    case cpNone: Items.clear(); break;
    case cpPort: SelectPort(); break;
    case cpBaudRate: SelectBaudRate(); break;
    case cpDataBits: SelectDataBits(); break;
    case cpStopBits: SelectStopBits(); break;
    case cpParity: SelectParity(); break;
    case cpFlowControl: SelectFlowControl(); break;
    }
}

void TSerSelect::SelectPort()
{
    Items.clear();
    EnumSerPorts(Items);
    for (const std::string& Known : KnownPorts) {
        const std::string Name = NormalizePortName(Known);
        bool Listed = false;
        for (const std::string& Item : Items)
            Listed = Listed || SameText(Item, Name);
        if (!Known.empty() && !Listed)
            Items.push_back(Name);
    }
}

void TSerSelect::SelectBaudRate()
{
    Items.clear();
    for (int i = brCustom; i <= br256000; ++i)
        Items.push_back(BaudRateToStr(TBaudRate(i)));
}

void TSerSelect::SelectDataBits()
{
    Items.clear();
    for (int i = dbFive; i <= dbEight; ++i)
        Items.push_back(DataBitsToStr(TDataBits(i)));
}

void TSerSelect::SelectStopBits()
{
    Items.clear();
    for (int i = sbOneStopBit; i <= sbTwoStopBits; ++i)
        Items.push_back(StopBitsToStr(TStopBits(i)));
}

void TSerSelect::SelectParity()
{
    Items.clear();
    for (int i = prNone; i <= prSpace; ++i)
        Items.push_back(ParityToStr(TParityBits(i)));
}

void TSerSelect::SelectFlowControl()
{
    Items.clear();
    for (int i = fcHardware; i <= fcCustom; ++i)
        Items.push_back(FlowControlToStr(TFlowControl(i)));
}

void TSerSelect::ChangeComboText(const std::string& Text)
{
    switch (FComProperty) {
    case cpNone: break;
    case cpPort: Port = Text; break;
    case cpBaudRate: BaudRate = StrToBaudRate(Text); break;
    case cpDataBits: DataBits = StrToDataBits(Text); break;
    case cpStopBits: StopBits = StrToStopBits(Text); break;
    case cpParity: Parity = StrToParity(Text); break;
    case cpFlowControl: FlowControl = StrToFlowControl(Text); break;
    }
    if (AutoApply)
        ApplySettings();
}

void TSerSelect::ApplySettings()
{
    if (!ComPort)
        return;
    switch (FComProperty) {
    case cpNone: break;
    case cpPort:
        if (!Port.empty())
            ComPort->SetPort(Port);
        break;
    case cpBaudRate: ComPort->SetBaudRate(BaudRate); break;
    case cpDataBits: ComPort->SetDataBits(DataBits); break;
    case cpStopBits: ComPort->SetStopBits(StopBits); break;
    case cpParity: ComPort->Parity().SetBits(Parity); break;
    case cpFlowControl: ComPort->FlowControl().SetFlowControl(FlowControl); break;
    }
}

int TSerSelect::UpdateSettings()
{
    if (!ComPort)
        return -1;
    std::string text;
    switch (FComProperty) {
    case cpNone: return -1;
    case cpPort: text = ComPort->Port(); break;
    case cpBaudRate: text = BaudRateToStr(ComPort->BaudRate()); break;
    case cpDataBits: text = DataBitsToStr(ComPort->DataBits()); break;
    case cpStopBits: text = StopBitsToStr(ComPort->StopBits()); break;
    case cpParity: text = ParityToStr(ComPort->Parity().Bits()); break;
    case cpFlowControl: text = FlowControlToStr(ComPort->FlowControl().FlowControl()); break;
    }
    int index = -1;
    for (size_t i = 0; i < Items.size(); ++i)
        if (SameText(Items[i], text)) {
            index = int(i);
            break;
        }
    if (index < 0 && FComProperty == cpPort && !text.empty()) {
        Items.push_back(text);
        index = int(Items.size()) - 1;
    }
    if (index < 0)
        return -1;
    switch (FComProperty) {
    case cpPort: Port = text; break;
    case cpBaudRate: BaudRate = ComPort->BaudRate(); break;
    case cpDataBits: DataBits = ComPort->DataBits(); break;
    case cpStopBits: StopBits = ComPort->StopBits(); break;
    case cpParity: Parity = ComPort->Parity().Bits(); break;
    case cpFlowControl: FlowControl = ComPort->FlowControl().FlowControl(); break;
    case cpNone: break;
    }
    return index;
}
