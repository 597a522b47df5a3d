#include "forms/pbx/PBXDialingParameters.h"

#include "common/Utilits.h"
#include "forms/base/FormNodeServices.h"
#include "forms/base/FormServices.h"
#include "forms/pbx/PbxRules.h"
#include "forms/simple/SimpleFormRules.h"
#include "grid/XStrGridColumns.h"
#include "platform/Dialogs.h"
#include "platform/StrUtil.h"
#include "shell/FormRegistry.h"

namespace {
const char* const PortName = "Extension Number of VPS Port%T%";
const char* const DialName = "Dial String D%T%";
const char* const InbandSection = "Inband Signaling";
}

TPBXDialingParametersForm::TPBXDialingParametersForm(const TFormCreation& Creation) : TBaseGridForm(Creation)
{
    Grid->OnSetEditText = [this](int C, int R, std::string& V) { SetEditText(C, R, V); };
}

int32_t TPBXDialingParametersForm::Firmware() const
{
    return FormServices() ? FormServices()->DeviceFacts().FlashVersion : 409;
}

void TPBXDialingParametersForm::InitForm()
{
    TBaseGridForm::InitForm();
    FormMask.Include(38);
    PortCounter = 1;
    DialCounter = 0;
    PortCount = std::max<int32_t>(1, FormServices() ? FormServices()->DeviceFacts().AmountVPSPorts : 2);
    PortChanged.assign(size_t(PortCount), false);
    ShowSection(true, "PBX Dialing Parameters", "");
    if (std::vector<std::string>* Items = GridModel().GetCellItems(1, 0)) {
        std::vector<std::string> Names;
        for (const std::string& Line : *Items)
            Names.push_back(ItemName(Line));
        Items->clear();
        for (const std::string& Name : Pbx::TypeNames(Names, Firmware()))
            Items->push_back(Name + "=" + Name);
    }
    LoadedPBXType = Grid->Cells(1, 0);
    Grid->ModifyTracking = true;
}

bool TPBXDialingParametersForm::NextPort()
{
    if (PortCounter < PortCount) {
        ++PortCounter;
        return true;
    }
    PortCounter = 1;
    return false;
}

bool TPBXDialingParametersForm::NodeHandled(TXmlNode* Node, bool IsView)
{
    if (!IsView || !Node)
        return false;
    if (Node->GetName() == PortName)
        return NextPort();
    // The ten dial strings share one description row as well.
    if (Node->GetName() == DialName) {
        if (DialCounter < 9) {
            ++DialCounter;
            return true;
        }
        DialCounter = 0;
    }
    return false;
}

bool TPBXDialingParametersForm::RepeatTemplateNode(TXmlNode* Node)
{
    return Node && Node->GetName() == PortName && NextPort();
}

void TPBXDialingParametersForm::GetNodeName(TXmlNode* Node, std::string& S)
{
    TBaseGridForm::GetNodeName(Node, S);
    if (S == PortName) {
        FCaptionNumber = PortCounter;
        S = SubstituteFormValue(S, IntToStr(PortCounter));
    } else if (S == DialName) {
        FCaptionNumber = DialCounter;
        S = SubstituteFormValue(S, IntToStr(DialCounter));
    }
}

void TPBXDialingParametersForm::GetNodeGroup(TXmlNode*, std::string& S) { S = IntToStr(PortCounter); }

void TPBXDialingParametersForm::RecordNodeCreated(TXmlNode* Node)
{
    if (!Node || Node->GetName() != PortName)
        return;
    ExpandAttribute(Node, "Name", IntToStr(PortCounter));
    ExpandAttribute(Node, "ParseValue", IntToStr(PortCounter));
}

void TPBXDialingParametersForm::FormatPropertyCaption(const std::string& S, std::string& R)
{
    R = S.find('%') != std::string::npos ? Format(S, {int64_t(FCaptionNumber)}) : S;
}

void TPBXDialingParametersForm::ValueToText(const std::string& Value, int Col, std::string& S, int Row)
{
    TBaseGridForm::ValueToText(Value, Col, S, Row);
    if (Col != 1)
        return;
    if (Row == 0)
        S = Pbx::TypeText(S, Firmware());
    else if (Row >= FirstDialRow())
        S = UpperCase(S);
}

void TPBXDialingParametersForm::TextToValue(const std::string& Text, int Col, std::string& S, int Row)
{
    TBaseGridForm::TextToValue(Text, Col, S, Row);
    if (Col == 1 && Row == 0)
        S = Pbx::TypeValue(S);
}

void TPBXDialingParametersForm::AfterWriteBack()
{
    for (int32_t i = 0; i < PortCount; ++i)
        SetCellChange(1, i + 2, PortChanged[size_t(i)]);
}

void TPBXDialingParametersForm::ClearPortExtensions()
{
    for (int32_t i = 0; i < PortCount && i + 2 < Grid->RowCount(); ++i)
        Grid->SetCells(1, i + 2, "");
}

