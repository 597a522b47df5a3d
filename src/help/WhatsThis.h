// TWhatsThis: "What's this?" help for every window of the program. It is fed the input the application sees
// (F1, Shift+F1, the context-menu key, right clicks, left clicks in context mode, menus opening) and answers
// whether each event is swallowed; it finds the help context of the control concerned (its "HelpContext", its
// focus control's, the context map's entry for form and control, its tag) and asks the application for help
// through the help commands, so through the help router. What it needs of the windowing system comes through
// TWhatsThisEnv (help/ui/WhatsThisFilter on Qt; a fake in tests).
//
// States: 0 idle; 1 armed by a right click or the context-menu key (message 1124 pending); 2 the caption help
// button was pressed; 3 context mode (help cursor; the next left click picks a control). Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

using TWTControl = const void*;   // a control of the environment; null for none

enum TWhatsThisOption : uint8_t {
    wtDirectHelp = 1 << 0, wtMenuRightClick = 1 << 1, wtNoContextHelp = 1 << 2, wtNoContextMenu = 1 << 3,
    wtPopupOnForm = 1 << 4, wtInheritFormContext = 1 << 5, wtUseTag = 1 << 6, wtUseAppKey = 1 << 7
};
using TWhatsThisOptions = uint8_t;
enum TF1Action : uint8_t { goContext, goDefault, goTOC };

// Posted messages: arm at a point, show help at a point, end the watch of the click.
enum : int { WM_WT_ARM = 1124, WM_WT_HELP = 1125, WM_WT_UNHOOK = 1126 };
enum TWTKey { wkF1, wkShift, wkAppKey, wkOther };

class THelpContextMap;

class TWhatsThisEnv {
public:
    virtual ~TWhatsThisEnv() = default;
    virtual bool ForegroundIsOurs() const = 0;
    virtual TWTControl ActiveControl() const = 0;
    virtual TWTControl ControlAt(int32_t X, int32_t Y) const = 0;
    // Screen rectangle of a control: top-left and size.
    virtual void ControlRect(TWTControl C, int32_t& X, int32_t& Y, int32_t& W, int32_t& H) const = 0;
    virtual std::pair<int32_t, int32_t> MousePos() const = 0;
    virtual TWTControl Parent(TWTControl C) const = 0;
    virtual bool IsForm(TWTControl C) const = 0;
    virtual int32_t HelpContext(TWTControl C) const = 0;
    virtual TWTControl FocusControl(TWTControl C) const = 0;
    virtual int32_t Tag(TWTControl C) const = 0;
    virtual std::string Name(TWTControl C) const = 0;
    virtual void Post(int Message, int32_t X, int32_t Y) = 0;
    virtual void ShowPopupMenu(int32_t X, int32_t Y, const std::string& Caption) = 0;
    virtual void SetHelpCursor(bool Help) = 0;
    virtual void CloseMenus() = 0;
    virtual bool HelpCommand(uint16_t Command, int32_t Data) = 0;

    // The menu item and tool button that toggle context mode. HookClick with Install saves the item's own click
    // and makes a click call ToggleContextMode; without it gives the saved click back. SetShortCut gives the menu
    // item the shortcut Shift+F1 or takes it away; SetChecked and SetDown show context mode on them.
    virtual void HookClick(TWTControl Item, bool Install) { (void)Item; (void)Install; }
    virtual void SetShortCut(TWTControl MenuItem, bool ShiftF1) { (void)MenuItem; (void)ShiftF1; }
    virtual void SetChecked(TWTControl MenuItem, bool Checked) { (void)MenuItem; (void)Checked; }
    virtual void SetDown(TWTControl Button, bool Down) { (void)Button; (void)Down; }
};

class TWhatsThis {
public:
    explicit TWhatsThis(TWhatsThisEnv& Env);
    ~TWhatsThis();

    // Published settings.
    std::string Name = "WhatsThis";
    std::string PopupCaption = "What's this?";
    int32_t PopupHelpContext = 0;
    TWhatsThisOptions Options = wtMenuRightClick | wtNoContextHelp | wtNoContextMenu | wtInheritFormContext;
    TF1Action F1Action = goContext;
    const THelpContextMap* HelpContextMap = nullptr;
    std::function<void(bool& CallHelp)> OnF1KeyDown;
    std::function<void(TWTControl Item, bool IsMenu, int32_t& HContext, int32_t X, int32_t Y)> OnGetContext;
    std::function<void(TWTControl Item, bool IsMenu, int32_t HContext, int32_t X, int32_t Y, bool& CallHelp)> OnHelp;
    std::function<void(TWTControl Item, int32_t HContext, int32_t X, int32_t Y, bool& DoPopup)> OnPopup;
    std::function<void()> OnEnterContextMode, OnLeaveContextMode;

    // The menu item and tool button that toggle context mode (null: none). Setting either while the hooks are
    // installed raises "TWhatsThis must be deactivated to change this property"; a new menu item gets Shift+F1.
    TWTControl WTMenuItem() const { return FMenuItemWT; }
    void SetWTMenuItem(TWTControl Item);
    TWTControl WTToolbarButton() const { return FButtonWT; }
    void SetWTToolbarButton(TWTControl Button);
    // A control went away: it is no longer the menu item or the tool button.
    void Removed(TWTControl Control);

    bool Active() const { return FActive; }
    void SetActive(bool Value);
    int State() const { return FState; }
    bool InMenuLoop() const { return FInMenuLoop; }
    bool HooksInstalled() const { return FHooks; }

    // Raise "<Name> is currently not active." while inactive.
    void EnterContextMode();
    void LeaveContextMode();
    void ToggleContextMode();

    // Input; true: the event is swallowed.
    bool KeyDown(TWTKey Key, bool ShiftHeld);
    bool KeyUp(TWTKey Key);
    bool RightClick(int32_t X, int32_t Y);
    bool LeftDown(int32_t X, int32_t Y);
    bool LeftUp(int32_t X, int32_t Y);
    void CaptionHelpButton();
    // A menu of the program opened or closed (a control's own context menu among them); an item was selected.
    void MenuLoop(bool Entered);
    void MenuSelect(TWTControl Item, bool IsCommand);
    void Activated();
    // A posted message arrives.
    void Message(int Msg, int32_t X, int32_t Y);
    // "What's this?" chosen in the popup menu.
    void PopupItemClick();
    void ShowHelpAt(int32_t X, int32_t Y);

    // Whether the watch of the current click is on (stands for the call-window-procedure hook).
    bool Watching() const { return FWatching; }

private:
    int32_t ContextFromMap(TWTControl Form, TWTControl Control) const;
    int32_t ContextOf(TWTControl Form, TWTControl Control) const;
    void Request(TWTControl Item, bool IsMenu, int32_t H, int32_t X, int32_t Y);

    TWhatsThisEnv& Env;
    bool FActive = true;
    bool FHooks = false;
    int FState = 0;
    bool FShiftDown = false;
    bool FInMenuLoop = false;
    bool FSelectedIsCommand = false;
    bool FWatching = false;
    bool FSwallowRelease = false;
    TWTControl FActiveControl = nullptr;
    TWTControl FMenuItem = nullptr;
    TWTControl FPopupControl = nullptr;
    int32_t FPopupContext = 0, FPopupX = 0, FPopupY = 0;
    TWhatsThis* FPrevious = nullptr;
    void InstallHooks();
    void UninstallHooks();
    void HookButtons(bool Install);
    void SetButtonsDown(bool Down);
    void CheckInactive() const;
    TWTControl FMenuItemWT = nullptr;
    TWTControl FButtonWT = nullptr;
    bool FButtonsHooked = false;
};
