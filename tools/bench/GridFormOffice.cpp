// Loading the simulator's office for bench_grid_form (see GridFormOffice.h).
#include "GridFormOffice.h"

#include "engine/DataManager.h"
#include "engine/ManagerVMU.h"
#include "engine/SerPortVmu.h"
#include "platform/ProgramFolder.h"
#include "serial/SerPort.h"
#include "vmusim/SimProcess.h"
#include "xml/XmlDoc.h"

#include <filesystem>
#include <memory>

namespace {
std::unique_ptr<TDataManager> Manager;
}

TDataManager* LoadOffice(TXmlDoc& Data, TXmlDoc& View, std::string& Why)
{
    namespace fs = std::filesystem;
    TXmlNode* Params = View.FindNode(nullptr, "VMU Parameters 409");
    if (!Params) {
        Why = "the description has no parameter tree";
        return nullptr;
    }
    if (TSimProcess::Binary().empty()) {
        Why = "vmusim is not built";
        return nullptr;
    }
    std::string Folder = (fs::temp_directory_path() / "orlantis-bench-XXXXXX").string();
    if (!::mkdtemp(Folder.data())) {
        Why = "no temporary folder";
        return nullptr;
    }
    Manager = std::make_unique<TDataManager>(&Data, &View);
    bool Failed = false;
    {
        TProgramFolderScope Steps(Folder);   // step files go there, not beside the program
        TSimProcess Sim({"--state", std::string(ORLANTIS_SOURCE_DIR) + "/data/vmusim/default.state"});
        Sim.CloseLine();
        TSerPort Port;
        Port.SetPort(Sim.PtyPath());
        Port.SetEvents(TSerEvents{evRxChar, evDSR});
        Port.Timeouts().SetReadInterval(0);
        Port.Open();
        TSerPortVmu Link(Port);
        TXmlNode* Init = View.FindNode(nullptr, "Init VMU System Administrator Menu");
        TManagerVMU Engine(&Link, Manager->GetSaveSteps(Init, "Init VMU System Administrator Menu", true),
            Manager->GetLoadSteps(nullptr, "Init VMU System Administrator Menu"));
        Engine.OnGetPassword = [](std::string& Text) { Text = "ADMIN\r\n"; };
        Engine.DataManager = Manager.get();
        Engine.ParamsNode = Params;
        Engine.CharPaceMs = 1;
        Engine.OnResult = [&](bool F) { Failed = Failed || F; };
        auto All = Manager->GetLoadSteps(Params, "");
        Engine.Mode = doLoad;
        Engine.Steps = All.get();
        Engine.Execute();
        Port.Close();
    }
    std::error_code Ec;
    fs::remove_all(Folder, Ec);
    if (Failed) {
        Why = "the load from the simulator failed";
        return nullptr;
    }
    return Manager.get();
}

void ReleaseOffice() { Manager.reset(); }
