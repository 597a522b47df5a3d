#include "help/WhatsThis.h"

#include "help/ContextMap.h"
#include "help/HelpHost.h"
#include "platform/Exception.h"

namespace {
TWhatsThis* Current = nullptr;

int32_t PackPoint(int32_t X, int32_t Y) { return int32_t((uint32_t(uint16_t(Y)) << 16) | uint16_t(X)); }
}

TWhatsThis::TWhatsThis(TWhatsThisEnv& Env) : Env(Env) { InstallHooks(); }

TWhatsThis::~TWhatsThis()
{
    if (FHooks)
        UninstallHooks();
    if (Current == this || Current == nullptr) {
        Current = FPrevious;
        if (Current && Current->FActive && !Current->FHooks)
            Current->InstallHooks();
    }
}

void TWhatsThis::InstallHooks()
{
    if (Current && Current != this) {
        if (Current->FHooks)
            Current->UninstallHooks();
        FPrevious = Current;
    }
    FWatching = false;
    FState = 0;
    FInMenuLoop = false;
    Current = this;
    HookButtons(true);
    FHooks = true;
}

void TWhatsThis::UninstallHooks()
{
    FWatching = false;
    if (FState == 3)
        LeaveContextMode();
    HookButtons(false);
    FHooks = false;
}

// The items' own clicks are taken over while the hooks are in, so that they toggle context mode.
void TWhatsThis::HookButtons(bool Install)
{
    if (Install == FButtonsHooked)
        return;
    for (TWTControl C : {FMenuItemWT, FButtonWT})
        if (C)
            Env.HookClick(C, Install);
    FButtonsHooked = Install;
}

void TWhatsThis::SetButtonsDown(bool Down)
{
    if (FMenuItemWT)
        Env.SetChecked(FMenuItemWT, Down);
    if (FButtonWT)
        Env.SetDown(FButtonWT, Down);
}

void TWhatsThis::CheckInactive() const
{
    if (FHooks)
        throw Exception("TWhatsThis must be deactivated to change this property");
}

void TWhatsThis::SetWTMenuItem(TWTControl Item)
{
    CheckInactive();
    if (FMenuItemWT)
        Env.SetShortCut(FMenuItemWT, false);
    FMenuItemWT = Item;
    if (Item)
        Env.SetShortCut(Item, true);
}

void TWhatsThis::SetWTToolbarButton(TWTControl Button)
{
    CheckInactive();
    FButtonWT = Button;
}

void TWhatsThis::Removed(TWTControl Control)
{
    if (!Control)
        return;
    if (Control == FMenuItemWT)
        FMenuItemWT = nullptr;
    if (Control == FButtonWT)
        FButtonWT = nullptr;
    if (Control == FActiveControl)
        FActiveControl = nullptr;
    if (Control == FMenuItem)
        FMenuItem = nullptr;
    if (Control == FPopupControl)
        FPopupControl = nullptr;
}

void TWhatsThis::SetActive(bool Value)
{
    if (Value == FActive)
        return;
    FActive = Value;
    if (FActive != FHooks) {
        if (FActive)
            InstallHooks();
        else
            UninstallHooks();
    }
}

void TWhatsThis::EnterContextMode()
{
    if (!FHooks)
        throw Exception(Name + " is currently not active.");
    FState = 3;
    Env.SetHelpCursor(true);
    SetButtonsDown(true);
    if (OnEnterContextMode)
        OnEnterContextMode();
}

void TWhatsThis::LeaveContextMode()
{
    if (!FHooks)
        throw Exception(Name + " is currently not active.");
    FState = 0;
    Env.SetHelpCursor(false);
    SetButtonsDown(false);
    if (OnLeaveContextMode)
        OnLeaveContextMode();
}

void TWhatsThis::ToggleContextMode()
{
    if (!FHooks)
        return;
    if (FState == 0)
        EnterContextMode();
    else if (FState == 3)
        LeaveContextMode();
}

bool TWhatsThis::KeyUp(TWTKey Key)
{
    if (!FHooks)
        return false;
    if (Key == wkShift)
        FShiftDown = false;
    else if (Key == wkAppKey && !FInMenuLoop && (Options & wtUseAppKey) && Env.ForegroundIsOurs()) {
        // With nothing focused there is no control to tell about.
        TWTControl C = Env.ActiveControl();
        if (!C)
            return false;
        FActiveControl = C;
        int32_t X, Y, W, H;
        Env.ControlRect(C, X, Y, W, H);
        FState = 1;
        FWatching = true;
        Env.Post(WM_WT_ARM, X + W / 2, Y + H / 2);
        return true;
    }
    return false;
}

