// Base of every child window: the section forms, the terminal, the print preview and the floating tree. It carries
// the window's form kinds, the window that opened it and the row it was opened for, and its view parameters from
// the description; while it is created it applies the description's texts and geometry and runs its subclass
// hooks. A window whose kinds include 1 becomes a hidden, centred top-level window that only hides when closed;
// every other one is an MDI child placed at its view position (moved, and only then shrunk, to lie inside the
// visible part of the MDI area) that frees itself when closed. Before a window
// closes, its open detail windows are closed; if one of them refuses, the window stays open too.
//
// Creation is two-phase so that the most-derived hooks run: a subclass builds its widgets in its constructor
// (taking the TFormCreation it is given), then the factory finishes the window:
//   auto* f = TBaseMDIForm::Create<TTerminalForm>(area, TFormKinds{2}, params);
//   auto* d = TBaseMDIForm::CreateDetail<TMailboxDetailForm>(area, TFormKinds{3}, params, owner, row);
// A window whose InitForm or AfterInit raises is not kept: the error is shown, the half-built window is freed and
// the factory answers null.
#pragma once

#include "common/FormKinds.h"
#include "common/Utilits.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

#include <utility>

class TBaseMDIForm;

// What a window is created with; only the factory makes one.
class TFormCreation {
    friend class TBaseMDIForm;
    TFormCreation() = default;
    QMdiArea* Area = nullptr;
    TFormKinds FormMask;
    TFormParams Params;
    TBaseMDIForm* OwnerForm = nullptr;
    int32_t Index = -1;
};

// The window-creation parameters a subclass may change in AdjustParams.
struct TWindowParams {
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    Qt::WindowFlags Flags;
};

class TBaseMDIForm : public QMdiSubWindow {
    Q_OBJECT
public:
    // Size of a window whose description gives none.
    static constexpr int DefaultWidth = 268;
    static constexpr int DefaultHeight = 140;

    // A window opened by the main window (FormMask usually {2}); OwnerForm null, Index -1. Area is the main window's
    // MDI area; a dialog-style window (kind 1) is centred over the area's window.
    template <class T, class... A>
    static T* Create(QMdiArea* Area, const TFormKinds& FormMask, const TFormParams& Params, A&&... Extra)
    {
        TFormCreation c;
        c.Area = Area;
        c.FormMask = FormMask;
        c.Params = Params;
        return Finish(new T(c, std::forward<A>(Extra)...));
    }
    // A detail window opened from row Index of OwnerForm (FormMask usually {3}).
    template <class T, class... A>
    static T* CreateDetail(QMdiArea* Area, const TFormKinds& FormMask, const TFormParams& Params,
        TBaseMDIForm* OwnerForm, int32_t Index, A&&... Extra)
    {
        TFormCreation c;
        c.Area = Area;
        c.FormMask = FormMask;
        c.Params = Params;
        c.OwnerForm = OwnerForm;
        c.Index = Index;
        return Finish(new T(c, std::forward<A>(Extra)...));
    }

    TFormKinds FormMask;
    // The window that opened this one as a detail window; becomes null by itself when that window is gone.
    QPointer<TBaseMDIForm> OwnerForm;
    int32_t Index = -1;
    TFormParams Params;

    // The widget that subclasses fill with their controls.
    QWidget* Client() const { return widget(); }
    QMdiArea* Area() const { return FArea; }
    // The class name under which the description knows this window (the most-derived Q_OBJECT class).
    virtual std::string FormClassName() const;
    std::string HelpKeyword() const;
    // The open windows that were opened from this one.
    QList<TBaseMDIForm*> DetailForms() const;
    // Called by a detail window once it has applied its changes: tells its owner, if the owner is still open.
    void NotifyOwnerApplied();
    // The owner's reaction to a detail window's applied changes; nothing here.
    virtual void ChildApplied() {}

protected:
    explicit TBaseMDIForm(const TFormCreation& Creation);

    // Hooks, in the order they run after the texts are applied; each subclass calls the inherited one first.
    // InitForm is where a class adds its own form kind.
    virtual void InitForm() {}
    virtual void AfterInit() {}
    // Runs after position and size are set from the view parameters, before the window is placed.
    virtual void AdjustParams(TWindowParams& Params) { (void)Params; }
    // The control that has the keyboard when the window opens, however it was opened (null: the first control
    // that takes the focus).
    virtual QWidget* FirstFocusWidget() const { return nullptr; }

    void closeEvent(QCloseEvent* Event) override;
    void showEvent(QShowEvent* Event) override;

private:
    template <class T>
    static T* Finish(T* Form)
    {
        if (Form->CreateWindow())
            return Form;
        delete Form;
        return nullptr;
    }
    // False when a hook raised: the error has been shown and the window must go.
    bool CreateWindow();
    void CreateParams();

    QPointer<QMdiArea> FArea;
};
