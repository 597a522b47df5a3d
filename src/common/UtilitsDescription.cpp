// The part of Utilits that reads the description document: text groups and window view parameters.
#include "common/StringGroups.h"
#include "common/Utilits.h"

#include "xml/XmlDoc.h"

namespace {
// Children with this exact tag and "Name" (the description's names compare with case).
template <class Fn>
void ForEachChild(const TXmlNode* Parent, const char* Tag, const char* Name, Fn&& Body)
{
    for (const auto& child : Parent->Nodes) {
        if (child->GetTag() != Tag)
            continue;
        if (Name && child->GetName() != Name)
            continue;
        Body(*child);
    }
}

// Every GATTR of every VIEWPARAM named ViewName under Node, in document order.
template <class Fn>
void ForEachGAttr(const TXmlNode* Node, const char* ViewName, Fn&& Body)
{
    ForEachChild(Node, "VIEWPARAM", ViewName, [&](const TXmlNode& view) {
        ForEachChild(&view, "GATTR", nullptr, [&](const TXmlNode& attr) { Body(attr); });
    });
}
}

TXmlNode* LastChildNamed(const TXmlNode* Parent, const std::string& Name)
{
    if (!Parent)
        return nullptr;
    TXmlNode* found = nullptr;
    for (const auto& child : Parent->Nodes)
        if (child->GetName() == Name)
            found = child.get();
    return found;
}

TXmlNode* ResolveTemplate(TXmlNode* Node)
{
    if (!Node)
        return nullptr;
    TXmlNode* linked = Node->GetTemplate();
    return linked ? linked : Node;
}

void LoadStringConstants(const std::string& SectionName)
{
    LoadStringConstants(UnitPropertiesNode(), SectionName);
}

void LoadStringConstants(const TXmlNode* UnitProperties, const std::string& SectionName)
{
    const TXmlNode* group = ResolveTemplate(LastChildNamed(UnitProperties, SectionName));
    if (!group)
        return;
    const bool own = SectionName == UtilitsUnitGroup;
    ForEachGAttr(group, "String Constants", [&](const TXmlNode& attr) {
        // A key is looked up only in the group being loaded; the same key elsewhere is another text.
        if (own)
            SetUtilitsText(attr.GetName(), attr.GetValue());
        else
            SetGroupString(SectionName, attr.GetName(), attr.GetValue());
    });
}

void ReadFormInfo(const TXmlNode* FormNode, TFormParams& Params)
{
    const TXmlNode* form = ResolveTemplate(const_cast<TXmlNode*>(FormNode));
    if (!form)
        return;
    ForEachGAttr(form, "Form Info", [&](const TXmlNode& attr) { SetFormParam(attr.GetName(), attr.GetValue(), Params); });
}

TXmlNode* FindFormDescription(const std::string& ClassName)
{
    return LastChildNamed(FormPropertiesNode(), ClassName);
}
