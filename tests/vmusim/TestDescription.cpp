// The description document as built, checked on its own and against the simulator: every section the program's
// registry knows is there, the names the program looks up are unique, every step can end, every source node has
// an ID, and the scripts really drive the console that docs/device.md describes.
#include "SimProcess.h"

#include "xml/XmlDoc.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <algorithm>
#include <functional>
#include <map>
#include <set>

namespace {

const std::vector<std::string> kRegistry = {
    "Mailbox Listing", "Class of Service", "Port Service", "Trunk Service", "Department Dialing",
    "Operator's Parameters", "Alternate Extension", "Custom Service", "Caller ID Call Routing", "Mailbox Group",
    "Extension Group", "Time Service", "Holiday Listing", "Daylight Saving Time", "Prompt Setting",
    "System Caller Name Announcement", "System Date/Time", "Extension Numbering Plan", "Dialing Parameters",
    "Message Waiting Notification", "External Message Delivery", "Call Hold", "Rotary Telephone Service",
    "Intercom Paging Parameters", "Fax Management", "Disconnect Parameter", "RS-232C Parameters", "Port Setting",
    "PBX Dialing Parameters", "Inband Signaling", "Inter-Digit Timeout", "Input/Output"};

const std::vector<std::string> kReports = {
    "Mailbox Assignments", "COS Assignments", "System Service Report", "Call Account Report", "Port Usage Report",
    "Flash Memory Usage Report", "Mailbox Usage Report", "Fax Call Report", "VMU Version Report",
    "Custom Service Report"};

void Walk(TXmlNode* node, const std::function<void(TXmlNode*)>& visit)
{
    visit(node);
    for (const auto& child : node->Nodes)
        Walk(child.get(), visit);
}

bool Has(const TXmlNode* node, const char* attr)
{
    return node->Attrs.Find(attr) != nullptr;
}

bool IsTrue(const TXmlNode* node, const char* attr)
{
    std::string v = node->GetAttr(attr);
    return v == "Yes" || v == "YES" || v == "True" || v == "TRUE";
}

// The keys a script sends, with the macros a test can stand for.
std::string Expand(std::string text, const std::map<std::string, std::string>& attrs = {})
{
    std::string out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t open = text.find('%', pos);
        if (open == std::string::npos) {
            out += text.substr(pos);
            break;
        }
        out += text.substr(pos, open - pos);
        size_t close = text.find('%', open + 1);
        if (close == std::string::npos)
            break;
        std::string macro = text.substr(open + 1, close - open - 1);
        if (macro.rfind("CRLF", 0) == 0)
            out += "\r\n";
        else if (macro.rfind("CR", 0) == 0)
            out += "\r";
        else if (macro.rfind("ATTR:", 0) == 0 && attrs.count(macro.substr(5)))
            out += attrs.at(macro.substr(5));
        pos = close + 1;
    }
    return out;
}

class Description : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string path = std::string(ORLANTIS_BIN_DIR) + "/Orlantis.dat";
        if (!std::filesystem::exists(path))
            GTEST_SKIP() << "no " << path << " (datc not built)";
        Doc.ShowErrors = false;
        ASSERT_TRUE(Doc.LoadFromFile(path, true)) << Doc.LastError;
        Tree = Doc.FindNode(Doc.Root(), "VMU Parameters 409");
        ASSERT_NE(Tree, nullptr);
    }
    TXmlNode* Find(const std::string& name, TXmlNode* start = nullptr) { return Doc.FindNode(start ? start : Doc.Root(), name); }
    void CheckTree();
    TXmlDoc Doc;
    TXmlNode* Tree = nullptr;
};

TEST_F(Description, HoldsEverySectionOfTheRegistryOnceAndNoOther)
{
    for (const char* name : {"VMU Parameters 409", "VMU Parameters 131"}) {
        SCOPED_TRACE(name);
        Tree = Find(name);
        ASSERT_NE(Tree, nullptr);
        CheckTree();
    }
}

