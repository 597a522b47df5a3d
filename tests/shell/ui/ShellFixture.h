// A temporary program folder for the main window's tests: the description document is the built one, copied or
// changed on the way, or one written from text; message boxes are recorded, help requests are recorded and nothing is
// ever opened on the desktop.
#pragma once

#include "common/Utilits.h"
#include "support/RecordingHelp.h"
#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"
#include "platform/ProgramFolder.h"
#include "platform/ui/QtMainThread.h"
#include "platform/ui/ShellOpen.h"
#include "shell/MainHelp.h"
#include "shell/main.h"
#include "xml/XmlDoc.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

inline std::string BuiltDescription() { return std::string(ORLANTIS_BIN_DIR) + "/Orlantis.dat"; }

class TShellFixture : public ::testing::Test {
protected:
    TShellFixture() : Folder(FolderPath()), DialogsScope(&Dialogs), HelpScope(&Help), UrlScope([this](const std::string& Url) {
        Urls.push_back(Url);
        return true;
    })
    {
    }
    ~TShellFixture() override
    {
        Main.reset();
        ResetUtilitsTexts();
    }

    std::string Dir() const { return FolderPath(); }
    std::string DatPath() const { return Dir() + "Orlantis.dat"; }

    // The built description, changed by Edit before it is written into the folder.
    void WriteDescription(const std::function<void(TXmlDoc&)>& Edit = {})
    {
        TXmlDoc Doc;
        Doc.ShowErrors = false;
        ASSERT_TRUE(Doc.LoadFromFile(BuiltDescription(), true)) << Doc.LastError;
        if (Edit)
            Edit(Doc);
        ASSERT_TRUE(Doc.SaveToFile(DatPath(), true)) << Doc.LastError;
    }
    // A description written from text XML.
    void WriteDescriptionText(const std::string& Text)
    {
        TXmlDoc Doc;
        Doc.ShowErrors = false;
        Doc.XmlText = Text;
        ASSERT_TRUE(Doc.ParseText()) << Doc.LastError;
        ASSERT_TRUE(Doc.SaveToFile(DatPath(), true)) << Doc.LastError;
    }

    TMainForm& Start(const QStringList& Arguments = {})
    {
        Main = std::make_unique<TMainForm>(Arguments);
        // Help requests are recorded unless a test hands them back to the viewer.
        if (Main->Help && Main->Help->Router)
            Main->Help->Router->SetHost(&HelpHost);
        return *Main;
    }

    // Every box shown so far, one a line with its caption, for failure messages.
    std::string BoxTexts() const
    {
        std::string S;
        for (const auto& B : Dialogs.Boxes)
            S += "[" + B.Caption + "] " + B.Text + "\n";
        return S;
    }

    // The program's own main-thread dispatcher, as main() installs it: a device job's calls into the main thread
    // (the progress dialog's end among them) run there, never on the job's worker. It outlives the main window.
    TQtMainThreadScope MainThreadScope;
    TRecordingDialogs Dialogs;
    TRecordingHelpRouting Help;
    TRecordingHelpHost HelpHost;
    std::vector<std::string> Urls;
    std::unique_ptr<TMainForm> Main;

private:
    std::string FolderPath() const { return Temp.path().toStdString() + "/"; }
    QTemporaryDir Temp;
    TProgramFolderScope Folder;
    TDialogsScope DialogsScope;
    THelpRoutingScope HelpScope;
    TUrlOpenerScope UrlScope;
};
