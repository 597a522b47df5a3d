// The description document and the simulator together, for the sections of the tables and the alternate
// extensions: each section's load script run against vmusim and parsed by the data manager gives the simulator's
// state; a change, an added and a deleted record, saved by the section's save script, end up in the simulator's
// saved state. The steps run here as the engine runs them, without its pacing and its serial port.
#include "SimProcess.h"
#include "SimState.h"

#include "engine/DataManager.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

namespace {

const std::string kTop = "Top Menu Selection => ";

const std::vector<std::string> kSections = {"Mailbox Group", "Extension Group", "Alternate Extension",
    "Operator's Parameters", "Department Dialing", "Custom Service", "Caller ID Call Routing", "Prompt Setting",
    "System Caller Name Announcement", "Message Waiting Notification", "External Message Delivery",
    "Fax Management", "Rotary Telephone Service", "Intercom Paging Parameters", "Time Service", "Holiday Listing",
    "Daylight Saving Time", "Extension Numbering Plan", "Disconnect Parameter", "Inter-Digit Timeout",
    "Port Setting", "Input/Output", "PBX Dialing Parameters", "Inband Signaling"};

// Sections whose children are records: the record's "Value" is its key in the simulator's state.
const std::set<std::string> kRecordSections = {"Mailbox Group", "Extension Group", "Custom Service",
    "Caller ID Call Routing", "System Caller Name Announcement", "Holiday Listing", "Port Setting", "Input/Output"};

bool EndsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Runs a step list as the engine does: each step's keys, then its stop answer; its error answer fails it.
bool RunSteps(TSimProcess& sim, const TStepParameters& steps, std::string& saved, std::string& why)
{
    for (int i = 0; i < steps.Count(); ++i) {
        const TStepParameter* s = steps.GetItem(i);
        sim.Send(s->Send);
        if (s->BreakSteps)
            return true;
        std::string answer = s->StopAnswer.empty() ? sim.ReadQuiet(300) : sim.ReadUntil(s->StopAnswer, 20000);
        if (!s->StopAnswer.empty() && !EndsWith(answer, s->StopAnswer)) {
            why = "step " + std::to_string(i) + " (" + s->Send + ") did not end with \"" + s->StopAnswer +
                "\":\n" + answer;
            return false;
        }
        if (!s->ErrorAnswer.empty() && answer.find(s->ErrorAnswer) != std::string::npos) {
            why = "step " + std::to_string(i) + " (" + s->Send + ") was refused:\n" + answer;
            return false;
        }
        if (s->SaveAnswer)
            saved += answer;
    }
    return true;
}

// The data of one section as "record|field path" -> value, in the shape of the simulator's state: blocks join
// the path, dependent fields sit beside the field they depend on, and data-only groups add nothing.
void Flatten(TXmlNode* node, const std::string& key, const std::string& path, std::map<std::string, std::string>& out)
{
    for (const auto& child : node->Nodes) {
        if (child->GetTag() == "ATTR") {
            out[key + "|" + path + child->GetName()] = child->GetValue();
            Flatten(child.get(), key, path, out);
        } else if (child->GetTag() == "PARAM") {
            TXmlNode* templ = child->GetTemplate();
            bool dataOnly = templ && templ->GetAttr("NotNextLine") == "Yes";
            Flatten(child.get(), key, dataOnly ? path : path + child->GetName() + "/", out);
        }
    }
}

std::map<std::string, std::string> SectionData(TXmlNode* section)
{
    std::map<std::string, std::string> out;
    if (section->GetName() == "Alternate Extension") {
        for (const auto& child : section->Nodes)
            if (child->GetTag() == "ATTR")
                out[child->GetAttr("ParseValue") + "|Extension"] = child->GetValue();
    } else if (kRecordSections.count(section->GetName())) {
        for (const auto& record : section->Nodes)
            if (record->GetTag() == "ATTR")
                Flatten(record.get(), record->GetValue(), "", out);
    } else {
        Flatten(section, "", "", out);
    }
    return out;
}

class SectionRoads : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (TSimProcess::Binary().empty())
            GTEST_SKIP() << "vmusim is not built";
        Desc.ShowErrors = false;
        ASSERT_TRUE(Desc.LoadFromFile(std::string(ORLANTIS_BIN_DIR) + "/Orlantis.dat", true)) << Desc.LastError;
        Tree = Desc.FindNode(nullptr, "VMU Parameters 409");
        ASSERT_NE(Tree, nullptr);
        SavePath = TempPath("roads.state");
    }

    std::vector<std::string> SimArgs() const
    {
        return {"--state", std::string(ORLANTIS_SOURCE_DIR) + "/data/vmusim/default.state", "--save-state",
            SavePath};
    }

    // Loads a section (or the whole tree) from the simulator into Data.
    void Load(TSimProcess& sim, TDataManager& dm, const std::string& name)
    {
        std::unique_ptr<TStepParameters> steps = dm.GetLoadSteps(Tree, name == Tree->GetName() ? "" : name);
        ASSERT_GT(steps->Count(), 0) << name;
        std::string saved, why;
        ASSERT_TRUE(RunSteps(sim, *steps, saved, why)) << name << ": " << why;
        ASSERT_TRUE(dm.LoadData(Tree, saved, name)) << name;
    }

    void Save(TSimProcess& sim, TDataManager& dm, const std::string& name)
    {
        std::unique_ptr<TStepParameters> steps = dm.GetSaveSteps(Tree, name, false);
        ASSERT_TRUE(steps) << name;
        ASSERT_GT(steps->Count(), 0) << name;
        std::string saved, why;
        ASSERT_TRUE(RunSteps(sim, *steps, saved, why)) << name << ": " << why << "\n" << steps->StepInfoText();
        dm.CommitSavedChanges(name);
    }

    // Every value of the section's data equals the simulator's, and every value the simulator shows was loaded.
    void ExpectSameAsState(const std::string& name, const TState& state)
    {
        TXmlNode* section = Data.FindNode(nullptr, name);
        ASSERT_NE(section, nullptr) << name;
        std::map<std::string, std::string> data = SectionData(section);
        auto st = state.find(name);
        ASSERT_NE(st, state.end()) << name;
        std::map<std::string, std::string> device;
        for (const auto& [key, fields] : st->second)
            for (const auto& [field, value] : fields)
                device[key + "|" + field] = value;
        for (const auto& [path, value] : data) {
            auto it = device.find(path);
            EXPECT_EQ(value, it == device.end() ? "" : it->second) << name << ": " << path;
        }
        for (const auto& [path, value] : device) {
            if (value.empty() || data.count(path))
                continue;
            std::string key = path.substr(0, path.find('|'));
            bool unlisted = name == "Custom Service" && device[key + "|Custom Service Name"].empty();
            bool beyondPorts = path.find("VPS Port") != std::string::npos && std::stoi(path.substr(path.rfind('t') + 1)) > 4;
            EXPECT_TRUE(unlisted || beyondPorts) << name << ": the device's " << path << " = " << value
                                                 << " was not loaded";
        }
    }

    // Marks a data node changed as a form does: the node, and each node above it up to the section.
    static void MarkChanged(TXmlNode* node, const std::string& mark = "Modify")
    {
        node->SetAttr("Change", mark);
        for (TXmlNode* p = node->Parent; p; p = p->Parent)
            if (p->GetAttr("Change") == "NoChange")
                p->SetAttr("Change", "Modify");
    }

    TXmlNode* DataNode(const std::string& section, const std::string& path)
    {
        TXmlNode* n = Data.FindNode(nullptr, section);
        std::istringstream in(path);
        std::string name;
        while (n && std::getline(in, name, '/'))
            n = n->Nodes.FindByName(name);
        return n;
    }

    TXmlNode* DescNode(const std::string& section, const std::string& path)
    {
        TXmlNode* n = Desc.FindNode(Tree, section);
        std::istringstream in(path);
        std::string name;
        while (n && std::getline(in, name, '/'))
            n = n->Nodes.FindByName(name);
        return n;
    }

    // A record or field made from its description node, as a form makes a new row.
    TXmlNode* AddFromTemplate(TDataManager& dm, TXmlNode* parent, TXmlNode* templ, const std::string& name,
        const std::string& value, const std::string& mark)
    {
        TXmlNode* n = dm.AddNodeFromTemplate(parent, templ, false);
        n->SetAttr("Name", name);
        n->SetAttr("Value", value);
        if (templ->GetAttr("ParseValue") == "%T%")
            n->SetAttr("ParseValue", name.substr(name.rfind(' ') + 1));
        MarkChanged(n, mark);
        return n;
    }

    TXmlDoc Desc;
    TXmlDoc Data{&Desc};
    TXmlNode* Tree = nullptr;
    std::string SavePath;
};

