// The screens of the table-built sections: the section listing, record and block levels, the value edits with
// their rules, dependent fields, and the registration of every table section in the Program menus.
#include "TreeSection.h"

#include <algorithm>
#include <cstdlib>
#include <map>

namespace {

std::map<std::string, TTreeHooks>& Hooks()
{
    static std::map<std::string, TTreeHooks> hooks;
    return hooks;
}

const TTreeHooks* HooksOf(const std::string& section)
{
    auto it = Hooks().find(section);
    return it == Hooks().end() ? nullptr : &it->second;
}

bool AllDigits(const std::string& s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
}

std::vector<std::string> Split(const std::string& s, char sep)
{
    std::vector<std::string> out;
    size_t b = 0;
    for (;;) {
        size_t e = s.find(sep, b);
        out.push_back(s.substr(b, e == std::string::npos ? std::string::npos : e - b));
        if (e == std::string::npos)
            return out;
        b = e + 1;
    }
}

// A list of numbers 1..max: "1-4", "1,3", "2,4-6"; stored without blanks.
std::optional<std::string> NumberList(const std::string& typed, int max)
{
    std::string s;
    for (char ch : typed)
        if (ch != ' ')
            s += ch;
    if (s.empty())
        return std::nullopt;
    for (const std::string& part : Split(s, ',')) {
        std::vector<std::string> ends = Split(part, '-');
        if (ends.size() > 2)
            return std::nullopt;
        for (const std::string& e : ends)
            if (!AllDigits(e) || e.size() > 3 || std::atoi(e.c_str()) < 1 || std::atoi(e.c_str()) > max)
                return std::nullopt;
        if (ends.size() == 2 && std::atoi(ends[0].c_str()) > std::atoi(ends[1].c_str()))
            return std::nullopt;
    }
    return s;
}

// A numbering plan: 2 to 16 characters, the first X at position 1 to 3, no digit after it, not beginning with 0.
bool IsPlan(const std::string& p)
{
    if (p.size() < 2 || p.size() > 16 || p[0] == '0')
        return false;
    size_t x = p.find('X');
    if (x == std::string::npos || x > 2)
        return false;
    for (size_t i = 0; i < p.size(); ++i)
        if (i < x ? !(p[i] >= '0' && p[i] <= '9') : p[i] != 'X')
            return false;
    return true;
}

std::string Lower(std::string s)
{
    for (char& ch : s)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return s;
}

}  // namespace

TTreeHooksRegistrar::TTreeHooksRegistrar(const std::string& section, TTreeHooks hooks)
{
    Hooks()[section] = std::move(hooks);
}

bool IsMailbox(TConsole& c, const std::string& number)
{
    return c.State.Section("Mailbox Listing").FindRecord(number) != nullptr;
}

int PortCount(TConsole& c)
{
    const TStateSection* ports = c.State.FindSection("Port Service");
    return ports ? static_cast<int>(ports->Records.size()) : 0;
}

