// What a section window may ask of the main window: the device facts, the documents, reading and storing
// sections, the lookups into other sections and into other open windows, and the child-window bookkeeping.
// Windows hold no pointer to the main window; they call FormServices(), which the main window installs while it
// lives and tests replace with their own implementation. Every call runs in the main thread.
//
// Failure contract: lookups that cannot read a section (device error, section absent) answer as if the value
// were free; GetSection answers null; WriteSectionIfInteractive answers false when the device refused the
// section (its box has been shown), and nothing in the data document is undone by it.
#pragma once

#include "common/FormKinds.h"
#include "engine/ChangeSet.h"
#include "xml/XmlDoc.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TBaseMDIForm;
class TDataManager;
class TXmlDoc;
class TXmlNode;

// The facts about the connected device (or the defaults of a data file) that the windows read directly.
struct TDeviceFacts {
    int32_t FlashVersion = 0;          // firmware without its point, e.g. 409
    int32_t ROMVersion = 0;
    int32_t MailboxNoLength = 3;       // digits of a mailbox number
    std::string SystemManagerMailbox = "999";
    std::string MessageManagerMailbox = "998";
    int32_t AmountUserMailboxes = 30;
    int32_t AmountVPSPorts = 2;
    int32_t AmountTrunkGroups = 24;
    bool UseAMPM = true;               // times in 12-hour form
    bool BatchMode = true;
    bool PortOpen = false;
    // Connected and the line alive (its DSR on): what is applied in interactive mode can reach the device.
    bool LineUp = false;

    // Smallest and largest mailbox number for MailboxNoLength: 2 -> 10..99, 3 -> 100..999, 4 -> 1000..9999,
    // 5 -> 10000..99999, any other length -> 100..999.
    int32_t MinMailboxNo() const;
    int32_t MaxMailboxNo() const;
};

class TFormServices {
public:
    virtual ~TFormServices() = default;

    virtual TDeviceFacts DeviceFacts() const = 0;
    virtual TXmlDoc* DataDoc() const = 0;
    virtual TXmlDoc* ViewDoc() const = 0;       // the description document
    virtual TDataManager* DataManager() const = 0;
    // The chosen parameter tree's node in the description document (null before one is chosen).
    virtual TXmlNode* ParamsNode() const = 0;

    // --- Sections -------------------------------------------------------------------------------------------
    // The data node named Section; in interactive mode a missing one is read from the device first.
    virtual TXmlNode* GetSection(const std::string& Section, const std::string& Caption) = 0;
    // Interactive mode: reads Section from the device into the data document (replacing what was there);
    // batch mode: true at once. False when the read failed (the box has been shown).
    virtual bool ReadSectionIfInteractive(const std::string& Section, const std::string& Caption) = 0;
    // Batch mode: true. Interactive mode: the section is written to the device now; false when that failed.
    virtual bool WriteSectionIfInteractive(const std::string& Section) = 0;
    // The same for an Apply whose change set is known: after a cut, only what of Changes the device lacks is sent,
    // and the rest of the section takes what the device holds.
    virtual bool WriteChangesIfInteractive(const std::string& Section, const TChangeSet& Changes)
    {
        (void)Changes;
        return WriteSectionIfInteractive(Section);
    }
    // A window drops its edits after a write of them failed part-way: Changes is what its cut Applies were to
    // change. The device is brought back where it holds what they left (now, or first thing at the next
    // connection); Caption names the window in what the user is told.
    virtual void PutSectionBack(TChangeSet Changes, const std::string& Caption)
    {
        (void)Changes;
        (void)Caption;
    }
    // The data document changed (the main window's modified state, data files).
    virtual void SetModified(bool Value) = 0;
    // A section window without owner closed (interactive mode: its data is dropped, read afresh next time).
    virtual void SectionFormClosed(const std::string& Section) = 0;
    virtual void ForgetSection(const std::string& Section) = 0;
    virtual void ForgetMailboxListing() = 0;
    // The same as ForgetMailboxListing, the entry some windows call.
    void ForgetMailboxListing2() { ForgetMailboxListing(); }
    virtual void ForgetMailboxGroup() = 0;
    virtual void ForgetExtensionGroup() = 0;
    // What the checks of a number that may name a mailbox, a mailbox group or an extension group have read.
    void ForgetNumberSections()
    {
        ForgetMailboxListing();
        ForgetMailboxGroup();
        ForgetExtensionGroup();
    }
    virtual void ForgetExtensionSections(const std::string& CallerSection) = 0;
    virtual std::string GetSectionCaption(const std::string& Section) const = 0;

