#include "shell/MainServices.h"

#include "common/Utilits.h"
#include "common/ui/BaseMDI.h"
#include "engine/DataManager.h"
#include "engine/ManagerVMU.h"
#include "engine/StepParameters.h"
#include "forms/base/NumberInUseQuery.h"
#include "platform/Dialogs.h"
#include "platform/StrUtil.h"
#include "shell/FormRegistry.h"
#include "shell/SectionLookups.h"
#include "shell/main.h"
#include "xml/XmlDoc.h"

namespace {

constexpr const char* MailboxListing = "Mailbox Listing";
constexpr const char* MailboxGroup = "Mailbox Group";
constexpr const char* ExtensionGroup = "Extension Group";
constexpr const char* OperatorParameters = "Operator's Parameters";

// The sections that hold extension numbers, with the field that holds them and what their open window is asked.
struct TExtensionHolder {
    const char* Section;
    const char* Field;
    TNumberInUseQuery::TNumberUse Use;
};
constexpr TExtensionHolder ExtensionHolders[] = {
    // A mailbox record names its owner's extension "Extension No." in the description (and on the device's screen).
    {MailboxListing, "Extension No.", TNumberInUseQuery::nuExtension},
    {OperatorParameters, "Operator's Extension", TNumberInUseQuery::nuExtension},
    {ExtensionGroup, "Extension No.", TNumberInUseQuery::nuGroupMember},
};

class TMainServices final : public TFormServices {
public:
    explicit TMainServices(TMainForm& Main) : Main(Main) {}

    TDeviceFacts DeviceFacts() const override
    {
        TDeviceFacts F;
        F.FlashVersion = Main.FlashVersion;
        F.ROMVersion = Main.ROMVersion;
        F.MailboxNoLength = Main.MailboxNoLength;
        F.SystemManagerMailbox = Main.SystemManagerMailbox;
        F.MessageManagerMailbox = Main.MessageManagerMailbox;
        F.AmountUserMailboxes = Main.AmountUserMailboxes;
        F.AmountVPSPorts = Main.AmountVPSPorts;
        F.AmountTrunkGroups = Main.AmountTrunkGroups;
        F.UseAMPM = Main.UseAMPM;
        F.BatchMode = Main.BatchMode;
        F.PortOpen = Main.PortOpen();
        F.LineUp = F.PortOpen && Main.Connected && Main.DSRState;
        return F;
    }
    TXmlDoc* DataDoc() const override { return Main.DataDoc.get(); }
    TXmlDoc* ViewDoc() const override { return Main.TemplateDoc.get(); }
    TDataManager* DataManager() const override { return Main.DataManager.get(); }
    TXmlNode* ParamsNode() const override { return Main.ParamsNode; }

    TXmlNode* GetSection(const std::string& Section, const std::string& Caption) override
    {
        if (TXmlNode* Node = FindData(Section))
            return Node;
        if (Main.BatchMode || !Main.ParamsNode)
            return nullptr;
        if (!Main.LoadSectionFromVMU(Main.ParamsNode, Section, doLoad, Caption))
            return nullptr;
        return FindData(Section);
    }
    bool ReadSectionIfInteractive(const std::string& Section, const std::string& Caption) override
    {
        if (Main.BatchMode)
            return true;
        if (!Main.ParamsNode)
            return false;
        RemoveData(Section);
        return Main.LoadSectionFromVMU(Main.ParamsNode, Section, doLoad, Caption);
    }
    bool WriteSectionIfInteractive(const std::string& Section) override
    {
        if (Main.BatchMode)
            return true;
        if (!Main.ParamsNode)
            return false;
        return Main.WriteSectionToVMU(Section);
    }
    bool WriteChangesIfInteractive(const std::string& Section, const TChangeSet& Changes) override
    {
        if (Main.BatchMode)
            return true;
        if (!Main.ParamsNode)
            return false;
        return Main.WriteSectionToVMU(Section, &Changes);
    }
    void PutSectionBack(TChangeSet Changes, const std::string& Caption) override
    {
        if (!Main.BatchMode)
            Main.PutSectionBack(std::move(Changes), Caption);
    }
    void SetModified(bool Value) override { Main.SetModified(Value); }
    void SectionFormClosed(const std::string& Section) override { ForgetSection(Section); }
    bool ShowReport(const std::string& Name, const std::string& Param) override { return Main.ShowReport(Name, Param); }
    void ForgetSection(const std::string& Section) override
    {
        if (!Main.BatchMode)
            RemoveData(Section);
    }
    void ForgetMailboxListing() override { ForgetUnopened(MailboxListing); }
    void ForgetMailboxGroup() override { ForgetUnopened(MailboxGroup); }
    void ForgetExtensionGroup() override { ForgetUnopened(ExtensionGroup); }
    void ForgetExtensionSections(const std::string& CallerSection) override
    {
        for (const TExtensionHolder& H : ExtensionHolders)
            if (CallerSection != H.Section)
                ForgetUnopened(H.Section);
    }
    std::string GetSectionCaption(const std::string& Section) const override
    {
        std::string Caption;
        Main.GetSectionCaption(Section, Caption);
        return Caption;
    }

