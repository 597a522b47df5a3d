// The program's help viewer: the host of the help router's HTML Help commands. It reads the help folder beside
// the help file name (help/HelpStore) and shows topics in one top-level window per window type of the help
// project ("Main", "GridForm", "win1"), each with the contents tree beside the topic, and context popups as small
// boxes at a screen point. Links and pictures inside a topic are taken from the help folder only. A damaged
// folder is told once, in one box, when it is first read; window places from the project are kept on the screen.
//
// The windows never keep the program alive and are closed with the viewer (the main window owns it). While a
// modal dialog is up, a help window is made a window of that dialog, so that it can be used; it is given back
// when the dialog goes. Main thread only.
#pragma once

#include "help/HelpHost.h"
#include "help/HelpStore.h"

#include <QObject>
#include <QPointer>
#include <QTextBrowser>
#include <QWidget>

#include <map>
#include <memory>
#include <string>

class QLabel;
class QSplitter;
class QTreeWidget;
class QTreeWidgetItem;

// The text of a popup for an item that has no help.
inline constexpr const char* NoHelpTopicText = "No help topic is associated with this item.";

class THelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit THelpBrowser(QWidget* Parent) : QTextBrowser(Parent) {}
    const THelpStore* Store = nullptr;
    QVariant loadResource(int Type, const QUrl& Name) override;
};

class THelpWindow : public QWidget {
    Q_OBJECT
public:
    THelpWindow(const std::string& WindowName, const THelpStore& Store);
    // Shows a topic path of the store ("Main.htm", "x.htm#part"); false when it does not resolve.
    bool ShowTopic(const std::string& Topic);
    const std::string& CurrentTopic() const { return FTopic; }
    QTreeWidget* ContentsTree() const { return Tree; }
    THelpBrowser* Browser() const { return View; }
    const THelpStore* Store() const { return FStore; }
    void SetStore(const THelpStore& Store);

private:
    void LinkClicked(const QUrl& Url);
    void ItemChosen(QTreeWidgetItem* Item);
    void FillContents();
    void SelectInContents(const std::string& Topic);
    const THelpStore* FStore;
    QSplitter* Split;
    QTreeWidget* Tree;
    THelpBrowser* View;
    std::string FTopic;
};

class THelpViewer : public QObject, public THelpHost {
    Q_OBJECT
public:
    THelpViewer();
    ~THelpViewer() override;

    bool HtmlHelpLoaded() const override { return true; }
    bool LoadHtmlHelp() override { return true; }
    intptr_t HtmlHelp(const std::string& File, uint32_t Command, const THelpData& Data,
        const THHPopup* Popup) override;
    intptr_t WinHelp(const std::string&, uint32_t, const THelpData&) override { return 0; }
    std::pair<int32_t, int32_t> MousePos() const override;

    // The open window of a window type (case-blind; '' means "Main"), or null; the popup on show, or null.
    THelpWindow* Window(const std::string& Name) const;
    QWidget* Popup() const { return FPopup; }
    void CloseAll();

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    const THelpStore* StoreFor(const std::string& ChmFile);
    THelpWindow* OpenWindow(const THelpStore& Store, const std::string& Name);
    void ShowPopupText(const std::string& Text, int32_t X, int32_t Y);
    void KeepUsable(THelpWindow* W);
    std::map<std::string, std::unique_ptr<THelpStore>> Stores;
    std::map<std::string, QPointer<THelpWindow>> Windows;
    QPointer<QWidget> FPopup;
};
