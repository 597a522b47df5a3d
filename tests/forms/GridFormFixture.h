// The section logic without a window: a grid made of the string grid's data model, form services that record
// what they are asked, and description and data documents built from text.
#pragma once

#include "FormDocuments.h"
#include "ModelGrid.h"
#include "forms/base/FormNodeServices.h"
#include "forms/base/FormServices.h"
#include "forms/base/GridFormCore.h"
#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class TFakeFormServices : public TFormServices {
public:
    TDeviceFacts Facts;
    TXmlDoc* Data = nullptr;
    TXmlDoc* View = nullptr;
    TDataManager* Manager = nullptr;
    bool WriteAnswer = true;
    std::vector<std::string> Written;
    std::vector<std::string> Closed;
    int ModifiedCalls = 0;

    TDeviceFacts DeviceFacts() const override { return Facts; }
    TXmlDoc* DataDoc() const override { return Data; }
    TXmlDoc* ViewDoc() const override { return View; }
    TDataManager* DataManager() const override { return Manager; }
    TXmlNode* ParamsNode() const override { return nullptr; }
    TXmlNode* GetSection(const std::string& Section, const std::string&) override
    {
        return Data->FindNode(nullptr, Section);
    }
    bool ReadSectionIfInteractive(const std::string&, const std::string&) override { return true; }
    bool WriteSectionIfInteractive(const std::string& Section) override
    {
        Written.push_back(Section);
        return WriteAnswer;
    }
    void SetModified(bool) override { ++ModifiedCalls; }
    void SectionFormClosed(const std::string& Section) override { Closed.push_back(Section); }
    void ForgetSection(const std::string&) override {}
    void ForgetMailboxListing() override { Forgotten.push_back("Mailbox Listing"); }
    void ForgetMailboxGroup() override { Forgotten.push_back("Mailbox Group"); }
    void ForgetExtensionGroup() override { Forgotten.push_back("Extension Group"); }
    void ForgetExtensionSections(const std::string& Caller) override { Forgotten.push_back("all but " + Caller); }
    std::vector<std::string> Forgotten;
    std::string GetSectionCaption(const std::string&) const override { return {}; }
    bool IsFieldValueFree(const std::string&, const std::string&, std::string&, const std::string&) override
    {
        return true;
    }
    bool IsMailboxNoFree(const std::string&) override { return true; }
    bool FindMailboxGroup(const std::string&, std::string&) override { return true; }
    bool FindInterviewMailbox(const std::string&, std::string&) override { return true; }
    bool FindExtensionGroup(const std::string&, std::string&) override { return true; }
    bool IsExtensionReferenced(const std::string&, const std::string&, std::string&) override { return true; }
    bool MailboxInUseByListingForm(const std::string&) override { return true; }
    bool MailboxInUseByGroupForm(const std::string&) override { return true; }
    bool CheckExtensionGroupForm(const std::string&, std::string&) override { return true; }
    bool ExtensionInUseByForms(const std::string&, const std::string&, std::string&) override { return true; }
    bool ReportOpenForms(const std::vector<std::string>&) override { return false; }
    void ReplaceMailboxReferences(const std::string&, const std::string&) override {}
    void ClearInterviewReferences(const std::string&, const std::string&) override {}
    TBaseMDIForm* FindChildForm(const TFormKinds&, const TBaseMDIForm*, int32_t) const override { return nullptr; }
    bool CloseOwnedForms(const TBaseMDIForm*) override { return true; }
    void PostPortSettingsChanged(const std::string&, const std::string&, const std::string&,
        const std::string&) override
    {
    }
};

// Installs the services for a scope.
class TFormServicesScope {
public:
    explicit TFormServicesScope(TFormServices* S) : Previous(SetFormServices(S)) {}
    ~TFormServicesScope() { SetFormServices(Previous); }
    TFormServicesScope(const TFormServicesScope&) = delete;
    TFormServicesScope& operator=(const TFormServicesScope&) = delete;

private:
    TFormServices* Previous;
};


// The logic on a model grid; tests reach every part of it.
class TTestGridForm : public TGridFormCore {
public:
    TTestGridForm() { AttachGrid(&G); }
    TModelGrid G;
    using TGridFormCore::FormCaption;
    using TGridFormCore::SetFormCaption;
};