bool TWhatsThis::KeyDown(TWTKey Key, bool ShiftHeld)
{
    if (!FHooks)
        return false;
    try {
        if (FState == 3)
            LeaveContextMode();
        if (Key == wkShift) {
            FShiftDown = true;
            return false;
        }
        if (Key != wkF1)
            return false;
        FShiftDown = FShiftDown || ShiftHeld;
        FState = 0;
        if (!Env.ForegroundIsOurs() && F1Action == goContext)
            return false;
        FActiveControl = Env.ActiveControl();
        if (!FInMenuLoop)
            FWatching = true;
        bool CallHelp = true;
        if (!FShiftDown && OnF1KeyDown)
            OnF1KeyDown(CallHelp);
        if (CallHelp) {
            if (FShiftDown)
                EnterContextMode();
            else if (FInMenuLoop || F1Action == goContext) {
                auto [X, Y] = Env.MousePos();
                if (!FInMenuLoop && FActiveControl) {
                    int32_t W, H;
                    Env.ControlRect(FActiveControl, X, Y, W, H);
                }
                ShowHelpAt(X, Y);
            } else
                Env.HelpCommand(F1Action == goDefault ? HELP_CONTENTS : HELP_TAB, 0);
        }
        if (!FInMenuLoop)
            Env.Post(WM_WT_UNHOOK, 0, 0);
    } catch (const Exception&) {
    }
    return true;
}

bool TWhatsThis::RightClick(int32_t X, int32_t Y)
{
    if (!FHooks || (FState != 0 && FState != 3))
        return false;
    if (!FInMenuLoop) {
        TWTControl C = Env.ControlAt(X, Y);
        if (!C)
            return false;
        // Context mode waits for a left click; a right click there is the control's own, except on the tool
        // button, which ends the mode and is asked about.
        if (FState == 3) {
            if (C != FButtonWT)
                return false;
            LeaveContextMode();
        }
        FActiveControl = C;
        FState = 1;
        FWatching = true;
        Env.Post(WM_WT_ARM, X, Y);
        return false;
    }
    if (((Options & wtMenuRightClick) || FState == 3) && FMenuItem) {
        if (FState == 3)
            LeaveContextMode();
        Env.Post(WM_WT_HELP, X, Y);
        FState = 0;
        return true;
    }
    return false;
}

bool TWhatsThis::LeftDown(int32_t X, int32_t Y)
{
    if (!FHooks || FInMenuLoop)
        return false;
    if (FState == 0) {
        FWatching = true;
        return false;
    }
    if (FState == 2) {
        FActiveControl = Env.ControlAt(X, Y);
        if (FActiveControl) {
            Env.Post(WM_WT_HELP, X, Y);
            Env.Post(WM_WT_UNHOOK, 0, 0);
        }
        FState = 0;
        FSwallowRelease = true;
        return true;
    }
    if (FState == 3) {
        FActiveControl = Env.ControlAt(X, Y);
        // The tool button ends the mode itself, by its click.
        if (FActiveControl && FActiveControl == FButtonWT)
            return false;
        if (FActiveControl)
            Env.Post(WM_WT_HELP, X, Y);
        LeaveContextMode();
        // The control never saw the press, so it must not see the release either.
        FSwallowRelease = true;
        return true;
    }
    return false;
}

bool TWhatsThis::LeftUp(int32_t, int32_t)
{
    if (FSwallowRelease) {
        FSwallowRelease = false;
        FWatching = false;
        return true;
    }
    if (!FHooks)
        return false;
    if (FState == 0 && !FInMenuLoop)
        FWatching = false;
    else if (FState == 3) {
        // The menu item ends the mode itself, by its click.
        if (FInMenuLoop && FSelectedIsCommand && !(FMenuItemWT && FMenuItem == FMenuItemWT)) {
            LeaveContextMode();
            auto [X, Y] = Env.MousePos();
            Env.Post(WM_WT_HELP, X, Y);
            return true;
        }
        if (!FInMenuLoop)
            FWatching = false;
    }
    return false;
}

void TWhatsThis::CaptionHelpButton()
{
    if (!FHooks)
        return;
    if (FState == 3)
        LeaveContextMode();
    FWatching = true;
    FState = 2;
}

void TWhatsThis::MenuLoop(bool Entered)
{
    FInMenuLoop = Entered;
    if (Entered) {
        if (FState == 1)
            FState = 0;
        FMenuItem = nullptr;
    }
}

void TWhatsThis::MenuSelect(TWTControl Item, bool IsCommand)
{
    FMenuItem = Item;
    FSelectedIsCommand = IsCommand;
}

void TWhatsThis::Activated()
{
    if (FState == 1)
        FState = 0;
}

