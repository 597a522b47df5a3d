#include "forms/numbering/NumberListRules.h"

#include "common/Utilits.h"
#include "engine/SectionReconcile.h"
#include "platform/StrUtil.h"
#include "xml/XmlDoc.h"

#include <cctype>

namespace {
TCellDecision Keep(const std::string& Text) { return {true, Text, {}}; }
TCellDecision Refuse(const std::string& Text, std::string Message) { return {false, Text, std::move(Message)}; }
bool IsDigit(char C) { return std::isdigit(static_cast<unsigned char>(C)) != 0; }
}

bool IsNumberingPlanForm(const std::string& Plan)
{
    if (Plan.size() < 2)
        return false;
    const size_t X = Plan.find('X');
    if (X == std::string::npos || X > 2)
        return false;
    for (size_t i = 0; i < X; ++i)
        if (!IsDigit(Plan[i]))
            return false;
    for (size_t i = X; i < Plan.size(); ++i)
        if (IsDigit(Plan[i]))
            return false;
    return true;
}

TCellDecision CheckNumberingPlan(
    const std::string& Text, const std::string& EditStart, const std::vector<std::string>& Plans, int Row)
{
    const std::string Plan = UpperCase(Text);
    if (Plan.empty() || Plan == UpperCase(EditStart))
        return Keep(Plan);
    if (Plan[0] == '0')
        return Refuse(Plan, Utilits::SCannotStartZeroInNumberingPlan);
    if (!IsNumberingPlanForm(Plan))
        return Refuse(Plan, Utilits::SInvalidNumberingPlan);
    for (size_t r = 0; r < Plans.size(); ++r)
        if (int(r) != Row && UpperCase(Plans[r]) == Plan)
            return Refuse(Plan, Utilits::SDuplicateEntryInForm);
    return Keep(Plan);
}

std::vector<std::string> CloseUpPlans(std::vector<std::string> Plans, int Row)
{
    if (Row < 0 || Row >= int(Plans.size()))
        return Plans;
    Plans.erase(Plans.begin() + Row);
    Plans.emplace_back();
    return Plans;
}

int FirstEmptyPlan(const std::vector<std::string>& Plans)
{
    for (size_t r = 0; r < Plans.size(); ++r)
        if (Plans[r].empty())
            return int(r);
    return -1;
}

TCellDecision CheckPromptNumber(
    const std::string& Text, const std::string& EditStart, const std::vector<std::string>& Prompts, int Row)
{
    if (Row < 0 || Row > 2 || Text.empty() || Text == EditStart)
        return Keep(Text);
    for (int r = 0; r < 3 && r < int(Prompts.size()); ++r)
        if (r != Row && Prompts[r] == Text)
            return Refuse(Text, Utilits::SUniquePromptSelection);
    return Keep(Text);
}

namespace {
bool IsEntry(const TXmlNode* Node) { return Node->GetTag() == "ATTR" || Node->GetTag() == "PARAM"; }
}

void NumberAlternateEntries(TXmlNode* Section) { NumberListPlaces(Section); }

int32_t MaxAlternateEntryNumber(const TXmlNode* Section)
{
    static const std::string Prefix = "Extension No. ";
    int32_t Max = 100;
    if (!Section)
        return Max;
    for (const auto& Child : Section->Nodes) {
        const std::string Name = Child->GetName();
        if (IsEntry(Child.get()) && Name.size() > Prefix.size())
            Max = std::max(Max, StrToIntDef(Name.substr(Prefix.size()), 0));
    }
    return Max;
}