TRule MakeTreeRule(const std::string& rule, const std::string& section)
{
    std::vector<std::string> p = Split(rule, ':');
    const std::string& kind = p[0];
    auto arg = [&](size_t i) { return i < p.size() ? p[i] : std::string(); };
    auto num = [&](size_t i) { return std::atol(arg(i).c_str()); };
    if (kind == "int")
        return rules::IntRange(num(1), num(2));
    if (kind == "choice")
        return rules::Choice(Split(rule.substr(7), '|'));
    if (kind == "yesno")
        return rules::Choice({"Yes", "No"});
    if (kind == "chars")
        return rules::Chars(static_cast<size_t>(num(1)), arg(2), arg(3) == "U", false);
    if (kind == "text")
        return rules::Text(static_cast<size_t>(num(1)), false);
    if (kind == "time")
        return rules::Time(false, false);
    if (kind == "daytime")
        return rules::Either(rules::Choice({"Day", "Night"}), rules::Time(false, false));
    size_t lo = static_cast<size_t>(num(1)), hi = static_cast<size_t>(num(2));
    if (kind == "digits")
        return [lo, hi](TConsole&, const std::string& v) -> std::optional<std::string> {
            if (!AllDigits(v) || v.size() < lo || v.size() > hi)
                return std::nullopt;
            return v;
        };
    if (kind == "dm")
        return [](TConsole&, const std::string& v) -> std::optional<std::string> {
            std::vector<std::string> dm = Split(v, '/');
            if (dm.size() != 2 || !AllDigits(dm[0]) || !AllDigits(dm[1]) || dm[0].size() > 2 || dm[1].size() > 2)
                return std::nullopt;
            int d = std::atoi(dm[0].c_str()), m = std::atoi(dm[1].c_str());
            static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
            if (m < 1 || m > 12 || d < 1 || d > days[m - 1])
                return std::nullopt;
            return std::to_string(d) + "/" + std::to_string(m);
        };
    if (kind == "mailbox")
        return [](TConsole& c, const std::string& v) -> std::optional<std::string> {
            if (!IsMailbox(c, v))
                return std::nullopt;
            return v;
        };
    if (kind == "member")
        return [](TConsole& c, const std::string& v) -> std::optional<std::string> {
            if (v == c.SystemManager() || v == c.MessageManager() || !IsMailbox(c, v))
                return std::nullopt;
            return v;
        };
    if (kind == "mailboxlen")
        return [](TConsole& c, const std::string& v) -> std::optional<std::string> {
            if (!AllDigits(v) || static_cast<int>(v.size()) != c.MailboxNoLength())
                return std::nullopt;
            return v;
        };
    if (kind == "ports")
        return [](TConsole& c, const std::string& v) { return NumberList(v, std::max(PortCount(c), 1)); };
    if (kind == "trunks")
        return [](TConsole& c, const std::string& v) {
            const TStateSection* t = c.State.FindSection("Trunk Service");
            return NumberList(v, std::max(t ? static_cast<int>(t->Records.size()) : 0, 1));
        };
    if (kind == "plan")
        return [](TConsole&, const std::string& v) -> std::optional<std::string> {
            std::string u = UpperCase(v);
            if (!IsPlan(u))
                return std::nullopt;
            return u;
        };
    if (kind == "callerid")
        return [](TConsole&, const std::string& v) -> std::optional<std::string> {
            std::string l = Lower(v);
            if (l == "o" || l == "p")
                return l;
            if (!AllDigits(v) || v.size() > 16)
                return std::nullopt;
            return v;
        };
    if (kind == "routing")
        return [](TConsole& c, const std::string& v) -> std::optional<std::string> {
            if (UpperCase(v) == "NONE")
                return std::string();
            return rules::Choice({"Mbx", "Extn.", "Custom"})(c, v);
        };
    if (kind == "greeting")
        return [](TConsole& c, const std::string& v) -> std::optional<std::string> {
            std::string u = UpperCase(v);
            if (u == "SYSTEM" || u == "SYSTEM GREETING")
                return std::string("System Greeting");
            if (u == "NONE")
                return std::string("None");
            return rules::IntRange(1, 32)(c, v);
        };
    if (kind == "pbxtype")
        return PbxTypeRule;
    if (kind == "mbxgroup")
        return [section](TConsole& c, const std::string& v) -> std::optional<std::string> {
            if (!AllDigits(v) || static_cast<int>(v.size()) != c.MailboxNoLength() || IsMailbox(c, v) ||
                v == c.SystemManager() || c.State.Section(section).FindRecord(v))
                return std::nullopt;
            return v;
        };
    if (kind == "extgroup")
        return [section](TConsole& c, const std::string& v) -> std::optional<std::string> {
            if (!AllDigits(v) || v.size() < 2 || v.size() > 5 || c.State.Section(section).FindRecord(v))
                return std::nullopt;
            return v;
        };
    // "ro" and anything unknown: nothing is accepted.
    return [](TConsole&, const std::string&) -> std::optional<std::string> { return std::nullopt; };
}

