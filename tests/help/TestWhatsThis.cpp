// The what's-this state machine against a fake windowing environment: F1 and Shift+F1, context mode and the
// click that picks a control, right clicks and the popup menu, the context-menu key, and the context lookup.
#include "help/ContextMap.h"
#include "help/HelpHost.h"
#include "help/HelpNameHash.h"
#include "help/WhatsThis.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <tuple>

namespace {
struct TFakeControl {
    std::string Name;
    const TFakeControl* Parent = nullptr;
    bool Form = false;
    int32_t Context = 0;
    const TFakeControl* Focus = nullptr;
    int32_t Tag = 0;
    int32_t X = 0, Y = 0, W = 10, H = 10;
};

class TFakeEnv : public TWhatsThisEnv {
public:
    bool Ours = true;
    const TFakeControl* Focused = nullptr;
    const TFakeControl* Under = nullptr;
    std::pair<int32_t, int32_t> Mouse{5, 6};
    std::deque<std::tuple<int, int32_t, int32_t>> Posted;
    std::vector<std::pair<uint16_t, int32_t>> Commands;
    std::vector<std::pair<int32_t, int32_t>> Menus;
    bool HelpCursor = false;

    static const TFakeControl* C(TWTControl P) { return static_cast<const TFakeControl*>(P); }
    bool ForegroundIsOurs() const override { return Ours; }
    TWTControl ActiveControl() const override { return Focused; }
    TWTControl ControlAt(int32_t, int32_t) const override { return Under; }
    void ControlRect(TWTControl P, int32_t& X, int32_t& Y, int32_t& W, int32_t& H) const override
    {
        X = C(P)->X, Y = C(P)->Y, W = C(P)->W, H = C(P)->H;
    }
    std::pair<int32_t, int32_t> MousePos() const override { return Mouse; }
    TWTControl Parent(TWTControl P) const override { return C(P)->Parent; }
    bool IsForm(TWTControl P) const override { return C(P)->Form; }
    int32_t HelpContext(TWTControl P) const override { return C(P)->Context; }
    TWTControl FocusControl(TWTControl P) const override { return C(P)->Focus; }
    int32_t Tag(TWTControl P) const override { return C(P)->Tag; }
    std::string Name(TWTControl P) const override { return C(P)->Name; }
    void Post(int M, int32_t X, int32_t Y) override { Posted.emplace_back(M, X, Y); }
    void ShowPopupMenu(int32_t X, int32_t Y, const std::string&) override { Menus.emplace_back(X, Y); }
    void SetHelpCursor(bool Help) override { HelpCursor = Help; }
    void CloseMenus() override {}
    bool HelpCommand(uint16_t Command, int32_t Data) override
    {
        Commands.emplace_back(Command, Data);
        return true;
    }
    void Deliver(TWhatsThis& W)
    {
        while (!Posted.empty()) {
            auto [M, X, Y] = Posted.front();
            Posted.pop_front();
            W.Message(M, X, Y);
        }
    }
};

class WhatsThisTest : public ::testing::Test {
protected:
    WhatsThisTest() : W(Env)
    {
        Form.Name = "MainForm";
        Form.Form = true;
        Edit.Name = "Edit";
        Edit.Parent = &Form;
        Edit.X = 100, Edit.Y = 50, Edit.W = 40, Edit.H = 20;
        Env.Focused = &Edit;
        Env.Under = &Edit;
    }
    TFakeEnv Env;
    TFakeControl Form, Edit;
    TWhatsThis W;
};
}

