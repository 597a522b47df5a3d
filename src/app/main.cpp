// The program's main block: the application, the splash window for a second while nothing else happens, the main
// window's creation (which loads and checks the description document), then the message loop. A main window that
// refused to start ends the program with a non-zero status; a missing description says why on stderr.
#include "common/ui/UtilitsUi.h"
#include "platform/Dialogs.h"
#include "platform/ui/QtDialogs.h"
#include "platform/ui/QtMainThread.h"
#include "shell/Logo.h"
#include "shell/main.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    QApplication Application(argc, argv);
    QApplication::setApplicationName("Orlantis");
    QApplication::setApplicationDisplayName("Orlantis");
    TQtMainThreadScope MainThread;
    TQtDialogs Dialogs;
    TDialogsScope DialogsScope(&Dialogs);
    InitFormMetricsFromStyle();

    // The splash lives only while the main window is created; it goes also when the creation throws.
    auto Logo = std::make_unique<TLogoForm>();
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

    if (Main->Terminated()) {
        if (!Main->StartupError().empty())
            std::fprintf(stderr, "%s\n", Main->StartupError().c_str());
        return 1;
    }
    Main->showMaximized();
    return Application.exec();
}
