// All 100 custom service menus, each with its twelve keypads, stored in a data document's Custom Service section as
// a load from the device leaves them: the section windows' benchmarks open Custom Service with every menu there
// (the simulator's office stores none, and an empty section opens without binding a single stored node).
#pragma once

#include "forms/custom/CustomService.h"
#include "forms/custom/CustomServiceRules.h"
#include "xml/XmlDoc.h"

#include <string>

namespace bench_menus {

inline TXmlNode* Copy(TXmlNode* Parent, TXmlNode* Template, bool Deep)
{
    return Parent->Nodes.Items(Parent->AddChild(Template->CloneLinked({"ATTR", "PARAM"}, Deep)));
}

inline void Set(TXmlDoc& Doc, TXmlNode* Start, const char* Name, const std::string& Value)
{
    if (TXmlNode* N = Doc.FindNode(Start, Name))
        N->SetAttr("Value", Value);
}

} // namespace bench_menus

// Replaces whatever menus Stored (the data document's Custom Service section, linked to Section of the description)
// holds with all 100, and gives the new nodes IDs of their own.
inline void StoreAllCustomServiceMenus(TXmlDoc& Data, TXmlDoc& View, TXmlNode* Section, TXmlNode* Stored)
{
    using namespace bench_menus;
    TXmlNode* MenuTemplate = View.FindNode(Section, "Custom No. %T%");
    TXmlNode* KeypadTemplate = View.FindNode(MenuTemplate, "Keypad %T%");
    for (int i = Stored->Nodes.Count() - 1; i >= 0; --i)
        if (Stored->Nodes.Items(i)->GetTemplate() == MenuTemplate)
            Stored->RemoveChild(Stored->Nodes.Items(i));
    const char* Assignments[] = {"Transfer to Mailbox", "Dial by Name", "Custom Service", "Voice Mail Service"};
    for (int m = 1; m <= CustomService::MenuCount; ++m) {
        TXmlNode* Menu = Copy(Stored, MenuTemplate, true);
        Menu->SetAttr("Name", "Custom No. " + std::to_string(m));
        Menu->SetAttr("ParseValue", std::to_string(m));
        Menu->SetAttr("Value", std::to_string(m));
        Set(Data, Menu, "Custom Service Name", "MENU " + std::to_string(m));
        Set(Data, Menu, "Menu Description", "Menu number " + std::to_string(m));
        TXmlNode* Keys = Data.FindNode(Menu, "Keypad Assignment");
        Keys->Nodes.Clear();
        for (int k = 0; k < CustomService::KeyCount; ++k) {
            TXmlNode* Key = Copy(Keys, KeypadTemplate, true);
            Key->SetAttr("Name", "Keypad " + CustomService::KeyText(k));
            Key->SetAttr("ParseValue", CustomService::KeyText(k));
            const std::string Assignment = Assignments[(m + k) % 4];
            Set(Data, Key, "Assignment", Assignment);
            TXmlNode* Parameter = Data.FindNode(Key, "Assignment Parameter");
            if (IsParameterAction(Assignment))
                Parameter->SetAttr("Value", std::to_string(100 + k));
            else
                Parameter->Parent->RemoveChild(Parameter);
        }
        Data.AssignIDs(Menu);
    }
}