TEST_F(WhatsThisTest, F1CallsTheHandlerThatStopsItAndShiftF1EntersContextMode)
{
    int Calls = 0;
    W.F1Action = goTOC;
    W.OnF1KeyDown = [&](bool& CallHelp) {
        ++Calls;
        CallHelp = false;
    };
    EXPECT_TRUE(W.KeyDown(wkF1, false));
    EXPECT_EQ(Calls, 1);
    EXPECT_TRUE(Env.Commands.empty());
    W.OnF1KeyDown = nullptr;
    EXPECT_TRUE(W.KeyDown(wkF1, false));
    ASSERT_EQ(Env.Commands.size(), 1u);
    EXPECT_EQ(Env.Commands[0], std::make_pair(uint16_t(HELP_TAB), 0));
    Env.Deliver(W);
    EXPECT_FALSE(W.Watching());

    EXPECT_TRUE(W.KeyDown(wkF1, true));
    EXPECT_EQ(Calls, 1) << "Shift+F1 does not ask the F1 handler";
    EXPECT_EQ(W.State(), 3);
    EXPECT_TRUE(Env.HelpCursor);
    // Any key leaves context mode.
    EXPECT_FALSE(W.KeyDown(wkOther, false));
    EXPECT_EQ(W.State(), 0);
    EXPECT_FALSE(Env.HelpCursor);
}

TEST_F(WhatsThisTest, ThePickingClickIsSwallowedPressAndReleaseAndShowsThatControlsHelp)
{
    Edit.Context = 77;
    W.EnterContextMode();
    EXPECT_TRUE(W.LeftDown(120, 60));
    EXPECT_EQ(W.State(), 0);
    EXPECT_TRUE(W.LeftUp(120, 60)) << "the release of the picking click must not reach the control";
    EXPECT_FALSE(W.LeftUp(120, 60));
    Env.Deliver(W);
    ASSERT_EQ(Env.Commands.size(), 2u);
    EXPECT_EQ(Env.Commands[0].first, HELP_SETPOPUP_POS);
    EXPECT_EQ(Env.Commands[0].second, (60 << 16) | 120);
    EXPECT_EQ(Env.Commands[1], std::make_pair(uint16_t(HELP_CONTEXTPOPUP), 77));
    // Ordinary clicks pass.
    EXPECT_FALSE(W.LeftDown(1, 1));
    EXPECT_FALSE(W.LeftUp(1, 1));
}

TEST_F(WhatsThisTest, ContextModeWithoutHooksRaisesAndSettingInactiveLeavesIt)
{
    W.EnterContextMode();
    W.SetActive(false);
    EXPECT_EQ(W.State(), 0);
    EXPECT_FALSE(Env.HelpCursor);
    try {
        W.EnterContextMode();
        FAIL();
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message, "WhatsThis is currently not active.");
    }
    EXPECT_FALSE(W.KeyDown(wkF1, false)) << "inactive: F1 passes";
    W.SetActive(true);
    W.ToggleContextMode();
    EXPECT_EQ(W.State(), 3);
    W.ToggleContextMode();
    EXPECT_EQ(W.State(), 0);
}

TEST_F(WhatsThisTest, RightClickOffersTheMenuAndTheItemShowsThePopupAtThatPoint)
{
    Edit.Context = 12;
    EXPECT_FALSE(W.RightClick(110, 55)) << "the click still reaches the control";
    EXPECT_EQ(W.State(), 1);
    Env.Deliver(W);
    ASSERT_EQ(Env.Menus.size(), 1u);
    EXPECT_EQ(Env.Menus[0], std::make_pair(110, 55));
    W.PopupItemClick();
    ASSERT_EQ(Env.Commands.size(), 2u);
    EXPECT_EQ(Env.Commands[1], std::make_pair(uint16_t(HELP_CONTEXTPOPUP), 12));
    EXPECT_EQ(Env.Commands[0].second, (55 << 16) | 110);
}

TEST_F(WhatsThisTest, TheItemOpensANegativeContextAsATopic)
{
    // As with direct help: a negative context names a topic, opened as normal help without a popup position.
    for (int32_t context : {-7, -1}) {
        Edit.Context = context;
        Env.Commands.clear();
        Env.Menus.clear();
        W.RightClick(110, 55);
        Env.Deliver(W);
        ASSERT_EQ(Env.Menus.size(), 1u);
        W.PopupItemClick();
        ASSERT_EQ(Env.Commands.size(), 1u) << context;
        EXPECT_EQ(Env.Commands[0], std::make_pair(uint16_t(HELP_CONTEXT), -context));
    }
}

