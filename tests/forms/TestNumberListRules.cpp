// The numbering-plan grammar and its refusals with their messages, the close-up of emptied plans, and the duplicate
// prompt check.
#include "forms/numbering/NumberListRules.h"

#include "common/Utilits.h"

#include <gtest/gtest.h>

TEST(NumberingPlanGrammar, AcceptsLeadingDigitsFollowedByWildcardsOnly)
{
    for (const char* Plan : {"1X", "12X", "1XX", "XX", "2XXX", "12XX"})
        EXPECT_TRUE(IsNumberingPlanForm(Plan)) << Plan;
    // "12" and "AB" hold no wildcard at all: such a plan would name no extension.
    for (const char* Plan : {"", "X", "12", "AB", "1X2", "1234X", "X1", "1XA2", "A1X", "*XX", "123X"})
        EXPECT_FALSE(IsNumberingPlanForm(Plan)) << Plan;
}

TEST(NumberingPlanGrammar, RefusalsCarryTheirMessagesAndTextsAreStoredInCapitals)
{
    const std::vector<std::string> Plans = {"2XX", "3XX", "", ""};
    TCellDecision D = CheckNumberingPlan("4xx", "", Plans, 2);
    EXPECT_TRUE(D.Accepted);
    EXPECT_EQ(D.Text, "4XX");
    D = CheckNumberingPlan("0XX", "", Plans, 2);
    EXPECT_FALSE(D.Accepted);
    EXPECT_EQ(D.Message, Utilits::SCannotStartZeroInNumberingPlan);
    for (const char* Bad : {"12", "1x2", "1234X", "x1", "4"}) {
        D = CheckNumberingPlan(Bad, "", Plans, 2);
        EXPECT_FALSE(D.Accepted) << Bad;
        EXPECT_EQ(D.Message, Utilits::SInvalidNumberingPlan) << Bad;
    }
    D = CheckNumberingPlan("3xx", "", Plans, 2);
    EXPECT_FALSE(D.Accepted);
    EXPECT_EQ(D.Message, Utilits::SDuplicateEntryInForm);
    // A row's own plan is no duplicate, and an unchanged text is not checked again.
    EXPECT_TRUE(CheckNumberingPlan("3XX", "", Plans, 1).Accepted);
    EXPECT_TRUE(CheckNumberingPlan("3xx", "3XX", Plans, 1).Accepted);
}

TEST(NumberingPlanList, AnEmptiedPlanLetsTheOnesBelowMoveUp)
{
    const std::vector<std::string> Plans = {"1X", "2XX", "3XX", "4XX", "5XX", "", ""};
    const std::vector<std::string> After = CloseUpPlans(Plans, 2);
    EXPECT_EQ(After, (std::vector<std::string>{"1X", "2XX", "4XX", "5XX", "", "", ""}));
    EXPECT_EQ(FirstEmptyPlan(After), 4);
    EXPECT_EQ(FirstEmptyPlan({"1X", "2X"}), -1);
    EXPECT_EQ(CloseUpPlans(Plans, 9), Plans);
}

TEST(PromptSettingCheck, APromptNumberMayNotRepeatAnotherOfTheFirstThree)
{
    const std::vector<std::string> Prompts = {"1", "2", "3", "3"};
    TCellDecision D = CheckPromptNumber("2", "1", Prompts, 0);
    EXPECT_FALSE(D.Accepted);
    EXPECT_EQ(D.Message, Utilits::SUniquePromptSelection);
    EXPECT_TRUE(CheckPromptNumber("4", "1", Prompts, 0).Accepted);
    EXPECT_TRUE(CheckPromptNumber("2", "2", Prompts, 1).Accepted);   // unchanged
    EXPECT_TRUE(CheckPromptNumber("3", "5", Prompts, 3).Accepted);   // the selection time is no prompt number
}

TEST(PromptSettingCheck, TheThirdPromptIsCheckedBothWaysAndTheFourthRowNot)
{
    const std::vector<std::string> Prompts = {"1", "2", "3", "2"};
    // Typed into the third row: a repeat of the first is refused.
    EXPECT_FALSE(CheckPromptNumber("1", "3", Prompts, 2).Accepted);
    EXPECT_TRUE(CheckPromptNumber("4", "3", Prompts, 2).Accepted);
    // Typed into the first row: the third row's number counts too.
    EXPECT_FALSE(CheckPromptNumber("3", "1", Prompts, 0).Accepted);
    // The fourth row is no prompt: its value neither is checked nor blocks the first three.
    EXPECT_TRUE(CheckPromptNumber("1", "2", Prompts, 3).Accepted);
}