TEST_F(SectionRoads, EverySectionHasItsScriptsAndParseRules)
{
    for (const std::string& name : kSections) {
        TXmlNode* s = Desc.FindNode(Tree, name);
        ASSERT_NE(s, nullptr) << name;
        EXPECT_NE(s->GetAttr("StartStr"), "") << name;
        EXPECT_NE(s->GetAttr("StopStr"), "") << name;
        EXPECT_EQ(s->GetAttr("NotCreateForm"), "") << name;
        bool load = false, begin = false, end = false, parsed = false, saves = false;
        for (const auto& c : s->Nodes) {
            load = load || c->GetTag() == "LOADPARAM";
            begin = begin || (c->GetTag() == "SAVEPARAM" && c->GetName() == "Begin");
            end = end || (c->GetTag() == "SAVEPARAM" && c->GetName() == "End");
        }
        TXmlWalk walk;
        for (TXmlNode* n = walk.First(s, Desc.Root()); n; n = walk.Next(n)) {
            parsed = parsed || (n->GetTag() == "ATTR" && !n->GetAttr("StartStr").empty());
            saves = saves || (n->GetTag() == "CONDITION" && n->GetAttr("RightOp") == "Modify");
        }
        EXPECT_TRUE(load && begin && end && parsed && saves) << name;
        TDataManager dm(&Data, &Desc);
        std::unique_ptr<TStepParameters> steps = dm.GetLoadSteps(Tree, name);
        ASSERT_GE(steps->Count(), 2) << name;
        EXPECT_TRUE(steps->GetItem(0)->SaveAnswer) << name;
        EXPECT_EQ(steps->GetItem(steps->Count() - 1)->StopAnswer, kTop) << name;
    }
}