    // --- Lookups into other sections (true: the value is not used there) -----------------------------------
    virtual bool IsFieldValueFree(const std::string& Section, const std::string& FieldPrefix, std::string& Caption,
        const std::string& Value) = 0;
    virtual bool IsMailboxNoFree(const std::string& Number) = 0;
    virtual bool FindMailboxGroup(const std::string& Value, std::string& Caption) = 0;
    virtual bool FindInterviewMailbox(const std::string& Value, std::string& Caption) = 0;
    virtual bool FindExtensionGroup(const std::string& Value, std::string& Caption) = 0;
    virtual bool IsExtensionReferenced(const std::string& Number, const std::string& CallerSection,
        std::string& Caption) = 0;
    // --- Lookups into open windows of other sections (true: the open window does not use the number) --------
    virtual bool MailboxInUseByListingForm(const std::string& Number) = 0;
    virtual bool MailboxInUseByGroupForm(const std::string& Number) = 0;
    virtual bool CheckExtensionGroupForm(const std::string& Number, std::string& Caption) = 0;
    virtual bool ExtensionInUseByForms(const std::string& Number, const std::string& CallerSection,
        std::string& Caption) = 0;
    // Shows the "close these forms" error and answers true when a window of one of Sections is open.
    virtual bool ReportOpenForms(const std::vector<std::string>& Sections) = 0;
    // Carry a deleted mailbox into the section named Section of the data document.
    virtual void ReplaceMailboxReferences(const std::string& Mailbox, const std::string& Section) = 0;
    // What the device changes in Section by itself when it deletes Mailboxes whose interview numbers are
    // InterviewNumbers (it drops them from its groups, and a port or trunk mode that reached such an interview
    // service falls back), as a change set of the data document's Section: a put-back of the deletion takes it back
    // by the same rule.
    virtual TChangeSet MailboxDeletionChanges(const std::vector<std::string>& Mailboxes,
        const std::vector<std::string>& InterviewNumbers, const std::string& Section)
    {
        (void)Mailboxes;
        (void)InterviewNumbers;
        return {Section, {}, {}};
    }
    virtual void ClearInterviewReferences(const std::string& Mailbox, const std::string& Section) = 0;

    // --- Child windows --------------------------------------------------------------------------------------
    virtual TBaseMDIForm* FindChildForm(const TFormKinds& Kinds, const TBaseMDIForm* OwnerForm,
        int32_t Index) const = 0;
    // Closes the windows opened from OwnerForm; false when one of them refused.
    virtual bool CloseOwnedForms(const TBaseMDIForm* OwnerForm) = 0;
    // Reads a device report and shows it in a print preview (an open one is brought to the front); false when it
    // could not be shown.
    virtual bool ShowReport(const std::string& Name, const std::string& Param)
    {
        (void)Name;
        (void)Param;
        return false;
    }
    // The device's serial settings were changed (message 1025): handled after the caller has returned.
    virtual void PostPortSettingsChanged(const std::string& BaudRate, const std::string& DataBits,
        const std::string& Parity, const std::string& StopBits) = 0;
};

// The installed services; null while no main window lives and no test installed its own.
TFormServices* FormServices();
// Installs Services (null removes them); returns the ones replaced.
TFormServices* SetFormServices(TFormServices* Services);
