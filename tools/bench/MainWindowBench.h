// What a benchmark of the main window on the device simulator stands on: the program offscreen, its boxes recorded
// rather than shown, in a program folder of its own (a temporary one holding the built description), removed again
// at the end. Boxes that tell why a run found nothing to measure are printed with PrintBoxes.
#pragma once

#include "platform/Dialogs.h"
#include "platform/ProgramFolder.h"
#include "platform/ui/QtMainThread.h"
#include "support/RecordingDialogs.h"
#include "vmusim/SimProcess.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

class TMainWindowBench {
public:
    // Name: the benchmark's, for the line saying what is not built.
    TMainWindowBench(const char* Name, int& Argc, char** Argv)
        : FApp((setenv("QT_QPA_PLATFORM", "offscreen", 0), Argc), Argv), FDialogsScope(&Boxes)
    {
        namespace fs = std::filesystem;
        const std::string Dat = std::string(ORLANTIS_BIN_DIR) + "/Orlantis.dat";
        Built = fs::exists(Dat) && !TSimProcess::Binary().empty();
        if (!Built) {
            std::printf("%s: needs %s and vmusim built\n", Name, Dat.c_str());
            return;
        }
        Folder = (fs::temp_directory_path() / "orlantis-bench-XXXXXX").string();
        if (!::mkdtemp(Folder.data())) {
            Folder.clear();
            return;
        }
        FProgramFolder = std::make_unique<TProgramFolderScope>(Folder + "/");
        fs::copy_file(Dat, Folder + "/Orlantis.dat");
    }
    ~TMainWindowBench()
    {
        FProgramFolder.reset();
        std::error_code Ec;
        if (!Folder.empty())
            std::filesystem::remove_all(Folder, Ec);
    }
    // Whether there is something to run: the description and the simulator built, and the folder made.
    bool Ready() const { return FProgramFolder != nullptr; }
    void PrintBoxes() const
    {
        for (const auto& B : Boxes.Boxes)
            std::printf("  [%s] %s\n", B.Caption.c_str(), B.Text.c_str());
    }

    bool Built = false;
    std::string Folder;
    TRecordingDialogs Boxes;

private:
    QApplication FApp;
    TQtMainThreadScope FMainThread;
    TDialogsScope FDialogsScope;
    std::unique_ptr<TProgramFolderScope> FProgramFolder;
};
