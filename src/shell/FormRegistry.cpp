#include "shell/FormRegistry.h"

#include "xml/XmlDoc.h"

#include <map>
#include <mutex>

const std::vector<TSectionForm>& SectionForms()
{
    static const std::vector<TSectionForm> Table = {
        {"Mailbox Listing", 6, "TMailboxListingForm"},
        {"Class of Service", 9, "TCOSForm"},
        {"Port Service", 11, "TPortServiceForm"},
        {"Trunk Service", 12, "TTrunkServiceForm"},
        {"Department Dialing", 13, "TDepartmentDialingForm"},
        {"Operator's Parameters", 14, "TOperatorParametersForm"},
        {"Alternate Extension", 15, "TAlternateExtensionForm"},
        {"Custom Service", 16, "TCustomServiceForm"},
        {"Caller ID Call Routing", 18, "TCallerIDCallRoutingForm"},
        {"Mailbox Group", 19, "TMailboxGroupForm"},
        {"Extension Group", 20, "TExtensionGroupForm"},
        {"Time Service", 21, "TTimeServiceForm"},
        {"Holiday Listing", 22, "THolidayListingForm"},
        {"Daylight Saving Time", 23, "TDaylightSavingTimeForm"},
        {"Prompt Setting", 24, "TPromptSettingForm"},
        {"System Caller Name Announcement", 25, "TSystemCallerNameAnnouncementForm"},
        {"System Date/Time", 26, "TSystemDateTimeForm"},
        {"Extension Numbering Plan", 27, "TExtensionNumberingPlanForm"},
        {"Dialing Parameters", 28, "TDialingParametersForm"},
        {"Message Waiting Notification", 29, "TMessageWaitingNotificationForm"},
        {"External Message Delivery", 30, "TExternalMessageDeliveryForm"},
        {"Call Hold", 31, "TCallHoldForm"},
        {"Rotary Telephone Service", 32, "TRotaryTelephoneServiceForm"},
        {"Intercom Paging Parameters", 33, "TIntercomPagingParametersForm"},
        {"Fax Management", 34, "TFaxManagementForm"},
        {"Disconnect Parameter", 35, "TDisconnectParameterForm"},
        {"RS-232C Parameters", 36, "TRS232CParametersForm"},
        {"Port Setting", 37, "TPortSettingForm"},
        {"PBX Dialing Parameters", 38, "TPBXDialingParametersForm"},
        {"Inband Signaling", 39, "TInbandSignalingForm"},
        {"Inter-Digit Timeout", 40, "TInterDigitTimeoutForm"},
        {"Input/Output", 41, "TInputOutputForm"},
    };
    return Table;
}

namespace {
// Classes join during static initialisation, in any order: the map is built on first use.
struct TClassTable {
    std::mutex Lock;
    std::map<std::string, TFormFactory> Factories;
};
TClassTable& Classes()
{
    static TClassTable Table;
    return Table;
}
}

TFormFactory RegisterFormClass(const std::string& ClassName, TFormFactory Factory)
{
    TClassTable& T = Classes();
    std::lock_guard<std::mutex> Guard(T.Lock);
    TFormFactory Previous;
    auto It = T.Factories.find(ClassName);
    if (It != T.Factories.end()) {
        Previous = std::move(It->second);
        T.Factories.erase(It);
    }
    if (Factory)
        T.Factories.emplace(ClassName, std::move(Factory));
    return Previous;
}

TFormFactory FindFormClass(const std::string& ClassName)
{
    TClassTable& T = Classes();
    std::lock_guard<std::mutex> Guard(T.Lock);
    auto It = T.Factories.find(ClassName);
    return It == T.Factories.end() ? TFormFactory() : It->second;
}

std::unique_ptr<TBaseFormInfo> MakeFormInfo(const std::string& SectionName)
{
    for (const TSectionForm& F : SectionForms())
        if (SectionName == F.Section)
            return std::make_unique<TBaseFormInfo>(TFormKinds{F.Kind}, F.FormClass);
    return nullptr;
}

TBaseFormInfo* FormInfoOf(const TXmlNode* Node)
{
    if (!Node)
        return nullptr;
    const TXmlAttribute* A = Node->Attrs.Find("FormInfo");
    return A ? dynamic_cast<TBaseFormInfo*>(A->GetAsPointer()) : nullptr;
}