TEST_F(WhatsThisTest, AControlsOwnMenuCancelsTheArmedRequest)
{
    W.RightClick(110, 55);
    W.MenuLoop(true);
    W.MenuLoop(false);
    Env.Deliver(W);
    EXPECT_TRUE(Env.Menus.empty());
    EXPECT_EQ(W.State(), 0);
}

TEST_F(WhatsThisTest, AnItemWithoutContextStillGetsTheMenuAndAsksForContextZero)
{
    // The popup for context 0 is the host's "no topic" text, never an empty box.
    W.RightClick(110, 55);
    Env.Deliver(W);
    ASSERT_EQ(Env.Menus.size(), 1u);
    W.PopupItemClick();
    EXPECT_EQ(Env.Commands.back(), std::make_pair(uint16_t(HELP_CONTEXTPOPUP), 0));
    // Without wtNoContextMenu nothing at all is offered.
    W.Options = wtInheritFormContext;
    Env.Menus.clear();
    W.RightClick(110, 55);
    Env.Deliver(W);
    EXPECT_TRUE(Env.Menus.empty());
}

TEST_F(WhatsThisTest, TheMenuKeyArmsAtTheFocusedControlsCentreAndDoesNothingWithoutFocus)
{
    W.Options |= wtUseAppKey;
    Env.Focused = nullptr;
    EXPECT_FALSE(W.KeyUp(wkAppKey));
    EXPECT_EQ(W.State(), 0);
    EXPECT_TRUE(Env.Posted.empty());
    Env.Focused = &Edit;
    EXPECT_TRUE(W.KeyUp(wkAppKey));
    ASSERT_EQ(Env.Posted.size(), 1u);
    EXPECT_EQ(Env.Posted[0], std::make_tuple(int(WM_WT_ARM), 120, 60));
    Env.Deliver(W);
    EXPECT_EQ(Env.Menus.size(), 1u);
    W.Options &= uint8_t(~wtUseAppKey);
    EXPECT_FALSE(W.KeyUp(wkAppKey));
}

TEST_F(WhatsThisTest, ContextLookupOrder)
{
    TFakeControl Label{"Label1", &Form};
    TFakeControl Panel{"Panel", &Form};
    TFakeControl Inner{"Inner", &Panel};
    W.Options |= wtDirectHelp;
    auto Ask = [&](const TFakeControl* C) {
        Env.Commands.clear();
        Env.Under = C;
        W.RightClick(1, 1);
        Env.Deliver(W);
        return Env.Commands.empty() ? -999 : Env.Commands.back().second;
    };
    Label.Focus = &Edit;
    Edit.Context = 33;
    EXPECT_EQ(Ask(&Label), 33) << "a label's focus control";
    Panel.Context = 44;
    EXPECT_EQ(Ask(&Inner), 44) << "a parent's context";
    Panel.Context = 0;
    Form.Context = 55;
    EXPECT_EQ(Ask(&Inner), 55) << "the form's own context with wtInheritFormContext";
    Form.Context = 0;
    Inner.Tag = 12;
    W.Options |= wtUseTag;
    EXPECT_EQ(Ask(&Inner), 12) << "the tag with wtUseTag";
    Inner.Context = -5;
    Env.Commands.clear();
    Env.Under = &Inner;
    W.RightClick(1, 1);
    Env.Deliver(W);
    ASSERT_EQ(Env.Commands.size(), 1u);
    EXPECT_EQ(Env.Commands[0], std::make_pair(uint16_t(HELP_CONTEXT), 5)) << "a negative context is a topic";
}