    bool IsFieldValueFree(const std::string& Section, const std::string& FieldPrefix, std::string& Caption,
        const std::string& Value) override
    {
        Caption = GetSectionCaption(Section);
        return IsFieldValueFreeIn(GetSection(Section, ""), FieldPrefix, Value);
    }
    bool IsMailboxNoFree(const std::string& Number) override
    {
        if (Number == Main.SystemManagerMailbox)
            return false;
        return !HasMailboxItem(GetSection(MailboxListing, ""), Number);
    }
    bool FindMailboxGroup(const std::string& Value, std::string& Caption) override
    {
        return IsFieldValueFree(MailboxGroup, MailboxGroupPrefix, Caption, Value);
    }
    bool FindInterviewMailbox(const std::string& Value, std::string& Caption) override
    {
        return IsFieldValueFree(MailboxListing, "Interview Mailbox Number", Caption, Value);
    }
    bool FindExtensionGroup(const std::string& Value, std::string& Caption) override
    {
        return IsFieldValueFree(ExtensionGroup, ExtensionGroupPrefix, Caption, Value);
    }
    bool IsExtensionReferenced(const std::string& Number, const std::string& CallerSection,
        std::string& Caption) override
    {
        for (const TExtensionHolder& H : ExtensionHolders)
            if (CallerSection != H.Section && !IsFieldValueFree(H.Section, H.Field, Caption, Number))
                return false;
        return true;
    }

    bool MailboxInUseByListingForm(const std::string& Number) override
    {
        return !OpenWindowUses(MailboxListing, TNumberInUseQuery::nuMailbox, Number);
    }
    bool MailboxInUseByGroupForm(const std::string& Number) override
    {
        return !OpenWindowUses(MailboxGroup, TNumberInUseQuery::nuGroupNumber, Number);
    }
    bool CheckExtensionGroupForm(const std::string& Number, std::string& Caption) override
    {
        Caption = GetSectionCaption(ExtensionGroup);
        return !OpenWindowUses(ExtensionGroup, TNumberInUseQuery::nuGroupNumber, Number);
    }
    bool ExtensionInUseByForms(const std::string& Number, const std::string& CallerSection,
        std::string& Caption) override
    {
        for (const TExtensionHolder& H : ExtensionHolders) {
            if (CallerSection == H.Section)
                continue;
            Caption = GetSectionCaption(H.Section);
            if (OpenWindowUses(H.Section, H.Use, Number))
                return false;
        }
        return true;
    }
    bool ReportOpenForms(const std::vector<std::string>& Sections) override
    {
        std::vector<std::string> Captions;
        for (const std::string& Section : Sections) {
            if (!OpenSectionForm(Section))
                continue;
            std::string Caption = GetSectionCaption(Section);
            Captions.push_back(Caption.empty() ? Section : Caption);
        }
        if (Captions.empty())
            return false;
        TDialogs::instance().MessageBox(Format(Utilits::SCloseFormsForSaving, {OpenFormsList(Captions)}),
            Utilits::SError, mtError, mbOK);
        return true;
    }
    void ReplaceMailboxReferences(const std::string& Mailbox, const std::string& Section) override
    {
        ::ReplaceMailboxReferences(FindData(Section), Mailbox);
    }
    TChangeSet MailboxDeletionChanges(const std::vector<std::string>& Mailboxes,
        const std::vector<std::string>& InterviewNumbers, const std::string& Section) override
    {
        // Read from the device when no window has read it yet: what it holds there is what the deletion changes.
        const TXmlNode* Data = GetSection(Section, GetSectionCaption(Section));
        if (!Data)
            return {Section, {}, {}};
        std::unique_ptr<TXmlNode> Left = Data->Clone(true);
        for (const std::string& Mailbox : Mailboxes)
            ::ReplaceMailboxReferences(Left.get(), Mailbox);
        for (const std::string& Number : InterviewNumbers)
            ::ClearInterviewReferences(Left.get(), Number);
        return ChangesOfApply(Section, Data, Left.get());
    }
    void ClearInterviewReferences(const std::string& Mailbox, const std::string& Section) override
    {
        ::ClearInterviewReferences(FindData(Section), Mailbox);
    }

    TBaseMDIForm* FindChildForm(const TFormKinds& Kinds, const TBaseMDIForm* OwnerForm,
        int32_t Index) const override
    {
        return Main.FindChildForm(Kinds, OwnerForm, Index);
    }
    bool CloseOwnedForms(const TBaseMDIForm* OwnerForm) override { return Main.CloseOwnedForms(OwnerForm); }
    void PostPortSettingsChanged(const std::string& BaudRate, const std::string& DataBits,
        const std::string& Parity, const std::string& StopBits) override
    {
        Main.PostPortSettingsChanged(BaudRate, DataBits, Parity, StopBits);
    }

private:
    TXmlNode* FindData(const std::string& Section) const
    {
        TXmlDoc* Doc = Main.DataDoc.get();
        if (!Doc || !Doc->Root() || Section.empty())
            return nullptr;
        return Doc->FindNode(Doc->Root(), Section);
    }
    void RemoveData(const std::string& Section)
    {
        if (TXmlNode* Node = FindData(Section))
            Main.DataDoc->RemoveNode(Node);
    }
    void ForgetUnopened(const std::string& Section)
    {
        if (!Main.BatchMode)
            Main.ForgetUnopenedSections(Section);
    }
    // The open window of a section opened from the tree or the menu, or null.
    TBaseMDIForm* OpenSectionForm(const std::string& Section) const
    {
        TBaseFormInfo* Info = Main.GetFormInfoByName(Section);
        if (!Info)
            return nullptr;
        return Main.FindChildForm(Info->FormMask + TFormKinds{2}, nullptr, -1);
    }
    bool OpenWindowUses(const std::string& Section, TNumberInUseQuery::TNumberUse Use,
        const std::string& Number) const
    {
        const auto* Query = dynamic_cast<const TNumberInUseQuery*>(OpenSectionForm(Section));
        return Query && Query->NumberInUse(Use, Number);
    }

    TMainForm& Main;
};

}  // namespace

std::unique_ptr<TFormServices> MakeMainServices(TMainForm& Main) { return std::make_unique<TMainServices>(Main); }