// The older firmware's tree is derived from the 4.09 tree (data/description/32-*.xml): every node of the 4.09 tree
// is there under the same parent, in the same order, with its ID plus the derivation's offset and the same
// attributes, except what the derivation states: the nodes it removes, the attributes it sets or removes and the
// nodes it adds (which carry IDs of their own). The program patches this tree in memory for the firmware it meets.
TEST_F(Description, TheOlderFirmwareTreeIsTheNewOnePlusItsStatedDifferences)
{
    TXmlDoc source;
    source.ShowErrors = false;
    TXmlNode* derive = nullptr;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(ORLANTIS_SOURCE_DIR) + "/data/description")) {
        if (entry.path().extension() != ".xml")
            continue;
        ASSERT_TRUE(source.LoadFromFile(entry.path().string(), false)) << source.LastError;
        derive = source.FindNode(source.Root(), "VMU Parameters 131", "DERIVE");
        if (derive)
            break;
    }
    ASSERT_NE(derive, nullptr) << "no <DERIVE Name=\"VMU Parameters 131\"> in the sources";
    ASSERT_EQ(derive->GetAttr("From"), "VMU Parameters 409");
    const int32_t offset = std::atoi(derive->GetAttr("IDOffset").c_str());
    ASSERT_GT(offset, 0);
    TXmlNode* old = Find("VMU Parameters 131");
    ASSERT_NE(old, nullptr);

    // What the differences reach in the 4.09 tree, by the paths of names their <AT>s give.
    std::set<const TXmlNode*> changed = {Tree}, removed;
    std::set<int32_t> added;
    std::function<void(TXmlNode*, TXmlNode*)> follow = [&](TXmlNode* directive, TXmlNode* at) {
        for (const auto& d : directive->Nodes) {
            auto child = [&] {
                for (const auto& c : at->Nodes)
                    if (c->GetName() == d->GetName() && (d->GetAttr("Tag").empty() || c->GetTag() == d->GetAttr("Tag")))
                        return c.get();
                return static_cast<TXmlNode*>(nullptr);
            };
            if (d->GetTag() == "AT" && child()) {
                follow(d.get(), child());
            } else if (d->GetTag() == "REMOVE" && child()) {
                removed.insert(child());
            } else if (d->GetTag() == "SET" || d->GetTag() == "UNSET") {
                changed.insert(at);
            } else if (d->GetTag() == "ADD") {
                Walk(d.get(), [&](TXmlNode* n) { added.insert(n == d.get() ? 0 : n->GetID()); });
            }
        }
    };
    follow(derive, Tree);

    std::map<int32_t, const TXmlNode*> byID;
    Walk(Tree, [&](TXmlNode* n) { byID[n->GetID()] = n; });
    auto attrs = [](const TXmlNode* n) {
        std::map<std::string, std::string> m;
        for (const auto& a : n->Attrs)
            if (a->GetName() != "ID")
                m[a->GetName()] = a->GetValue();
        return m;
    };
    std::set<const TXmlNode*> copied;
    Walk(old, [&](TXmlNode* n) {
        const int32_t id = n->GetID();
        if (added.count(id))
            return;
        auto it = byID.find(id - offset);
        ASSERT_NE(it, byID.end()) << "node " << id << " \"" << n->GetName() << "\" is neither a copy nor added";
        const TXmlNode* from = it->second;
        copied.insert(from);
        EXPECT_EQ(n->GetTag(), from->GetTag()) << id;
        if (n != old) {
            EXPECT_EQ(n->Parent->GetID() - offset, from->Parent->GetID()) << id << " \"" << n->GetName() << "\"";
        }
        if (!changed.count(from)) {
            EXPECT_EQ(attrs(n), attrs(from)) << id << " \"" << n->GetName() << "\"";
        }
        int32_t last = -1;
        for (const auto& c : n->Nodes) {
            if (added.count(c->GetID()))
                continue;
            const TXmlNode* cf = byID.count(c->GetID() - offset) ? byID[c->GetID() - offset] : nullptr;
            if (cf && cf->Parent == from) {
                EXPECT_GT(cf->Index(), last) << "children of \"" << n->GetName() << "\" out of order";
                last = cf->Index();
            }
        }
    });
    Walk(Tree, [&](TXmlNode* n) {
        bool gone = false;
        for (const TXmlNode* up = n; up && !gone; up = up->Parent)
            gone = removed.count(up) > 0;
        EXPECT_TRUE(gone || copied.count(n)) << "\"" << n->GetName() << "\" " << n->GetID() << " is missing";
    });
}