TEST_F(WhatsThisTest, TheContextMapNamesFormAndControl)
{
    THelpContextMap Map;
    std::string Data;
    auto Put = [&](int32_t V) {
        for (int i = 0; i < 4; ++i)
            Data.push_back(char((uint32_t(V) >> (8 * i)) & 0xFF));
    };
    Put(8);
    Put(HelpNameHash("MainForm_Edit"));
    Put(4242);
    ASSERT_TRUE(Map.ReadFileData(Data));
    Map.Loading = true;
    Map.SetFileName("x.hhp");
    W.HelpContextMap = &Map;
    W.Options |= wtDirectHelp;
    W.RightClick(1, 1);
    Env.Deliver(W);
    ASSERT_FALSE(Env.Commands.empty());
    EXPECT_EQ(Env.Commands.back(), std::make_pair(uint16_t(HELP_CONTEXTPOPUP), 4242));
}

TEST(WhatsThisInstances, ANewInstanceTakesOverAndGivesBack)
{
    TFakeEnv Env;
    TWhatsThis First(Env);
    {
        TWhatsThis Second(Env);
        EXPECT_FALSE(First.HooksInstalled());
        EXPECT_TRUE(Second.HooksInstalled());
    }
    EXPECT_TRUE(First.HooksInstalled());
}

namespace {
// The environment's side of the menu item and the tool button, in the order the component asks for it.
class TItemEnv : public TFakeEnv {
public:
    std::vector<std::string> Calls;
    void HookClick(TWTControl C, bool Install) override { Calls.push_back("hook " + Name(C) + (Install ? " on" : " off")); }
    void SetShortCut(TWTControl C, bool On) override { Calls.push_back("shortcut " + Name(C) + (On ? " on" : " off")); }
    void SetChecked(TWTControl C, bool On) override { Calls.push_back("checked " + Name(C) + (On ? " on" : " off")); }
    void SetDown(TWTControl C, bool On) override { Calls.push_back("down " + Name(C) + (On ? " on" : " off")); }
    std::vector<std::string> Take() { return std::exchange(Calls, {}); }
};

class WhatsThisItems : public ::testing::Test {
protected:
    WhatsThisItems() : W(Env)
    {
        Form = {"TestForm", nullptr, true};
        Menu = {"Help1", &Form};
        ItemA = {"ModeA", &Menu};
        ItemB = {"ModeB", &Menu, false, 33};
        Button = {"ModeButton", &Form};
        Env.Focused = Env.Under = &Button;
    }
    using V = std::vector<std::string>;
    TItemEnv Env;
    TFakeControl Form, Menu, ItemA, ItemB, Button;
    TWhatsThis W;
};
}

TEST_F(WhatsThisItems, SettersNeedItInactiveMoveTheShortcutAndHookTheClicksWhileActive)
{
    for (auto Set : {+[](TWhatsThis& T, TWTControl C) { T.SetWTMenuItem(C); },
             +[](TWhatsThis& T, TWTControl C) { T.SetWTToolbarButton(C); }}) {
        try {
            Set(W, &ItemA);
            FAIL() << "set while active";
        } catch (const Exception& E) {
            EXPECT_EQ(E.Message, "TWhatsThis must be deactivated to change this property");
        }
    }
    EXPECT_EQ(W.WTMenuItem(), nullptr);
    W.SetActive(false);
    W.SetWTMenuItem(&ItemA);
    W.SetWTMenuItem(&ItemB);
    W.SetWTToolbarButton(&Button);
    EXPECT_EQ(Env.Take(), (V{"shortcut ModeA on", "shortcut ModeA off", "shortcut ModeB on"}));
    W.SetActive(true);
    EXPECT_EQ(Env.Take(), (V{"hook ModeB on", "hook ModeButton on"}));

    // A click on either toggles context mode, and both show it.
    W.ToggleContextMode();
    EXPECT_EQ(W.State(), 3);
    EXPECT_EQ(Env.Take(), (V{"checked ModeB on", "down ModeButton on"}));
    W.ToggleContextMode();
    EXPECT_EQ(W.State(), 0);
    EXPECT_EQ(Env.Take(), (V{"checked ModeB off", "down ModeButton off"}));
    // Shift+F1 shows it too; switching off leaves the mode first, then gives the clicks back.
    W.KeyDown(wkF1, true);
    EXPECT_EQ(Env.Take(), (V{"checked ModeB on", "down ModeButton on"}));
    W.SetActive(false);
    EXPECT_EQ(Env.Take(), (V{"checked ModeB off", "down ModeButton off", "hook ModeB off", "hook ModeButton off"}));
    W.ToggleContextMode();
    EXPECT_EQ(W.State(), 0) << "an inactive component's items toggle nothing";
    W.Removed(&ItemB);
    W.Removed(&Button);
    EXPECT_EQ(W.WTMenuItem(), nullptr);
    EXPECT_EQ(W.WTToolbarButton(), nullptr);
}