namespace {

// One item of a level as the screen numbers it: fields with their dependent fields right after them, and blocks.
struct TLevelItem {
    const TTreeNode* Node;
    std::string Path;        // the field's name in the record, or the block's path
    std::string ParentPath;  // a dependent field: its parent field's path
    const TTreeNode* Parent = nullptr;
};

void Flatten(TConsole& c, const std::vector<TTreeNode>& nodes, const std::string& prefix, const TTreeNode* parent,
             const std::string& parentPath, std::vector<TLevelItem>& out)
{
    for (const TTreeNode& n : nodes) {
        if (n.Kind == TTreeNode::Block && n.MinFw > c.Firmware())
            continue;
        if (n.Port > 0 && n.Port > PortCount(c))
            continue;
        out.push_back({&n, prefix + n.Name, parentPath, parent});
        if (n.Kind == TTreeNode::Field)
            Flatten(c, n.Kids, prefix, &n, prefix + n.Name, out);
    }
}

std::string Numbered(size_t no, size_t count, const std::string& caption)
{
    std::string s = std::to_string(no) + ". " + caption;
    return (count > 9 && no < 10 ? " " : "") + s;
}

void PrintNodes(TConsole& c, const TRecord* r, const std::vector<TTreeNode>& nodes, const std::string& prefix,
                int indent)
{
    std::vector<TLevelItem> items;
    Flatten(c, nodes, prefix, nullptr, "", items);
    for (size_t i = 0; i < items.size(); ++i) {
        const TLevelItem& it = items[i];
        std::string caption = Numbered(i + 1, items.size(), it.Node->Name);
        if (it.Node->Kind == TTreeNode::Field) {
            c.Line(TConsole::ValueLine(caption, r ? r->Get(it.Path) : "", indent));
        } else {
            std::string pad(static_cast<size_t>(indent), ' ');
            c.Line(pad + caption);
            PrintNodes(c, r, it.Node->Kids, it.Path + "/", indent + 3);
            c.Line(pad + "End of " + it.Node->Name);
        }
    }
}

void FillNodes(const std::vector<TTreeNode>& nodes, const std::string& prefix, TRecord& r)
{
    for (const TTreeNode& n : nodes) {
        if (n.Kind == TTreeNode::Block) {
            FillNodes(n.Kids, prefix + n.Name + "/", r);
        } else {
            if (n.Port == 0 || n.Port <= 8)
                r.Default(prefix + n.Name, n.Default);
            FillNodes(n.Kids, prefix, r);
        }
    }
}

bool Enabled(const TLevelItem& it, const TRecord& r)
{
    if (it.Node->Dep.empty())
        return true;
    std::string parent = r.Get(it.ParentPath);
    if (it.Node->Dep == "*")
        return !parent.empty();
    for (const std::string& v : Split(it.Node->Dep, '|'))
        if (v == parent)
            return true;
    return false;
}

// The rule of a field, with "by:" rules resolved by the parent field's current value.
TRule RuleOf(const TTreeSection& s, const TLevelItem& it, const TRecord& r)
{
    const std::string& rule = it.Node->Rule;
    if (rule.rfind("by:", 0) != 0)
        return MakeTreeRule(rule, s.Name);
    std::string parent = r.Get(it.ParentPath);
    for (const std::string& choice : Split(rule.substr(3), ';')) {
        size_t eq = choice.find('=');
        if (eq != std::string::npos && choice.substr(0, eq) == parent)
            return MakeTreeRule(choice.substr(eq + 1), s.Name);
    }
    return MakeTreeRule("ro", s.Name);
}

class TLevelScreen : public TScreen {
public:
    TLevelScreen(const TTreeSection& s, std::string key, const std::vector<TTreeNode>& nodes, std::string prefix,
                 std::vector<std::string> header, std::vector<std::string> footer, std::string prompt)
        : Sec(s), Key(std::move(key)), Nodes(nodes), Prefix(std::move(prefix)), Header(std::move(header)),
          Footer(std::move(footer)), PromptText(std::move(prompt))
    {
    }

    TRecord* Record(TConsole& c) const
    {
        TStateSection& sec = c.State.Section(Sec.Name);
        return Sec.Records == 'N' ? &sec.Fields : sec.FindRecord(Key);
    }

    void Show(TConsole& c) override
    {
        c.Line();
        for (const auto& h : Header)
            c.Line(h);
        PrintNodes(c, Record(c), Nodes, Prefix, 3);
        for (const auto& f : Footer)
            c.Line(f);
        c.Line();
        ShowPrompt(c);
    }

    void ShowPrompt(TConsole& c) override { c.Print(PromptText); }