void Description::CheckTree()
{
    std::map<std::string, int> count;
    std::set<std::string> leaves;
    Walk(Tree, [&](TXmlNode* n) {
        if (n->GetTag() != "PARAM" && n->GetTag() != "ATTR")
            return;
        ++count[n->GetName()];
        if (!IsTrue(n, "TreeVisible"))
            return;
        bool group = false;
        for (const auto& c : n->Nodes)
            group = group || IsTrue(c.get(), "TreeVisible");
        if (!group)
            leaves.insert(n->GetName());
    });
    for (const auto& name : kRegistry)
        EXPECT_EQ(count[name], 1) << name;
    for (const auto& name : leaves) {
        EXPECT_NE(std::find(kRegistry.begin(), kRegistry.end(), name), kRegistry.end())
            << name << " opens no form of the program";
    }
    for (const char* group : {"Port/Trunk Service", "System Parameter Setting", "Service Setting",
                              "Auto. Attn. Setting", "Hardware Settings", "PBX Interface Parameters"})
        EXPECT_NE(Find(group, Tree), nullptr) << group;
    EXPECT_NE(Find("Port Service", Find("Port/Trunk Service", Tree)), nullptr);
    EXPECT_NE(Find("Operator's Parameters", Find("Auto. Attn. Setting", Find("Service Setting", Tree))), nullptr);
    EXPECT_NE(Find("PBX Dialing Parameters", Find("PBX Interface Parameters", Find("Hardware Settings", Tree))),
              nullptr);
}

TEST_F(Description, NamesTheProgramLooksUpAreUnique)
{
    std::map<std::string, int> count;
    Walk(Doc.Root(), [&](TXmlNode* n) { ++count[n->GetName()]; });
    std::vector<std::string> looked = {"Init VMU System Administrator Menu", "VMU Information", "System Information",
                                       "System Properties", "VMU Set Parameters", "Set ON LINE Mode",
                                       "Set OFF LINE Mode", "Set Administrator Password", "Log Off", "VMU Reports",
                                       "VMU Parameters 409", "Mailbox No. Length", "System Manager's Mailbox No.",
                                       "Message Manager's Mailbox No.", "Flash Version", "ROM Version",
                                       "Use AM/PM Date Format", "Amount User Mailboxes", "Amount VPS Ports",
                                       "Amount Trunk Groups"};
    looked.insert(looked.end(), kReports.begin(), kReports.end());
    for (const auto& name : looked)
        EXPECT_EQ(count[name], 1) << name;

    std::set<int> ids;
    for (const auto& name : kReports) {
        TXmlNode* report = Find(name, Find("VMU Reports"));
        ASSERT_NE(report, nullptr) << name;
        int id = std::atoi(report->GetAttr("ReportID").c_str());
        EXPECT_GE(id, 1) << name;
        EXPECT_TRUE(ids.insert(id).second) << name << " shares its ReportID";
    }
    EXPECT_TRUE(Has(Find("Custom Service Report"), "ReportParam"));
    EXPECT_TRUE(Has(Find("Set Administrator Password"), "ValueParam1"));
}

TEST_F(Description, EveryStepEndsOnAnAnswerOrATimeOut)
{
    int steps = 0;
    Walk(Doc.Root(), [&](TXmlNode* n) {
        if (n->GetTag() != "MENUSTEP")
            return;
        std::string send = n->GetAttr("Send");
        for (const char* signal : {"%NOPARENT%", "%STOP%"})
            for (size_t at; (at = send.find(signal)) != std::string::npos;)
                send.erase(at, std::string(signal).size());
        if (send.empty() || IsTrue(n, "BreakSteps"))
            return;
        ++steps;
        EXPECT_TRUE(!n->GetAttr("StopAnswer").empty() || std::atoi(n->GetAttr("WaitTimeoutMsec").c_str()) > 0)
            << "step " << n->GetAttr("ID") << " sending " << n->GetAttr("Send") << " never ends";
    });
    EXPECT_GT(steps, 100);
}

TEST_F(Description, TheLogInsPasswordAnswerIsNoEndOfTheNewPasswordScreens)
{
    auto endsWith = [](const std::string& s, const std::string& tail) {
        return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
    };
    int answers = 0;
    Walk(Find("Init VMU System Administrator Menu"), [&](TXmlNode* n) {
        if (n->GetTag() != "MENUSTEP" || n->GetAttr("PasswordAnswer").empty())
            return;
        ++answers;
        const std::string answer = Expand(n->GetAttr("PasswordAnswer"));
        EXPECT_TRUE(endsWith("\r\nVMU Voice Processing System\r\nPassword => ", answer)) << answer;
        // Answered with the administrator password, these screens would make it the device's new one.
        for (const char* screen : {"Old Password => \r\nNew Password => ", "\r\nConfirm Password => "})
            EXPECT_FALSE(endsWith(screen, answer)) << screen;
    });
    EXPECT_GT(answers, 0);
}