TEST_F(SectionRoads, EachSectionLoadsAsTheSimulatorHoldsIt)
{
    TSimProcess sim(SimArgs());
    ASSERT_TRUE(sim.Started());
    sim.Login();
    TDataManager dm(&Data, &Desc);
    for (const std::string& name : kSections)
        Load(sim, dm, name);
    sim.Stop();  // writes the state
    TState state = ParseState(ReadFile(SavePath));
    for (const std::string& name : kSections)
        ExpectSameAsState(name, state);
    // A few values checked by name, so that an empty load cannot pass.
    EXPECT_EQ(DataNode("Custom Service", "Custom No. 1/Keypad Assignment/Keypad 2/Assignment")->GetValue(),
        "Transfer to Mailbox");
    EXPECT_EQ(DataNode("Custom Service", "Custom No. 1/Keypad Assignment/Keypad 2/Assignment/Assignment Parameter")
                  ->GetValue(), "110");
    EXPECT_EQ(DataNode("Custom Service", "Custom No. 3"), nullptr);
    EXPECT_EQ(DataNode("Operator's Parameters", "Break Mode/Operator 1/Operator's Extension")->GetValue(), "200");
    EXPECT_EQ(DataNode("Holiday Listing", "HOLIDAY No. 3/End Date")->GetValue(), "26/12");
    EXPECT_EQ(DataNode("Mailbox Group", "Mailbox Group No. 500/Mailbox No. 4")->GetValue(), "104");
    EXPECT_EQ(DataNode("Mailbox Group", "Mailbox Group No. 500/Mailbox No. 5"), nullptr);
    EXPECT_EQ(DataNode("Time Service", "Time Service Parameters/Break Service/Day Fri./Break 2 End Time")->GetValue(),
        "3:15,PM");
    EXPECT_EQ(DataNode("PBX Dialing Parameters", "Integration Mode/Extension Number of VPS Port4")->GetValue(), "168");
    EXPECT_EQ(DataNode("Alternate Extension", "Extension No. 3")->GetValue(), "223");
    EXPECT_EQ(DataNode("Caller ID Call Routing", "No 2/Caller ID")->GetValue(), "p");
    EXPECT_EQ(DataNode("Port Setting", "Port No. 4/Line Interface")->GetValue(), "Analog");
}

struct TEdit {
    std::string Section, Path, Value, Key, Field;
};