    void Enter(TConsole& c, const std::string& line) override
    {
        std::vector<TLevelItem> items;
        Flatten(c, Nodes, Prefix, nullptr, "", items);
        size_t index = items.size();
        bool number = std::all_of(line.begin(), line.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
        for (size_t i = 0; i < items.size(); ++i)
            if (number ? std::atol(line.c_str()) == static_cast<long>(i + 1)
                       : UpperCase(items[i].Node->Name) == UpperCase(line))
                index = i;
        TRecord* r = Record(c);
        if (index == items.size() || !r) {
            Refuse(c);
            return;
        }
        const TLevelItem it = items[index];
        if (it.Node->Kind == TTreeNode::Block) {
            c.Push(std::make_unique<TLevelScreen>(Sec, Key, it.Node->Kids, it.Path + "/",
                std::vector<std::string>{it.Node->Name}, std::vector<std::string>{"End of " + it.Node->Name},
                Sec.Prefix + " - " + it.Node->Name + " - Item No. or Q => "));
            return;
        }
        if (it.Node->MinFw > c.Firmware() || it.Node->Rule == "ro" || !Enabled(it, *r)) {
            Refuse(c);
            return;
        }
        c.Line(TConsole::ValueLine(it.Node->Name, r->Get(it.Path)));
        if (const TTreeHooks* hooks = HooksOf(Sec.Name); hooks && hooks->Choices)
            for (const std::string& choice : hooks->Choices(c, it.Path))
                c.Line(choice);
        std::string caption = Numbered(index + 1, items.size(), it.Node->Name);
        const TTreeSection& sec = Sec;
        TLevelScreen* self = this;
        c.PushQuiet(std::make_unique<TValuePrompts>(std::vector<std::string>{"New Value => "},
            [self, &sec, it, caption](TConsole& c, const std::vector<std::string>& v) -> bool {
                TRecord* r = self->Record(c);
                if (!r)
                    return false;
                if (v[0].empty())
                    return true;
                std::optional<std::string> value;
                if (v[0] == "-") {
                    if (!it.Node->CanEmpty && it.Node->Dep.empty())
                        return false;
                    value = std::string();
                } else {
                    value = RuleOf(sec, it, *r)(c, v[0]);
                }
                const TTreeHooks* hooks = HooksOf(sec.Name);
                if (!value || (hooks && hooks->Check && !hooks->Check(c, *r, it.Path, *value)))
                    return false;
                bool changed = r->Get(it.Path) != *value;
                r->Set(it.Path, *value);
                if (changed) {
                    std::vector<TLevelItem> all;
                    Flatten(c, self->Nodes, self->Prefix, nullptr, "", all);
                    for (const TLevelItem& d : all)
                        if (d.ParentPath == it.Path)
                            r->Set(d.Path, "");
                }
                if (hooks && hooks->AfterSet)
                    hooks->AfterSet(c, *r, it.Path, *value);
                c.Changed();
                c.Line(TConsole::ValueLine(caption, *value));
                c.Line();
                return true;
            }));
    }

private:
    void Refuse(TConsole& c)
    {
        c.Incorrect();
        ShowPrompt(c);
    }

    const TTreeSection& Sec;
    std::string Key;
    const std::vector<TTreeNode>& Nodes;
    std::string Prefix;
    std::vector<std::string> Header, Footer;
    std::string PromptText;
};

std::vector<std::string> KeysOf(TConsole& c, const TTreeSection& s)
{
    if (!s.KeysFromPorts)
        return s.Keys;
    std::vector<std::string> keys;
    for (const auto& r : c.State.Section("Port Service").Records)
        keys.push_back(r.Key);
    return keys;
}

void OpenRecord(TConsole& c, const TTreeSection& s, const std::string& key)
{
    c.Push(std::make_unique<TLevelScreen>(s, key, s.Layout, "", std::vector<std::string>{s.Word + " No. [" + key + "]"},
        std::vector<std::string>{"End of " + s.Word}, s.Word + " Item No. or Q => "));
}

// The listing of a record section, and its record commands.
class TRecordsScreen : public TScreen {
public:
    TRecordsScreen(const TTreeSection& s, std::string title) : Sec(s), Title(std::move(title)) {}

    void Show(TConsole& c) override
    {
        c.Line();
        c.Line(Title);
        c.Line();
        TStateSection& sec = c.State.Section(Sec.Name);
        for (const TRecord& r : sec.Records) {
            if (!Sec.ShownIf.empty() && r.Get(Sec.ShownIf).empty())
                continue;
            c.Line(Sec.Word + " No. [" + r.Key + "]");
            PrintNodes(c, &r, Sec.Layout, "", 3);
            c.Line("End of " + Sec.Word);
        }
        c.Line();
        ShowPrompt(c);
    }

    void ShowPrompt(TConsole& c) override
    {
        if (Sec.Records == 'F')
            c.Print(Sec.Prefix + " - " + Sec.Word + " No. or Q => ");
        else
            c.Print(Sec.Prefix + " - A=Add, D=Delete, M=Modify, Q=Quit => ");
    }

