// The data-node services the section logic uses, behind plain functions: the data manager's header and the grid's
// share enumerator names, so no unit includes both.
#pragma once

#include <string>

class TDataManager;
class TXmlNode;

// The pattern with its first value field replaced by Value (values allowed, one percent sign); an empty Value
// leaves the pattern as it is.
std::string SubstituteFormValue(const std::string& Pattern, const std::string& Value);
// A data node made from a description template under Parent (merged into a same-named one); null when it cannot be.
TXmlNode* AddFormNodeFromTemplate(TDataManager* Manager, TXmlNode* Parent, TXmlNode* Template, bool Deep);
// Frees every ATTR and PARAM child of Node.
void ClearFormParamNodes(TXmlNode* Node);
// Whether a cell's data node Node can never reach the device empty (EmptyValueUnsendable of its description node).
bool FormValueNeverEmptied(const TXmlNode* Node);
