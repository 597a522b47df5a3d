// The program's main block: the application, the splash window for a second while nothing else happens, the main
// window's creation (which loads and checks the description document), then the message loop. A main window that
// refused to start ends the program with a non-zero status; a missing description says why on stderr.
#include "common/ui/UtilitsUi.h"
#include "platform/Dialogs.h"
#include "platform/ui/QtDialogs.h"
#include "platform/ui/QtMainThread.h"
#include "shell/Logo.h"
#include "shell/main.h"

#include "shell/MainVersion.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {
// Without a desktop session Qt ends the program with an abort and a page about platform plugins; a user who ran
// `make run` over ssh needs one line instead. Platforms that need no display (offscreen, vnc...) pass.
bool DisplayReachable()
{
    const char* Platform = std::getenv("QT_QPA_PLATFORM");
    auto Set = [](const char* Name) {
        const char* V = std::getenv(Name);
        return V && *V;
    };
    if (Platform && *Platform && std::strncmp(Platform, "xcb", 3) != 0 && std::strncmp(Platform, "wayland", 7) != 0)
        return true;
    return Set("DISPLAY") || Set("WAYLAND_DISPLAY");
}
}

int main(int argc, char** argv)
{
    // A file that grows past the user's file-size limit is a failed write told in a box (the temporary file goes,
    // the old file stays), never the end of the program with the unsaved edits.
    std::signal(SIGXFSZ, SIG_IGN);
    if (!DisplayReachable()) {
        std::fprintf(stderr, "orlantis: no desktop session found (DISPLAY is not set); start it from a desktop "
                             "session, or under xvfb-run for a virtual one\n");
        return 1;
    }
    QApplication Application(argc, argv);
    SetApplicationNames();
    TQtMainThreadScope MainThread;
    TQtDialogs Dialogs;
    TDialogsScope DialogsScope(&Dialogs);
    InstallProgramStyle();
    InitFormMetricsFromStyle();

    // The splash lives only while the main window is created; it goes also when the creation throws.
    auto Logo = std::make_unique<TLogoForm>();
    TSplashDialogs StartupDialogs(Dialogs, Logo);
    std::unique_ptr<TDialogsScope> StartupScope = std::make_unique<TDialogsScope>(&StartupDialogs);
    Logo->show();
    Logo->repaint();
    {
        // It stays a second, painting meanwhile.
        QEventLoop Wait;
        QTimer::singleShot(1000, &Wait, &QEventLoop::quit);
        Wait.exec();
    }
    QStringList Arguments = QApplication::arguments();
    Arguments.removeFirst();
    auto Main = std::make_unique<TMainForm>(Arguments);
    Logo.reset();
    StartupScope.reset();

    if (Main->Terminated()) {
        if (!Main->StartupError().empty())
            std::fprintf(stderr, "%s\n", Main->StartupError().c_str());
        return 1;
    }
    Main->ShowAtStart();
    return Application.exec();
}
