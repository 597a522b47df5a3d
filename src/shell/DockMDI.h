// Docking of the parameter tree. Docked, the tree panel fills a strip at the left edge of the main window's client
// area (LeftDockPanel: the panel's site DockPanel and the 5-pixel splitter VSplitter at its right edge; dragging
// the splitter shows SplitterLine and sets the strip's width, TMainForm::TreeWidth, on release). Torn off (the
// panel's Float button, or its title dragged out of the strip), the panel floats in its own MDI child window
// TDockMDIForm (form kinds 2 and 42), at first as wide as the names need, beside the window being worked in,
// which remembers its last position and size (the float rectangle and TreeUndockWidth/Height) unless maximised; its Dock button, or its title dropped on the left edge of the client
// area, docks it again at TreeWidth. Closing the floating window frees the panel and unchecks Show Parameters
// Tree; checking it again makes the panel anew, floating where it was. Hidden while docked, the panel is kept and
// the strip takes no room. Main thread only.
#pragma once

#include "common/ui/BaseMDI.h"

#include <QPointer>

#include <functional>
#include <QRect>
#include <QWidget>

class QLabel;
class QToolButton;
class TMainForm;
class TTreeDock;

// The panel named "PanelTreeView": a title with the Float/Dock button above its client (the tree view).
class TMyDockPanel : public QWidget {
    Q_OBJECT
public:
    TMyDockPanel(TTreeDock* Dock, QWidget* Parent);
    void SetClient(QWidget* Client);
    QWidget* Header() const { return FHeader; }
    QToolButton* FloatButton() const { return FButton; }
    // The text the floating window takes as its caption (up to the first line break).
    QString Caption() const;
    void SetFloating(bool Floating);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    TTreeDock* FDock;
    QWidget* FHeader;
    QLabel* FTitle;
    QToolButton* FButton;
    QPoint PressPos;
    QPoint WindowStart;
    bool Pressed = false;
};

class TDockMDIForm : public TBaseMDIForm {
    Q_OBJECT
public:
    explicit TDockMDIForm(const TFormCreation& Creation);
    // Puts the panel into the window, filling it; the window shows.
    void DockClient(TTreeDock* Dock, TMyDockPanel* Panel);
    TMyDockPanel* DockedPanel() const { return FPanel; }

protected:
    void InitForm() override;
    void closeEvent(QCloseEvent* Event) override;
    void moveEvent(QMoveEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;

private:
    void RememberPlace();
    TTreeDock* FDock = nullptr;
    QPointer<TMyDockPanel> FPanel;
};

// The splitter at the strip's right edge.
class TDockSplitter : public QWidget {
    Q_OBJECT
public:
    explicit TDockSplitter(TMainForm* Main, QWidget* Parent);

protected:
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;

private:
    TMainForm* Main;
    int PressX = 0;
};

// The dock site around the MDI area and the floating state; owned by the main window.
class TTreeDock : public QObject {
    Q_OBJECT
public:
    explicit TTreeDock(TMainForm* Main);

    QWidget* LeftDockPanel = nullptr;
    QWidget* DockPanel = nullptr;
    TDockSplitter* VSplitter = nullptr;
    QWidget* SplitterLine = nullptr;
    // The last place of the floating window in the MDI area's coordinates (outer frame); empty until it floated.
    QRect FloatRect;

    bool Floating() const;
    TDockMDIForm* FloatingForm() const;
    // Docks the panel into the strip at TreeWidth (the floating window, if any, closes by itself).
    void Dock();
    // Tears the panel off into a floating window at TopLeft (MDI-area coordinates) with the remembered size (at
    // first as wide as its names need). BesideActive: a place that would cover the window being worked in (the
    // current MDI child) gives way to one beside it; a panel dropped where the user dragged it stays there.
    void Float(QPoint TopLeft, bool BesideActive = true);
    // The strip's width; 0 hides it.
    void SetStripWidth(int Width);
    int StripWidth() const;
    // The strip width at which every name of the tree, its branches all opened, shows whole (0 without a tree).
    int WidthForNames() const;

    TMainForm* const Main;
    // The floating window closed with the tree inside (the main window frees the tree).
    std::function<void()> OnTreeClosed;
};
