// What a fresh device holds in the list sections of the tables (a few groups, holidays, menus and routings of a
// small office), and the checks across fields that a single rule cannot make.
#include "TreeSection.h"

#include <cstdlib>

namespace {

void Set(TRecord& r, std::initializer_list<std::pair<const char*, const char*>> fields)
{
    for (const auto& [name, value] : fields)
        r.Set(name, value);
}

// Group members come in order without gaps and stand once in their group; an extension stands in one group of
// the section only. Emptying a member moves the later ones up, as a deleted mailbox does.
std::string MemberName(const std::string& word, int i) { return word + " No. " + std::to_string(i); }

bool MemberAllowed(TConsole& c, const TRecord& r, const std::string& path, const std::string& value,
                   const std::string& word, const std::string& section)
{
    const std::string prefix = word + " No. ";
    if (path.rfind(prefix, 0) != 0 || value.empty())
        return true;
    const int k = std::atoi(path.c_str() + prefix.size());
    if (k > 1 && r.Get(MemberName(word, k - 1)).empty())
        return false;
    for (const TRecord& other : c.State.Section(section).Records) {
        if (other.Key != r.Key && word == "Mailbox")
            continue;
        for (int i = 1; i <= 20; ++i)
            if ((other.Key != r.Key || i != k) && other.Get(MemberName(word, i)) == value)
                return false;
    }
    return true;
}

void CloseMemberGap(TRecord& r, const std::string& path, const std::string& value, const std::string& word)
{
    if (!value.empty() || path.rfind(word + " No. ", 0) != 0)
        return;
    std::vector<std::string> members;
    for (int i = 1; i <= 20; ++i)
        if (std::string m = r.Get(MemberName(word, i)); !m.empty())
            members.push_back(m);
    for (int i = 1; i <= 20; ++i)
        r.Set(MemberName(word, i), i <= static_cast<int>(members.size()) ? members[size_t(i - 1)] : "");
}

TTreeHooks GroupHooks(const std::string& word, std::function<void(TStateSection&)> sample)
{
    const std::string section = word + " Group";
    return {[word, section](TConsole& c, TRecord& r, const std::string& path, const std::string& value) {
                return MemberAllowed(c, r, path, value, word, section);
            },
            [word](TConsole&, TRecord& r, const std::string& path, const std::string& value) {
                CloseMemberGap(r, path, value, word);
            },
            std::move(sample), {}};
}

const TTreeHooksRegistrar mailboxGroups{"Mailbox Group", GroupHooks("Mailbox", [](TStateSection& s) {
         Set(s.AddRecord("500"), {{"Group Name", "SALES"}, {"Mailbox No. 1", "101"}, {"Mailbox No. 2", "102"},
                                     {"Mailbox No. 3", "103"}, {"Mailbox No. 4", "104"}});
         Set(s.AddRecord("501"), {{"Group Name", "SUPPORT"}, {"Mailbox No. 1", "110"}, {"Mailbox No. 2", "111"}});
     })};

const TTreeHooksRegistrar extensionGroups{"Extension Group", GroupHooks("Extension", [](TStateSection& s) {
         Set(s.AddRecord("300"), {{"Group Name", "FRONT DESK"}, {"Extension No. 1", "201"}, {"Extension No. 2", "202"}});
         Set(s.AddRecord("301"), {{"Group Name", "WAREHOUSE"}, {"Extension No. 1", "230"}, {"Extension No. 2", "231"},
                                     {"Extension No. 3", "232"}});
     })};

const TTreeHooksRegistrar holidays{"Holiday Listing",
    {{}, {}, [](TStateSection& s) {
         Set(s.AddRecord("1"), {{"Holiday Name", "NEW YEAR"}, {"Start Date", "1/1"}});
         Set(s.AddRecord("2"), {{"Holiday Name", "INDEPENDENCE DAY"}, {"Start Date", "4/7"}, {"Service", "V.M."}});
         Set(s.AddRecord("3"), {{"Holiday Name", "CHRISTMAS"}, {"Start Date", "25/12"}, {"End Date", "26/12"},
                                   {"Greeting", "2"}});
     }, {}}};

const TTreeHooksRegistrar callerRouting{"Caller ID Call Routing",
    {{}, {}, [](TStateSection& s) {
         Set(s.AddRecord("1"), {{"Caller ID", "5551234"}, {"Caller Name", "MAIN SUPPLIER"}, {"Routing", "Mbx"},
                                   {"Routing Parameter", "105"}});
         Set(s.AddRecord("2"), {{"Caller ID", "p"}, {"Routing", "Custom"}, {"Routing Parameter", "2"}});
     }, {}}};

const TTreeHooksRegistrar callerNames{"System Caller Name Announcement",
    {{}, {}, [](TStateSection& s) {
         Set(s.AddRecord("1"), {{"Caller Number", "5551234"}, {"Name Prompt No.", "1"}});
     }, {}}};

const TTreeHooksRegistrar translation{"Input/Output",
    {{}, {}, [](TStateSection& s) { Set(s.AddRecord("1"), {{"Input Code", "9"}, {"Output Code", "9W"}}); }, {}}};

const TTreeHooksRegistrar customService{"Custom Service",
    {{}, {}, [](TStateSection& s) {
         Set(s.AddRecord("1"), {{"Custom Service Name", "MAIN MENU"},
                                   {"Menu Description", "Welcome menu: 1 sales, 2 service, 9 directory, 0 operator"},
                                   {"Keypad Assignment/Keypad 1/Assignment", "Transfer to Extension"},
                                   {"Keypad Assignment/Keypad 1/Assignment Parameter", "210"},
                                   {"Keypad Assignment/Keypad 2/Assignment", "Transfer to Mailbox"},
                                   {"Keypad Assignment/Keypad 2/Assignment Parameter", "110"},
                                   {"Keypad Assignment/Keypad 8/Assignment", "Custom Service"},
                                   {"Keypad Assignment/Keypad 8/Assignment Parameter", "2"},
                                   {"Keypad Assignment/Keypad 9/Assignment", "Dial by Name"}});
         Set(s.AddRecord("2"), {{"Custom Service Name", "AFTER HOURS"}, {"Menu Prompt No.", "2"},
                                   {"No DTMF Input Operation", "a"}, {"No DTMF Parameter", "101"},
                                   {"Keypad Assignment/Keypad 1/Assignment", "Voice Mail Service"},
                                   {"Keypad Assignment/Keypad 2/Assignment", "Custom Service"},
                                   {"Keypad Assignment/Keypad 2/Assignment Parameter", "1"}});
     }, {}}};

// The three prompt numbers differ from each other.
const TTreeHooksRegistrar prompts{"Prompt Setting",
    {[](TConsole&, TRecord& r, const std::string& path, const std::string& value) {
         if (path.rfind("Prompt No. ", 0) != 0)
             return true;
         for (const char* other : {"Prompt No. 1", "Prompt No. 2", "Prompt No. 3"})
             if (path != other && r.Get(other) == value)
                 return false;
         return true;
     }, {}, {}, {}}};

// The two fax extensions differ.
const TTreeHooksRegistrar fax{"Fax Management",
    {[](TConsole&, TRecord& r, const std::string& path, const std::string& value) {
         if (value.empty())
             return true;
         if (path == "Fax Extension 1")
             return r.Get("Fax Extension 2") != value;
         if (path == "Fax Extension 2")
             return r.Get("Fax Extension 1") != value;
         return true;
     }, {}, {}, {}}};

}  // namespace
