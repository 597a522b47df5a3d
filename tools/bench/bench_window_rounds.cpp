// Memory over many rounds of section windows in interactive mode: the main window, connected to the device
// simulator on its default state, loads everything, then opens and closes every section window again and again.
// Each opening reads its section from the device on the device job's thread and each closing drops it on the main
// thread. The program's resident size is printed after Load all and after rounds 1, 50 and 150 (with --rounds N,
// those of them up to N and round N), beside the memory mapped for the XML library's blocks and the heap in use. Goal:
// the last round ends within a few MiB of the first. Runs for minutes, so it is no test.
#include "MainWindowBench.h"
#include "shell/main.h"

#include "common/ui/BaseMDI.h"
#include "shell/FormRegistry.h"
#include "support/MainOnSimulator.h"
#include "xml/XmlArena.h"
#include "xml/XmlDoc.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <malloc.h>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

double MiB(size_t Bytes) { return double(Bytes) / (1 << 20); }

size_t ResidentBytes()
{
    std::ifstream In("/proc/self/statm");
    size_t Total = 0, Resident = 0;
    In >> Total >> Resident;
    return Resident * size_t(sysconf(_SC_PAGESIZE));
}

void Report(const char* When, double Seconds)
{
    struct mallinfo2 Heap = mallinfo2();
    std::printf("%-18s resident %7.1f MiB   xml chunks %6.1f MiB   heap in use %6.1f MiB   %6.1f s\n", When,
        MiB(ResidentBytes()), MiB(XmlChunksMade() * XmlChunkBytes), MiB(Heap.uordblks + Heap.hblkhd), Seconds);
    std::fflush(stdout);
}

// Closes every window the main window holds and lets the closings run to their end (the data dropped, the window
// deleted).
void CloseAll(TMainForm& M)
{
    for (TBaseMDIForm* F : M.ChildForms())
        F->close();
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

// Opens and closes every section window of the description once; answers how many opened.
int Round(TMainForm& M, const std::vector<std::string>& Sections)
{
    int Opened = 0;
    for (const std::string& Section : Sections) {
        M.OpenNodeForm(M.TemplateDoc->FindNode(M.ParamsNode, Section));
        QApplication::processEvents();
        Opened += int(M.ChildForms().size());
        CloseAll(M);
    }
    return Opened;
}

} // namespace

int main(int argc, char** argv)
{
    int Rounds = 150;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--rounds") == 0)
            Rounds = std::max(1, std::atoi(argv[i + 1]));
    TMainWindowBench Bench("bench_window_rounds", argc, argv);
    if (!Bench.Ready())
        return Bench.Built ? 1 : 0;
    TRecordingDialogs& Boxes = Bench.Boxes;
    int Rc = 0;
    {
        TSimProcess Sim({"--state", std::string(ORLANTIS_SOURCE_DIR) + "/data/vmusim/default.state"});
        Sim.CloseLine();
        auto Start = std::chrono::steady_clock::now();
        auto Seconds = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count(); };
        {
            TMainForm M({});
            ShowOnSimulator(M, Sim.PtyPath());
            M.ConnectSet1Execute();
            if (M.Connected)
                M.SystemLoadDataFromVMU1Execute();
            if (!M.Connected || M.NoData || M.BatchMode) {
                std::printf("bench_window_rounds: no office to work on\n");
                Bench.PrintBoxes();
                Rc = 1;
            } else {
                std::vector<std::string> Sections;
                for (const TSectionForm& E : SectionForms())
                    if (M.TemplateDoc->FindNode(M.ParamsNode, E.Section))
                        Sections.push_back(E.Section);
                Report("after Load all", Seconds());
                const std::set<int> Shown = {1, std::min(50, Rounds), std::min(150, Rounds), Rounds};
                const size_t BoxesBefore = Boxes.Boxes.size();
                for (int R = 1; R <= Rounds; ++R) {
                    const int Opened = Round(M, Sections);
                    if (R == 1)
                        std::printf("%d of %zu section windows open in a round\n", Opened, Sections.size());
                    if (Shown.count(R))
                        Report(("after round " + std::to_string(R)).c_str(), Seconds());
                }
                if (Boxes.Boxes.size() > BoxesBefore)
                    std::printf("boxes shown during the rounds: %zu (first: %s)\n", Boxes.Boxes.size() - BoxesBefore,
                        Boxes.Boxes[BoxesBefore].Text.c_str());
            }
        }
        Sim.Stop();
    }
    return Rc;
}