TEST_F(Description, EverySourceNodeCarriesAnID)
{
    for (const auto& entry : std::filesystem::directory_iterator(std::string(ORLANTIS_SOURCE_DIR) + "/data/description")) {
        if (entry.path().extension() != ".xml")
            continue;
        TXmlDoc source;
        source.ShowErrors = false;
        ASSERT_TRUE(source.LoadFromFile(entry.path().string(), false)) << source.LastError;
        // The elements of a derivation are no nodes (its copies' IDs follow from their sources'); what its
        // <ADD>s hold are.
        std::set<const TXmlNode*> noNodes;
        std::function<void(const TXmlNode*)> directive = [&](const TXmlNode* n) {
            noNodes.insert(n);
            if (n->GetTag() != "ADD")
                for (const auto& c : n->Nodes)
                    directive(c.get());
        };
        for (const auto& top : source.Root()->Nodes)
            if (top->GetTag() == "DERIVE")
                directive(top.get());
        Walk(source.Root(), [&](TXmlNode* n) {
            if ((n != source.Root() || entry.path().filename() == "00-root.xml") && !noNodes.count(n)) {
                EXPECT_TRUE(Has(n, "ID")) << entry.path().filename() << ": " << n->GetTag() << " " << n->GetName();
            }
        });
    }
}

// ---- against the simulator ----

class DescriptionOnDevice : public Description {
protected:
    void SetUp() override
    {
        Description::SetUp();
        if (IsSkipped())
            return;
        if (TSimProcess::Binary().empty())
            GTEST_SKIP() << "vmusim is not built";
        Saved = TempPath("description.state");
        Sim = std::make_unique<TSimProcess>(std::vector<std::string>{
            "--state", std::string(ORLANTIS_SOURCE_DIR) + "/data/vmusim/default.state", "--save-state", Saved});
        ASSERT_TRUE(Sim->Started());
    }
    // Runs the MENUSTEP children of a script node; returns what the steps marked "SaveAnswer" captured.
    std::string Run(TXmlNode* script, const std::map<std::string, std::string>& attrs = {})
    {
        std::string captured;
        for (const auto& child : script->Nodes) {
            TXmlNode* step = child.get();
            if (step->GetTag() != "MENUSTEP")
                continue;
            std::string stop = Expand(step->GetAttr("StopAnswer"), attrs);
            Sim->Send(Expand(step->GetAttr("Send"), attrs));
            std::string answer = Sim->ReadUntil(stop, 20000);
            EXPECT_TRUE(answer.size() >= stop.size() && answer.compare(answer.size() - stop.size(), stop.size(), stop) == 0)
                << "step " << step->GetAttr("ID") << " sending " << step->GetAttr("Send") << " did not end on \""
                << stop << "\"; got: " << answer.substr(answer.size() > 300 ? answer.size() - 300 : 0);
            std::string error = Has(step, "ErrorAnswer") ? step->GetAttr("ErrorAnswer") : "Incorrect Entry";
            if (!error.empty()) {
                EXPECT_EQ(answer.find(error), std::string::npos) << "step " << step->GetAttr("ID") << ": " << answer;
            }
            // A stop answer that also ends an earlier screen of the same step would end the wait too early.
            std::string more = Sim->ReadQuiet(100, 2000);
            EXPECT_EQ(more, "") << "step " << step->GetAttr("ID") << " sending " << step->GetAttr("Send")
                                << " ended before the device had finished";
            if (IsTrue(step, "SaveAnswer"))
                captured += answer;
        }
        return captured;
    }
    TXmlNode* Child(TXmlNode* node, const std::string& tag, const std::string& name = "")
    {
        for (const auto& c : node->Nodes)
            if (c->GetTag() == tag && (name.empty() || c->GetName() == name))
                return c.get();
        return nullptr;
    }
    std::string Saved;
    std::unique_ptr<TSimProcess> Sim;
};