TEST_F(SectionRoads, OneChangeInEachSectionIsSavedToTheDevice)
{
    const std::vector<TEdit> edits = {
        {"Mailbox Group", "Mailbox Group No. 500/Group Name", "SALES TEAM", "500", "Group Name"},
        {"Extension Group", "Extension Group No. 300/Extension No. 2", "209", "300", "Extension No. 2"},
        {"Alternate Extension", "Extension No. 2", "229", "2", "Extension"},
        {"Operator's Parameters", "Night Mode/Operator 2/Operator's Extension", "205", "",
            "Night Mode/Operator 2/Operator's Extension"},
        {"Department Dialing", "Department 5", "250", "", "Department 5"},
        {"Custom Service", "Custom No. 1/Keypad Assignment/Keypad 3/Assignment", "Repeat Menu", "1",
            "Keypad Assignment/Keypad 3/Assignment"},
        {"Caller ID Call Routing", "No 3/Caller ID", "5559876", "3", "Caller ID"},
        {"Prompt Setting", "Prompt Selection Time", "5", "", "Prompt Selection Time"},
        {"System Caller Name Announcement", "No 2/Caller Number", "5550000", "2", "Caller Number"},
        {"Message Waiting Notification", "Lamp On Code", "*2X", "", "Lamp On Code"},
        {"External Message Delivery", "Delivery Retry Interval", "30", "", "Delivery Retry Interval"},
        {"Fax Management", "Fax Extension 2", "251", "", "Fax Extension 2"},
        {"Fax Management", "Fax Extension 1", "", "", "Fax Extension 1"},  // sent as "-", loaded back empty
        {"Rotary Telephone Service", "Rotary Service", "Yes", "", "Rotary Service"},
        {"Intercom Paging Parameters", "Paging Code for Group 3", "699", "", "Paging Code for Group 3"},
        {"Time Service", "Time Service Parameters/Day Service/Day Sat./Day Service Start Time", "9:00,AM", "",
            "Day Service/Day Sat./Day Service Start Time"},
        {"Holiday Listing", "HOLIDAY No. 2/Holiday Name", "JULY 4TH", "2", "Holiday Name"},
        {"Daylight Saving Time", "Daylight Saving Start Date", "30/3", "", "Daylight Saving Start Date"},
        {"Extension Numbering Plan", "Numbering Plan 3", "4XXX", "", "Numbering Plan 3"},
        {"Disconnect Parameter", "Silence Detection Time", "20", "", "Silence Detection Time"},
        {"Inter-Digit Timeout", "Inter-Digit Time", "5", "", "Inter-Digit Time"},
        {"Port Setting", "Port No. 2/Ring Count", "4", "2", "Ring Count"},
        {"Input/Output", "Table No. 1/Input Code/Output Code", "9P", "1", "Output Code"},
        {"PBX Dialing Parameters", "Dial String D6", "T9X", "", "Dial String D6"},
        {"PBX Dialing Parameters", "PBX Type", "TD308", "", "PBX Type"},  // sent as its number in the list
        {"Inband Signaling", "Busy", "22", "", "Busy"},
    };
    TSimProcess sim(SimArgs());
    ASSERT_TRUE(sim.Started());
    sim.Login();
    TDataManager dm(&Data, &Desc);
    for (const TEdit& e : edits) {
        Load(sim, dm, e.Section);
        TXmlNode* node = DataNode(e.Section, e.Path);
        ASSERT_NE(node, nullptr) << e.Section << ": " << e.Path;
        node->SetAttr("Value", e.Value);
        MarkChanged(node);
        Save(sim, dm, e.Section);
        EXPECT_EQ(DataNode(e.Section, e.Path)->GetAttr("Change"), "NoChange");
        EXPECT_EQ(ParseState(ReadFile(SavePath))[e.Section][e.Key][e.Field], e.Value) << e.Section;
    }
    // A new PBX type brings the tone codes of the inband signalling; the ports it presets (from 295) are sent the
    // document's values after it.
    TState state = ParseState(ReadFile(SavePath));
    EXPECT_EQ(state["PBX Dialing Parameters"][""]["Integration Mode"], "DPT");
    EXPECT_EQ(state["PBX Dialing Parameters"][""]["Extension Number of VPS Port1"], "165");
    EXPECT_EQ(state["Inband Signaling"][""]["Disconnect"], "#9");
    // Nothing else changed: a fresh load of everything equals the saved state.
    sim.Stop();
    state = ParseState(ReadFile(SavePath));
    TSimProcess again({"--state", SavePath});
    ASSERT_TRUE(again.Started());
    again.Login();
    Data.Clear();
    for (const std::string& name : kSections)
        Load(again, dm, name);
    for (const std::string& name : kSections)
        ExpectSameAsState(name, state);
}