void TPBXDialingParametersForm::PresetDialStrings(const std::string& Type, const std::string& Mode)
{
    const Pbx::TPreset P = Pbx::PresetFor(Type, Mode);
    if (!P.Known)
        return;
    for (int32_t i = 0; i < PortCount && i + 2 < Grid->RowCount(); ++i) {
        SetCellReadOnly(!P.PortsEditable, 1, i + 2);
        Grid->SetCells(1, i + 2, P.PortExtension(i + 1));
    }
    for (int d = 0; d < 10 && FirstDialRow() + d < Grid->RowCount(); ++d)
        Grid->SetCells(1, FirstDialRow() + d, P.Dials[size_t(d)]);
}

void TPBXDialingParametersForm::ApplyPBXType(const std::string& Type)
{
    const std::string Mode = Pbx::DefaultMode(Type);
    if (!Mode.empty())
        Grid->SetCells(1, 1, Mode);
    PresetDialStrings(Type, Grid->Cells(1, 1));
}

void TPBXDialingParametersForm::SetEditText(int ACol, int ARow, std::string& Value)
{
    GridSetEditText(ACol, ARow, Value);
    if (CheckGuard || ACol != 1)
        return;
    if (ARow == 0) {
        if (Value != EditStartText)
            ApplyPBXType(Value);
    } else if (ARow == 1) {
        if (Value == EditStartText)
            return;
        CheckGuard = true;
        const std::string Type = Grid->Cells(1, 0);
        if (Pbx::IsModeAllowed(Value, Type)) {
            const bool Ports = Value == "APT" || Value == "DPT";
            for (int32_t i = 0; i < PortCount && i + 2 < Grid->RowCount(); ++i)
                SetCellReadOnly(!Ports, 1, i + 2);
            ClearPortExtensions();
            PresetDialStrings(Type, Value);
        } else {
            SettleCellDecision(*this, TCellDecision{false, Value, Format(Utilits::SModeIsNotAvailable, {Value, Type})},
                Value);
        }
        CheckGuard = false;
    } else if (ARow < FirstDialRow()) {
        if (Value != EditStartText)
            PortChanged[size_t(ARow - 2)] = true;
    } else {
        Value = UpperCase(Value);
    }
}

TXmlNode* TPBXDialingParametersForm::InbandSectionForTypeChange()
{
    TFormServices* S = FormServices();
    if (!S)
        return nullptr;
    if (S->ReportOpenForms({InbandSection}))
        return nullptr;
    const std::string Caption = S->GetSectionCaption(InbandSection);
    // The codes are compared with what the device holds now, so the read comes before anything is stored.
    if (!S->ReadSectionIfInteractive(InbandSection, Caption))
        return nullptr;
    TXmlNode* Section = S->GetSection(InbandSection, Caption);
    if (!Section)
        ShowError(Format("The PBX type cannot be changed: the section \"%s\" is not in the data document, so its "
                         "tone codes cannot follow the type.",
            {std::string(InbandSection)}));
    return Section;
}

bool TPBXDialingParametersForm::StoreInbandCodes()
{
    TFormServices* S = FormServices();
    const std::string Type = Grid->Cells(1, 0);
    TXmlNode* Section = S ? S->GetSection(InbandSection, S->GetSectionCaption(InbandSection)) : nullptr;
    // The codes are this Apply's change too: a cut in them is taken back with the type when the window drops it.
    std::unique_ptr<TXmlNode> Before = Section ? Section->Clone(true) : nullptr;
    TChangeSet Codes;
    const bool Stored = Section && (Pbx::SetInbandCodes(Section, Pbx::TypeValue(Type)) == 0 ||
                                       S->WriteChangesIfInteractive(InbandSection,
                                           Codes = ChangesOfApply(InbandSection, Before.get(), Section)));
    if (!Stored && !Codes.Empty() && S && !S->DeviceFacts().BatchMode)
        KeepCutChanges(std::move(Codes));
    if (!Stored) {
        // A read or write of the device that failed has told the user in its own box, which says what the next
        // Apply does: one failure, one box.
        if (!S || S->DeviceFacts().BatchMode)
            ShowError(Format("The tone codes of \"%s\" for the PBX type \"%s\" could not be stored. The window "
                             "keeps the change: Apply tries them again.",
                {std::string(InbandSection), Type}));
        // The PBX section itself was stored; the window stays modified so that Apply comes back for the codes.
        SetModified(true);
        return false;
    }
    if (S)
        S->SetModified(true);
    LoadedPBXType = Type;
    return true;
}

bool TPBXDialingParametersForm::ApplyChanges(bool Notify)
{
    const bool TypeChanged = Grid->Cells(1, 0) != LoadedPBXType;
    if (TypeChanged && !InbandSectionForTypeChange())
        return false;
    if (TXmlNode* ModeNode = GetCellNode(1, 1); ModeNode && ModeNode->GetTemplate())
        RemoveDependentNodes(ModeNode, ModeNode->GetTemplate(), false);
    PortCounter = 1;
    UpdateDependentNodes(1, 1, true, {"APT", "DPT"});
    if (!TBaseGridForm::ApplyChanges(Notify))
        return false;
    return !TypeChanged || StoreInbandCodes();
}

namespace {
TFormClassRegistration Registration("TPBXDialingParametersForm", MakeFormFactory<TPBXDialingParametersForm>());
}
