// What the tests and benchmarks that drive the engine against the device simulator share: the engine set up for the
// simulator's log-in on a given line, and a data document's values by their paths.
#pragma once

#include "engine/DataManager.h"
#include "engine/ManagerVMU.h"
#include "serial/SerPort.h"
#include "xml/XmlDoc.h"

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <utility>

// Port opened on the simulator's pseudo-terminal Path as the engine reads it.
inline void OpenSimulatorPort(TSerPort& Port, const std::string& Path)
{
    Port.SetPort(Path);
    Port.SetEvents(TSerEvents{evRxChar, evDSR});
    Port.Timeouts().SetReadInterval(0);
    Port.Open();
}

// The simulator's default state in the source tree above the folder From ('' when there is none).
inline std::string DefaultSimulatorState(std::filesystem::path From)
{
    for (std::filesystem::path up = From; !up.empty(); up = up.parent_path()) {
        if (std::filesystem::exists(up / "data/vmusim/default.state"))
            return (up / "data/vmusim/default.state").string();
        if (up == up.parent_path())
            break;
    }
    return {};
}

// The engine on Link with the description's log-in scripts, the simulator's password and Manager's documents.
inline std::unique_ptr<TManagerVMU> MakeSimulatorEngine(TVmuPort& Link, TDataManager& Manager, TXmlNode* Params)
{
    TXmlNode* init = Manager.Description->FindNode(nullptr, "Init VMU System Administrator Menu");
    auto engine = std::make_unique<TManagerVMU>(&Link,
        Manager.GetSaveSteps(init, "Init VMU System Administrator Menu", true),
        Manager.GetLoadSteps(nullptr, "Init VMU System Administrator Menu"));
    engine->OnGetPassword = [](std::string& text) { text = "ADMIN\r\n"; };
    engine->DataManager = &Manager;
    engine->ParamsNode = Params;
    return engine;
}

// The values of a data document by the names from its root down to them, with their description nodes.
inline std::map<std::string, std::pair<std::string, const TXmlNode*>> DocumentValues(TXmlDoc& Data)
{
    std::map<std::string, std::pair<std::string, const TXmlNode*>> out;
    TXmlWalk walk;
    for (TXmlNode* n = walk.First(Data.Root(), Data.Root()); n; n = walk.Next(n)) {
        if (!n->Attrs.Find("Value"))
            continue;
        std::string path;
        for (const TXmlNode* p = n; p; p = p->Parent)
            path = p->GetName() + "/" + path;
        out[path] = {n->GetValue(), n->GetTemplate()};
    }
    return out;
}
