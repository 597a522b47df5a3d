#include "forms/base/FormNodeServices.h"

#include "engine/DataManager.h"
#include "xml/XmlDoc.h"

std::string SubstituteFormValue(const std::string& Pattern, const std::string& Value)
{
    std::string Result;
    TDataManager::SubstituteValue(Pattern, Value, Result, true, 1);
    return Result;
}

TXmlNode* AddFormNodeFromTemplate(TDataManager* Manager, TXmlNode* Parent, TXmlNode* Template, bool Deep)
{
    return Manager ? Manager->AddNodeFromTemplate(Parent, Template, Deep) : nullptr;
}

void ClearFormParamNodes(TXmlNode* Node) { TDataManager::ClearParamNodes(Node); }

bool FormValueNeverEmptied(const TXmlNode* Node) { return Node && EmptyValueUnsendable(Node->GetTemplate()); }