TEST_F(SectionRoads, RecordsAreAddedAndDeleted)
{
    TSimProcess sim(SimArgs());
    ASSERT_TRUE(sim.Started());
    sim.Login();
    TDataManager dm(&Data, &Desc);

    // Groups: a new one with a name and a member, an old one deleted.
    for (const char* section : {"Mailbox Group", "Extension Group"}) {
        std::string word = section == std::string("Mailbox Group") ? "Mailbox" : "Extension";
        std::string key = word == "Mailbox" ? "502" : "302";
        std::string member = word == "Mailbox" ? "120" : "240";
        Load(sim, dm, section);
        TXmlNode* sec = Data.FindNode(nullptr, section);
        std::string recName = std::string(section) + " No. %T%";
        TXmlNode* rec = AddFromTemplate(dm, sec, DescNode(section, recName), std::string(section) + " No. " + key, key,
            "Insert");
        AddFromTemplate(dm, rec, DescNode(section, recName + "/Group Name"), "Group Name", "NIGHT", "Modify");
        AddFromTemplate(dm, rec, DescNode(section, recName + "/" + word + " No. %T%"), word + " No. 1", member,
            "Modify");
        MarkChanged(DataNode(section, std::string(section) + (word == "Mailbox" ? " No. 501" : " No. 301")), "Delete");
        Save(sim, dm, section);
        TState state = ParseState(ReadFile(SavePath));
        EXPECT_EQ(state[section][key]["Group Name"], "NIGHT") << section;
        EXPECT_EQ(state[section][key][word + " No. 1"], member) << section;
        EXPECT_EQ(state[section].count(word == "Mailbox" ? "501" : "301"), 0u) << section;
        EXPECT_EQ(DataNode(section, std::string(section) + (word == "Mailbox" ? " No. 501" : " No. 301")), nullptr);
    }

    // Holidays: number 5 added, number 1 deleted.
    Load(sim, dm, "Holiday Listing");
    TXmlNode* holidays = Data.FindNode(nullptr, "Holiday Listing");
    TXmlNode* h5 = AddFromTemplate(dm, holidays, DescNode("Holiday Listing", "HOLIDAY No. %V%"), "HOLIDAY No. 5", "5",
        "Insert");
    AddFromTemplate(dm, h5, DescNode("Holiday Listing", "HOLIDAY No. %V%/Holiday Name"), "Holiday Name",
        "FOUNDERS DAY", "Modify");
    AddFromTemplate(dm, h5, DescNode("Holiday Listing", "HOLIDAY No. %V%/Start Date"), "Start Date", "1/6", "Modify");
    MarkChanged(DataNode("Holiday Listing", "HOLIDAY No. 1"), "Delete");
    Save(sim, dm, "Holiday Listing");
    TState state = ParseState(ReadFile(SavePath));
    EXPECT_EQ(state["Holiday Listing"]["5"]["Holiday Name"], "FOUNDERS DAY");
    EXPECT_EQ(state["Holiday Listing"]["5"]["Start Date"], "1/6");
    EXPECT_EQ(state["Holiday Listing"].count("1"), 0u);

    // Alternate extensions: the first deleted, one added at the end; the list closes up.
    Load(sim, dm, "Alternate Extension");
    TXmlNode* alt = Data.FindNode(nullptr, "Alternate Extension");
    MarkChanged(DataNode("Alternate Extension", "Extension No. 1"), "Delete");
    AddFromTemplate(dm, alt, DescNode("Alternate Extension", "Extension No. %T%"), "Extension No. 4", "224", "Insert");
    Save(sim, dm, "Alternate Extension");
    state = ParseState(ReadFile(SavePath));
    EXPECT_EQ(state["Alternate Extension"]["1"]["Extension"], "222");
    EXPECT_EQ(state["Alternate Extension"]["2"]["Extension"], "223");
    EXPECT_EQ(state["Alternate Extension"]["3"]["Extension"], "224");
    EXPECT_EQ(state["Alternate Extension"].count("4"), 0u);
}

TEST_F(SectionRoads, TheWholeTreeLoadsInOneRun)
{
    TSimProcess sim(SimArgs());
    ASSERT_TRUE(sim.Started());
    sim.Login();
    TDataManager dm(&Data, &Desc);
    Load(sim, dm, "VMU Parameters 409");
    sim.Stop();
    TState state = ParseState(ReadFile(SavePath));
    for (const std::string& name : kSections)
        ExpectSameAsState(name, state);
    // The sections of the first batch are there too.
    for (const char* name : {"Mailbox Listing", "Class of Service", "Port Service", "Trunk Service",
             "System Date/Time", "Dialing Parameters", "Call Hold", "RS-232C Parameters"})
        EXPECT_NE(Data.FindNode(nullptr, name), nullptr) << name;
    EXPECT_EQ(DataNode("Inband Signaling", "Disconnect")->GetValue(), "#9");
}

}  // namespace