void TWhatsThis::Message(int Msg, int32_t X, int32_t Y)
{
    if (Msg == WM_WT_ARM) {
        if (FState == 1)
            ShowHelpAt(X, Y);
        if (FState != 3)
            FState = 0;
        if (!FInMenuLoop)
            FWatching = false;
    } else if (Msg == WM_WT_HELP)
        ShowHelpAt(X, Y);
    else if (Msg == WM_WT_UNHOOK)
        FWatching = false;
}

int32_t TWhatsThis::ContextFromMap(TWTControl Form, TWTControl Control) const
{
    if (!HelpContextMap)
        return 0;
    std::string F = Form ? Env.Name(Form) : std::string();
    std::string C = Control == Form ? std::string() : Env.Name(Control);
    return HelpContextMap->FindContext(HelpContextMap->LookupName(F, C));
}

int32_t TWhatsThis::ContextOf(TWTControl Form, TWTControl Control) const
{
    int32_t H = Env.HelpContext(Control);
    if (H == 0)
        H = ContextFromMap(Form, Control);
    if (H == 0)
        if (TWTControl Focus = Env.FocusControl(Control)) {
            H = Env.HelpContext(Focus);
            if (H == 0)
                H = ContextFromMap(Form, Focus);
        }
    if (H == 0 && (Options & wtUseTag))
        H = Env.Tag(Control);
    return H;
}

void TWhatsThis::ShowHelpAt(int32_t X, int32_t Y)
{
    // Closing the menus ends the menu loop; the request is still about the item that was selected.
    const bool IsMenu = FInMenuLoop;
    if (FInMenuLoop && FSelectedIsCommand)
        Env.CloseMenus();
    int32_t H = 0;
    TWTControl Item = nullptr;
    if (IsMenu) {
        if (!FMenuItem)
            return;
        Item = FMenuItem;
        TWTControl Owner = nullptr;
        for (TWTControl P = Env.Parent(FMenuItem); P; P = Env.Parent(P))
            if (Env.IsForm(P)) {
                Owner = P;
                break;
            }
        for (TWTControl I = FMenuItem; I && H == 0; I = Env.Parent(I)) {
            if (Env.IsForm(I))
                break;
            H = Env.HelpContext(I);
            if (H == 0)
                H = ContextFromMap(Owner, I);
        }
    } else {
        if (!FActiveControl)
            return;
        Item = FActiveControl;
        if (FState == 1 && !(Options & wtPopupOnForm) && Env.IsForm(FActiveControl))
            return;
        TWTControl Form = nullptr;
        for (TWTControl P = FActiveControl; P; P = Env.Parent(P))
            if (Env.IsForm(P)) {
                Form = P;
                break;
            }
        for (TWTControl C = FActiveControl; C && H == 0; C = Env.Parent(C)) {
            if (Env.IsForm(C) && !(Options & wtInheritFormContext))
                continue;
            H = ContextOf(Form, C);
        }
    }
    if (OnGetContext)
        OnGetContext(Item, IsMenu, H, X, Y);
    bool Menu = FState == 1 && !(Options & wtDirectHelp);
    if (H == 0 && !(Menu ? (Options & wtNoContextMenu) : (Options & wtNoContextHelp)))
        return;
    if (Menu) {
        if (Env.IsForm(FActiveControl) && !(Options & wtPopupOnForm))
            return;
        bool DoPopup = true;
        if (OnPopup)
            OnPopup(FActiveControl, H, X, Y, DoPopup);
        if (DoPopup) {
            FPopupControl = FActiveControl;
            FPopupContext = H;
            FPopupX = X;
            FPopupY = Y;
            Env.ShowPopupMenu(X, Y, PopupCaption);
        }
        return;
    }
    Request(Item, IsMenu, H, X, Y);
}

void TWhatsThis::Request(TWTControl Item, bool IsMenu, int32_t H, int32_t X, int32_t Y)
{
    bool CallHelp = true;
    if (OnHelp)
        OnHelp(Item, IsMenu, H, X, Y, CallHelp);
    if (!CallHelp)
        return;
    if (H < 0) {
        Env.HelpCommand(HELP_CONTEXT, -H);
        return;
    }
    if (X != 0 && Y != 0)
        Env.HelpCommand(HELP_SETPOPUP_POS, PackPoint(X, Y));
    Env.HelpCommand(HELP_CONTEXTPOPUP, H);
}

void TWhatsThis::PopupItemClick()
{
    FState = 0;
    bool CallHelp = true;
    if (OnHelp)
        OnHelp(FPopupControl, false, FPopupContext, FPopupX, FPopupY, CallHelp);
    if (!CallHelp)
        return;
    if (FPopupContext >= 0) {
        Env.HelpCommand(HELP_SETPOPUP_POS, PackPoint(FPopupX, FPopupY));
        Env.HelpCommand(HELP_CONTEXTPOPUP, FPopupContext);
    } else
        Env.HelpCommand(HELP_CONTEXT, -FPopupContext);
}