    void Enter(TConsole& c, const std::string& line) override
    {
        TStateSection& sec = c.State.Section(Sec.Name);
        if (Sec.Records == 'F') {
            std::vector<std::string> keys = KeysOf(c, Sec);
            if (std::find(keys.begin(), keys.end(), line) == keys.end()) {
                c.Incorrect();
                ShowPrompt(c);
                return;
            }
            if (!sec.FindRecord(line))
                FillTreeDefaults(Sec, sec.AddRecord(line));
            OpenRecord(c, Sec, line);
            return;
        }
        std::string u = UpperCase(line);
        const TTreeSection& s = Sec;
        std::string no = Sec.Word + " No. => ";
        if (u == "A") {
            c.PushQuiet(std::make_unique<TValuePrompts>(std::vector<std::string>{no},
                [&s](TConsole& c, const std::vector<std::string>& v) {
                    TStateSection& sec = c.State.Section(s.Name);
                    if (static_cast<int>(sec.Records.size()) >= s.MaxRecords || sec.FindRecord(v[0]) ||
                        !MakeTreeRule(s.KeyRule, s.Name)(c, v[0]))
                        return false;
                    FillTreeDefaults(s, sec.AddRecord(v[0]));
                    c.Changed();
                    OpenRecord(c, s, v[0]);
                    return true;
                }));
        } else if (u == "D") {
            c.PushQuiet(std::make_unique<TValuePrompts>(
                std::vector<std::string>{no, "Delete " + Sec.Word + " (Y/N) => "},
                [&s](TConsole& c, const std::vector<std::string>& v) {
                    TStateSection& sec = c.State.Section(s.Name);
                    if (!sec.FindRecord(v[0]))
                        return false;
                    if (UpperCase(v[1]) == "Y") {
                        sec.EraseRecord(v[0]);
                        c.Changed();
                        c.Line(s.Word + " Deleted");
                    }
                    return true;
                }));
        } else if (u == "M") {
            c.PushQuiet(std::make_unique<TValuePrompts>(std::vector<std::string>{no},
                [&s](TConsole& c, const std::vector<std::string>& v) {
                    if (!c.State.Section(s.Name).FindRecord(v[0]))
                        return false;
                    OpenRecord(c, s, v[0]);
                    return true;
                }));
        } else {
            c.Incorrect();
            ShowPrompt(c);
        }
    }

private:
    const TTreeSection& Sec;
    std::string Title;
};

void Open(TConsole& c, const TTreeSection& s, const std::string& title)
{
    if (s.Records == 'N')
        c.Push(std::make_unique<TLevelScreen>(s, "", s.Layout, "", std::vector<std::string>{title, ""},
            std::vector<std::string>{}, s.Prefix + " - Item No. or Q => "));
    else
        c.Push(std::make_unique<TRecordsScreen>(s, title));
}

void Normalize(TDeviceState& state, const TTreeSection& s)
{
    bool fresh = state.FindSection(s.Name) == nullptr;
    TStateSection& sec = state.Section(s.Name);
    if (fresh)
        if (const TTreeHooks* hooks = HooksOf(s.Name); hooks && hooks->Sample)
            hooks->Sample(sec);
    if (s.Records == 'N') {
        FillTreeDefaults(s, sec.Fields);
        return;
    }
    if (s.Records == 'F' && s.ShownIf.empty()) {
        std::vector<std::string> keys = s.Keys;
        if (s.KeysFromPorts)
            if (const TStateSection* ports = state.FindSection("Port Service"); ports && !ports->Records.empty()) {
                keys.clear();
                for (const auto& r : ports->Records)
                    keys.push_back(r.Key);
            }
        if (s.KeysFromPorts && keys.empty())
            keys = {"1", "2", "3", "4"};
        for (const auto& k : keys)
            if (!sec.FindRecord(k))
                sec.AddRecord(k);
    }
    for (auto& r : sec.Records)
        FillTreeDefaults(s, r);
}

// Every table section joins the Program menus through the same registry as the hand-written ones.
struct TTreeRegistrar {
    TTreeRegistrar()
    {
        for (const TTreeSection& s : TreeSections())
            RegisterSection({s.Name, [&s](TConsole& c, const std::string& title) { Open(c, s, title); },
                [&s](TDeviceState& state) { Normalize(state, s); }});
    }
};
const TTreeRegistrar registrar;

}  // namespace

void FillTreeDefaults(const TTreeSection& s, TRecord& r) { FillNodes(s.Layout, "", r); }