TEST_F(WhatsThisItems, InContextModeTheItemsEndTheModeThemselves)
{
    W.SetActive(false);
    W.SetWTMenuItem(&ItemA);
    W.SetWTToolbarButton(&Button);
    W.SetActive(true);
    W.EnterContextMode();
    EXPECT_FALSE(W.LeftDown(1, 1)) << "the button's press passes on";
    EXPECT_FALSE(W.LeftUp(1, 1));
    EXPECT_EQ(W.State(), 3);
    EXPECT_TRUE(Env.Posted.empty());
    // In a menu the item's own release passes on; another command's release is the picking click.
    W.MenuLoop(true);
    W.MenuSelect(&ItemA, true);
    EXPECT_FALSE(W.LeftUp(1, 1));
    EXPECT_EQ(W.State(), 3);
    W.MenuSelect(&ItemB, true);
    EXPECT_TRUE(W.LeftUp(1, 1));
    EXPECT_EQ(W.State(), 0);
    Env.Deliver(W);
    EXPECT_EQ(Env.Commands.back(), std::make_pair(uint16_t(HELP_CONTEXTPOPUP), 33));
    W.MenuLoop(false);
    // A right click on the button in context mode ends the mode and offers "What's this?".
    W.EnterContextMode();
    EXPECT_FALSE(W.RightClick(3, 4));
    EXPECT_EQ(W.State(), 1);
    Env.Deliver(W);
    EXPECT_EQ(Env.Menus.size(), 1u);
}

TEST_F(WhatsThisItems, MenuItemsGiveTheirHelpOnARightClickAndOnF1)
{
    Env.Mouse = {40, 50};
    W.MenuLoop(true);
    W.MenuSelect(&ItemB, true);
    EXPECT_TRUE(W.RightClick(7, 8));
    Env.Deliver(W);
    ASSERT_EQ(Env.Commands.size(), 2u);
    EXPECT_EQ(Env.Commands[0], std::make_pair(uint16_t(HELP_SETPOPUP_POS), (8 << 16) | 7));
    EXPECT_EQ(Env.Commands[1], std::make_pair(uint16_t(HELP_CONTEXTPOPUP), 33));
    // An item without its own context takes its menu's; F1 asks at the mouse.
    Menu.Context = 12;
    W.MenuLoop(true);
    W.MenuSelect(&ItemA, true);
    EXPECT_TRUE(W.KeyDown(wkF1, false));
    EXPECT_EQ(Env.Commands.back(), std::make_pair(uint16_t(HELP_CONTEXTPOPUP), 12));
    EXPECT_EQ(Env.Commands[Env.Commands.size() - 2], std::make_pair(uint16_t(HELP_SETPOPUP_POS), (50 << 16) | 40));
    // Without the option a right click in a menu is the menu's own.
    W.Options &= uint8_t(~wtMenuRightClick);
    EXPECT_FALSE(W.RightClick(7, 8));
    // A window that becomes active drops a request armed by a right click.
    W.MenuLoop(false);
    EXPECT_FALSE(W.RightClick(3, 4));
    W.Activated();
    Env.Deliver(W);
    EXPECT_TRUE(Env.Menus.empty());
}