TEST_F(DescriptionOnDevice, LogsInReadsTheSystemInformationAndRunsTheCommands)
{
    TXmlNode* init = Find("Init VMU System Administrator Menu");
    ASSERT_NE(init, nullptr);
    TXmlNode* wake = Child(Child(init, "SAVEPARAM", "Begin"), "MENUSTEP");
    Sim->Send(Expand(wake->GetAttr("Send")));
    ASSERT_NE(Sim->ReadUntil(Expand(wake->GetAttr("PasswordAnswer"))).find("Password => "), std::string::npos);
    Sim->Send("ADMIN\r\n");
    Sim->ReadUntil("Top Menu Selection => ");
    Run(Child(init, "LOADPARAM"));

    TXmlNode* info = Find("System Information", Find("VMU Information"));
    std::string screen = Run(Child(info, "LOADPARAM"));
    for (const auto& attr : info->Nodes) {
        if (attr->GetTag() == "ATTR") {
            EXPECT_NE(screen.find(attr->GetAttr("StartStr")), std::string::npos) << attr->GetName();
        }
    }

    TXmlNode* commands = Find("VMU Set Parameters");
    Run(Child(Find("Set OFF LINE Mode", commands), "SAVEPARAM", "Begin"));
    EXPECT_NE(ReadFile(Saved).find("Operating Mode = OFF LINE"), std::string::npos);
    Run(Child(Find("Set ON LINE Mode", commands), "SAVEPARAM", "Begin"));
    Run(Child(Find("Set Administrator Password", commands), "SAVEPARAM", "Begin"), {{"ValueParam1", "7788"}});
    EXPECT_NE(ReadFile(Saved).find("Administrator Password = 7788"), std::string::npos);
    // The log-off ends on the device's own confirmation (Run checks each step's stop answer); the device then
    // asks for the password again.
    Run(Child(Find("Log Off", commands), "SAVEPARAM", "Begin"));
    Sim->Send("\r");
    EXPECT_NE(Sim->ReadUntil("Password => ", 5000).find("Password => "), std::string::npos);
}

TEST_F(DescriptionOnDevice, ReportsAndSectionScriptsReachTheirScreens)
{
    Sim->Login();
    for (const auto& name : kReports) {
        std::string report = Run(Child(Find(name, Find("VMU Reports")), "LOADPARAM"), {{"ReportParam", "12"}});
        EXPECT_NE(report.find("\r\n$ "), std::string::npos) << name;
    }
    // Every described section: its own load script, and the captions its parse rules look for.
    Walk(Tree, [&](TXmlNode* n) {
        TXmlNode* load = Child(n, "LOADPARAM");
        if (n == Tree || !load || !load->HasChildren())
            return;
        std::string screen = Run(load);
        EXPECT_NE(screen.find(n->GetAttr("StartStr")), std::string::npos) << n->GetName();
        Walk(n, [&](TXmlNode* field) {
            std::string start = field->GetAttr("StartStr");
            if (field->GetTag() == "ATTR" && !start.empty() && start.find('%') == std::string::npos) {
                EXPECT_NE(screen.find(start), std::string::npos) << n->GetName() << ": " << start;
            }
        });
    });
    // The whole tree in one run.
    std::string all = Run(Child(Tree, "LOADPARAM"));
    for (const char* title : {"Program - Mailbox Setting - Mailbox Listing", "Program - Hardware Settings - RS-232C Parameters"})
        EXPECT_NE(all.find(title), std::string::npos) << title;
}

TEST_F(DescriptionOnDevice, PropertySectionSaveScriptsSetEveryValue)
{
    Sim->Login();
    int sent = 0;
    for (const char* name : {"Dialing Parameters", "Call Hold", "RS-232C Parameters"}) {
        TXmlNode* section = Find(name, Tree);
        ASSERT_NE(section, nullptr) << name;
        auto modify = [&](TXmlNode* node, const char* which, const std::map<std::string, std::string>& attrs) {
            TXmlNode* script = Child(node, "SAVEPARAM", which);
            for (const auto& c : script ? script->Nodes : section->Nodes) {
                if (!script || c->GetTag() != "CONDITION" || c->GetAttr("LeftOp").find("%ATTR:Change%") == std::string::npos)
                    continue;
                // The branch a changed section or a modified value takes.
                bool changed = c->GetAttr("Compare") == "!=" && c->GetAttr("RightOp") == "NoChange";
                if (changed || (c->GetAttr("Compare") == "=" && c->GetAttr("RightOp") == "Modify")) {
                    Run(c.get(), attrs);
                    ++sent;
                }
            }
        };
        modify(section, "Begin", {});
        for (const auto& field : section->Nodes)
            if (field->GetTag() == "ATTR")
                modify(field.get(), "Begin", {{"Value", field->GetValue()}});
        modify(section, "End", {});
    }
    EXPECT_GE(sent, 3 * 2 + 13);
    std::string state = ReadFile(Saved);
    EXPECT_NE(state.find("Transfer Dialing Sequence = F"), std::string::npos);
}

}  // namespace
