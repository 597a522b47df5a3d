#include "Assembly.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

namespace {

[[noreturn]] void fail(const std::string& Message) { throw TAssemblyError{Message}; }

constexpr int64_t IDBlockSize = 100000;
const char* const DeriveTag = "DERIVE";

const TXmlAttribute* nameOf(const TXmlNode& N) { return N.Attrs.FindExact("Name"); }
std::string nameText(const TXmlNode& N) { return nameOf(N) ? nameOf(N)->GetValue().str() : std::string(); }
std::string childKey(const std::string& Tag, const std::string& Name) { return Tag + '\0' + Name; }

// All children of a node, taken out in order. From the back, so that no list is shifted or renumbered.
std::vector<std::unique_ptr<TXmlNode>> takeChildren(TXmlNode& Node)
{
    std::vector<std::unique_ptr<TXmlNode>> out;
    out.reserve(size_t(Node.Nodes.Count()));
    for (int i = Node.Nodes.Count(); i-- > 0;)
        out.push_back(Node.Nodes.Extract(i));
    std::reverse(out.begin(), out.end());
    return out;
}

// The attribute of a derivation element, which must be present unless Optional.
std::string directiveAttr(const TXmlNode& N, const char* Name, const std::string& File, bool Optional = false)
{
    const TXmlAttribute* a = N.Attrs.FindExact(Name);
    if (!a && !Optional)
        fail(File + ": <" + N.GetTag() + "> needs the attribute \"" + Name + "\"");
    return a ? a->GetValue().str() : std::string();
}

void onlyAttrs(const TXmlNode& N, std::initializer_list<const char*> Allowed, const std::string& File)
{
    for (const auto& a : N.Attrs) {
        bool known = std::any_of(Allowed.begin(), Allowed.end(), [&](const char* k) { return a->GetName() == k; });
        if (!known)
            fail(File + ": <" + N.GetTag() + "> takes no attribute \"" + a->GetName() + "\"" +
                (a->GetName() == "ID" ? " (elements of a derivation are no nodes: only what <ADD> holds has IDs)"
                                      : ""));
    }
}

// The one child of Parent with the given "Name" (and tag, when given); zero or several stop the build.
int onlyChild(const TXmlNode& Parent, const std::string& Name, const std::string& Tag, const std::string& Where,
              const std::string& File)
{
    int found = -1;
    for (int i = 0; i < Parent.Nodes.Count(); ++i) {
        const TXmlNode* c = Parent.Nodes.Items(i);
        if (nameText(*c) != Name || !nameOf(*c) || (!Tag.empty() && c->GetTag() != Tag))
            continue;
        if (found >= 0)
            fail(File + ": " + Where + " has more than one child \"" + Name + "\"" +
                (Tag.empty() ? "; give its Tag" : ""));
        found = i;
    }
    if (found < 0)
        fail(File + ": " + Where + " has no child \"" + Name + "\"" + (Tag.empty() ? "" : " <" + Tag + ">"));
    return found;
}

bool isBlank(char c) { return static_cast<unsigned char>(c) < 33; }

bool startsAt(const std::string& s, size_t p, const char* what) { return s.compare(p, std::strlen(what), what) == 0; }

// Ends (the ">" positions) of the element start tags of a source, in the order the reader creates its nodes:
// declarations, processing instructions, comments, CDATA, DOCTYPE and end tags are passed over.
std::vector<size_t> startTagEnds(const std::string& s, size_t count)
{
    std::vector<size_t> ends;
    size_t pos = 0;
    while (ends.size() < count) {
        size_t lt = s.find('<', pos);
        if (lt == std::string::npos)
            break;
        auto skipTo = [&](const char* end) {
            size_t e = s.find(end, lt + 1);
            pos = e == std::string::npos ? s.size() : e + std::strlen(end);
        };
        if (startsAt(s, lt, "<?")) {
            skipTo("?>");
        } else if (startsAt(s, lt, "<!--")) {
            skipTo("-->");
        } else if (startsAt(s, lt, "<![CDATA[")) {
            skipTo("]]>");
        } else if (startsAt(s, lt, "<!DOCTYPE")) {
            size_t gt = s.find('>', lt), br = s.find('[', lt);
            if (br != std::string::npos && (gt == std::string::npos || br < gt))
                gt = s.find('>', s.find(']', br));
            pos = gt == std::string::npos ? s.size() : gt + 1;
        } else if (startsAt(s, lt, "</")) {
            skipTo(">");
        } else {
            char quote = 0;
            size_t gt = std::string::npos;
            for (size_t i = lt + 1; i < s.size(); ++i) {
                char c = s[i];
                if (quote) {
                    if (c == quote)
                        quote = 0;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '>') {
                    gt = i;
                    break;
                } else if (c == '<') {
                    break;
                }
            }
            if (gt == std::string::npos)
                gt = s.find('>', lt);
            if (gt == std::string::npos)
                break;
            ends.push_back(gt);
            pos = gt + 1;
        }
    }
    return ends;
}

}  // namespace

const std::string& TAssembly::FileOf(const TXmlNode* Node) const
{
    auto it = FSourceOf.find(Node);
    return FSources[it == FSourceOf.end() ? 0 : it->second].FileName;
}

void TAssembly::LoadSource(TSource& S)
{
    S.Doc = std::make_unique<TXmlDoc>();
    S.Doc->ShowErrors = false;
    S.Doc->XmlText = S.Text;
    if (!S.Doc->ParseText())
        fail(S.FileName + ": " + S.Doc->LastError);
    TXmlWalk walk;
    for (TXmlNode* n = walk.First(nullptr, S.Doc->Root()); n; n = walk.Next(n)) {
        if (n->GetTag() == DeriveTag && n->Parent != S.Doc->Root())
            fail(S.FileName + ": <DERIVE> \"" + nameText(*n) + "\" must be a child of the file's root element");
        S.Nodes.push_back(n);
    }
}

// The child of Target that Node is merged into: the first with the same tag and the same "Name", or nullptr. An
// element without "Name" (a step, a script) is never merged.
TXmlNode* TAssembly::MergeTarget(TXmlNode& Target, const TXmlNode& Node)
{
    const TXmlAttribute* name = nameOf(Node);
    if (!name)
        return nullptr;
    auto [index, fresh] = FChildIndex.try_emplace(&Target);
    if (fresh) {
        for (const auto& c : Target.Nodes)
            if (const TXmlAttribute* n = nameOf(*c))
                index->second.try_emplace(childKey(c->GetTag(), n->GetValue()), c.get());
    }
    auto found = index->second.find(childKey(Node.GetTag(), name->GetValue()));
    return found == index->second.end() ? nullptr : found->second;
}

// Appends Node under Target, or merges it into the element of the same tag and "Name" there: its attributes must
// agree with that element's (those it lacks are added), and its children are added to that element the same way,
// in order. So a later source can add sections inside a group that an earlier source holds.
void TAssembly::AddOrMerge(TXmlNode& Target, std::unique_ptr<TXmlNode> Node, size_t Source)
{
    TXmlNode* into = MergeTarget(Target, *Node);
    if (!into) {
        if (const TXmlAttribute* name = nameOf(*Node)) {
            auto index = FChildIndex.find(&Target);
            if (index != FChildIndex.end())
                index->second.try_emplace(childKey(Node->GetTag(), name->GetValue()), Node.get());
        }
        Target.AddChild(std::move(Node));
        return;
    }
    const std::string& file = FSources[Source].FileName;
    for (const auto& attr : Node->Attrs) {
        const TXmlAttribute* own = into->Attrs.FindExact(attr->GetName());
        if (!own)
            into->Attrs.AddRaw(attr->GetName(), attr->GetValue());
        else if (own->GetValue() != attr->GetValue())
            fail(file + ": <" + Node->GetTag() + "> \"" + nameText(*Node) + "\" cannot be merged: its \"" +
                attr->GetName() + "\" is \"" + attr->GetValue() + "\", the existing element's is \"" +
                own->GetValue() + "\"");
    }
    for (auto& child : takeChildren(*Node))
        AddOrMerge(*into, std::move(child), Source);
    FNoNode.insert(Node.get());
    FMerged.push_back(std::move(Node));
}

// A derivation's elements are no nodes of the result; what its <ADD>s hold is.
void TAssembly::MarkDirectives(TXmlNode& Element, size_t Source, bool Top)
{
    const std::string& file = FSources[Source].FileName;
    const std::string& tag = Element.GetTag();
    FNoNode.insert(&Element);
    if (Top) {
        onlyAttrs(Element, {"Name", "From", "IDOffset"}, file);
    } else if (tag == "AT" || tag == "REMOVE") {
        onlyAttrs(Element, {"Name", "Tag"}, file);
        directiveAttr(Element, "Name", file);
    } else if (tag == "SET") {
        onlyAttrs(Element, {"Attr", "Value"}, file);
        directiveAttr(Element, "Value", file);
        if (directiveAttr(Element, "Attr", file) == "ID")
            fail(file + ": <SET> cannot change an \"ID\": derived IDs follow from the source's");
    } else if (tag == "UNSET") {
        onlyAttrs(Element, {"Attr"}, file);
        if (directiveAttr(Element, "Attr", file) == "ID")
            fail(file + ": <UNSET> cannot remove an \"ID\"");
    } else if (tag == "ADD") {
        onlyAttrs(Element, {"Before"}, file);
        return;   // its children are nodes
    } else {
        fail(file + ": <" + tag + "> is no element of a derivation (AT, SET, UNSET, REMOVE, ADD)");
    }
    if ((tag == "SET" || tag == "UNSET" || tag == "REMOVE") && Element.HasChildren())
        fail(file + ": <" + tag + "> holds no elements");
    for (const auto& c : Element.Nodes)
        MarkDirectives(*c, Source, false);
}

// Checks the IDs of the nodes written in the sources and gives every node without one an ID above the maximum
// (with FirstID: above the largest ID of the block [FirstID, FirstID + IDBlockSize), so that one file's authors
// can keep to a block of their own).
void TAssembly::GiveIDs(int32_t FirstID)
{
    int32_t declaredMax = 0;
    if (const TXmlAttribute* m = FSources.front().Doc->Root()->Attrs.FindExact("MaxNodeID")) {
        if (!TryStrToInt(m->GetValue(), declaredMax))
            fail(FSources.front().FileName + ": \"MaxNodeID\" is not a number: " + m->GetValue());
    }
    std::unordered_map<int32_t, const TXmlNode*> seen;
    int32_t max = std::min(declaredMax, DerivedIDBase - 1);
    int32_t blockMax = FirstID > 0 ? FirstID - 1 : 0;
    std::vector<TXmlNode*> missing;
    TXmlWalk walk;
    for (TXmlNode* n = walk.First(nullptr, Doc.Root()); n; n = walk.Next(n)) {
        if (FNoNode.count(n))
            continue;
        const TXmlAttribute* attr = n->Attrs.FindExact("ID");
        if (!attr) {
            missing.push_back(n);
            continue;
        }
        int32_t id = 0;
        if (!TryStrToInt(attr->GetValue(), id) || id <= 0)
            fail(FileOf(n) + ": bad ID \"" + attr->GetValue() + "\" (IDs are positive whole numbers)");
        if (id >= DerivedIDBase)
            fail(Format("%s: ID %d is not below %d (the IDs from there on are those of derived trees)",
                {FileOf(n), int64_t(id), int64_t(DerivedIDBase)}));
        auto [it, fresh] = seen.emplace(id, n);
        if (!fresh)
            fail(Format("duplicate ID %d in %s and %s", {int64_t(id), FileOf(it->second), FileOf(n)}));
        max = std::max(max, id);
        if (FirstID > 0 && id >= FirstID && int64_t(id) < int64_t(FirstID) + IDBlockSize)
            blockMax = std::max(blockMax, id);
    }
    int32_t next = FirstID > 0 ? blockMax : max;
    for (TXmlNode* n : missing) {
        ++next;
        if (next >= DerivedIDBase)
            fail(Format("no IDs left below %d", {int64_t(DerivedIDBase)}));
        if (FirstID > 0 && int64_t(next) >= int64_t(FirstID) + IDBlockSize)
            fail(Format("the ID block from %d is full", {int64_t(FirstID)}));
        if (seen.count(next))
            fail(Format("new ID %d for --first-id runs into an existing node", {int64_t(next)}));
        n->Attrs.AddRaw("ID", IntToStr(next));
        FNewIDs.emplace_back(n, next);
    }
}

std::unique_ptr<TXmlNode> TAssembly::CopyTree(const TXmlNode& From, int32_t Offset, size_t Source)
{
    auto copy = std::make_unique<TXmlNode>();
    copy->SetRawTag(From.GetTag());
    copy->SetRawText(From.GetText());
    copy->Attrs.Reserve(From.Attrs.Count());
    for (const auto& a : From.Attrs) {
        if (a->GetName() != "ID") {
            copy->Attrs.AddRaw(a->GetName(), a->GetValue());
            continue;
        }
        int32_t id = 0;
        TryStrToInt(a->GetValue(), id);   // checked by GiveIDs
        copy->Attrs.AddRaw("ID", IntToStr(id + Offset));
    }
    FSourceOf[copy.get()] = Source;
    copy->Nodes.Reserve(From.Nodes.Count());
    for (const auto& c : From.Nodes)
        copy->AddChild(CopyTree(*c, Offset, Source));
    return copy;
}

void TAssembly::ApplyDifferences(TXmlNode& Target, TXmlNode& Directive, const std::string& Where, size_t Source)
{
    const std::string& file = FSources[Source].FileName;
    for (const auto& d : Directive.Nodes) {
        const std::string& tag = d->GetTag();
        if (tag == "AT") {
            std::string name = directiveAttr(*d, "Name", file);
            int i = onlyChild(Target, name, directiveAttr(*d, "Tag", file, true), Where, file);
            ApplyDifferences(*Target.Nodes.Items(i), *d, Where + " / \"" + name + "\"", Source);
        } else if (tag == "SET") {
            std::string attr = directiveAttr(*d, "Attr", file);
            if (TXmlAttribute* own = Target.Attrs.FindExact(attr))
                own->SetValue(directiveAttr(*d, "Value", file));
            else
                Target.Attrs.AddRaw(attr, directiveAttr(*d, "Value", file));
        } else if (tag == "UNSET") {
            std::string attr = directiveAttr(*d, "Attr", file);
            int at = -1;
            for (int i = 0; i < Target.Attrs.Count() && at < 0; ++i)
                if (Target.Attrs.Items(i)->GetName() == attr)
                    at = i;
            if (at < 0)
                fail(file + ": " + Where + " has no attribute \"" + attr + "\" to remove");
            Target.Attrs.Delete(at);
        } else if (tag == "REMOVE") {
            Target.Nodes.Delete(
                onlyChild(Target, directiveAttr(*d, "Name", file), directiveAttr(*d, "Tag", file, true), Where, file));
        } else if (tag == "ADD") {
            std::vector<std::unique_ptr<TXmlNode>> tail;
            if (const TXmlAttribute* before = d->Attrs.FindExact("Before")) {
                int at = onlyChild(Target, before->GetValue(), "", Where, file);
                for (int i = Target.Nodes.Count(); i-- > at;)
                    tail.push_back(Target.Nodes.Extract(i));
                std::reverse(tail.begin(), tail.end());
            }
            for (auto& added : takeChildren(*d))
                Target.AddChild(std::move(added));
            for (auto& t : tail)
                Target.AddChild(std::move(t));
        }
    }
}

// Every <DERIVE> becomes a copy of the top-level element it names ("From") with its differences applied, in its
// own place; the copy is named after the derivation and each copied node's ID is its source's plus "IDOffset".
void TAssembly::ResolveDerivations()
{
    if (FDerivations.empty())
        return;
    TXmlNode& root = *Doc.Root();
    std::unordered_map<int32_t, const TDerivation*> offsets;
    std::unordered_map<TXmlNode*, std::unique_ptr<TXmlNode>> copies;
    for (const TDerivation& d : FDerivations) {
        const std::string& file = FSources[d.Source].FileName;
        std::string name = directiveAttr(*d.Element, "Name", file);
        std::string from = directiveAttr(*d.Element, "From", file);
        std::string offsetText = directiveAttr(*d.Element, "IDOffset", file);
        int32_t offset = 0;
        if (!TryStrToInt(offsetText, offset) || offset <= 0 || offset % DerivedIDBase != 0 ||
            offset > INT32_MAX - DerivedIDBase)
            fail(Format("%s: <DERIVE> \"%s\": \"IDOffset\" %s is no positive multiple of %d (at most %d)",
                {file, name, offsetText, int64_t(DerivedIDBase), int64_t(INT32_MAX / DerivedIDBase * DerivedIDBase -
                                                                                DerivedIDBase)}));
        auto [other, fresh] = offsets.emplace(offset, &d);
        if (!fresh)
            fail(Format("%s: <DERIVE> \"%s\" has the \"IDOffset\" %d of \"%s\" in %s: their IDs would meet",
                {file, name, int64_t(offset), nameText(*other->second->Element),
                    FSources[other->second->Source].FileName}));
        TXmlNode* source = nullptr;
        for (const auto& c : root.Nodes) {
            const std::string cname = nameText(*c);
            if (c.get() == d.Element)
                continue;
            if (cname == name && nameOf(*c))
                fail(file + ": <DERIVE> \"" + name + "\": " + FileOf(c.get()) + " has another top-level element " +
                    "of that name (a derived tree is changed only by the differences inside its <DERIVE>)");
            if (cname == from && nameOf(*c)) {
                if (c->GetTag() == DeriveTag)
                    fail(file + ": <DERIVE> \"" + name + "\": \"" + from + "\" is itself derived; derive from " +
                        "the tree it is derived from");
                source = c.get();
            }
        }
        if (!source)
            fail(file + ": <DERIVE> \"" + name + "\": there is no top-level element \"" + from + "\"");
        auto copy = CopyTree(*source, offset, d.Source);
        copy->Attrs.FindExact("Name")->SetValue(name);
        ApplyDifferences(*copy, *d.Element, "\"" + name + "\"", d.Source);
        copies.emplace(d.Element, std::move(copy));
    }
    for (auto& c : takeChildren(root)) {
        auto copy = copies.find(c.get());
        if (copy == copies.end()) {
            root.AddChild(std::move(c));
        } else {
            root.AddChild(std::move(copy->second));
            FMerged.push_back(std::move(c));
        }
    }
}

void TAssembly::CheckIDs()
{
    std::unordered_map<int32_t, const TXmlNode*> seen;
    int32_t max = 0;
    if (const TXmlAttribute* m = FSources.front().Doc->Root()->Attrs.FindExact("MaxNodeID"))
        TryStrToInt(m->GetValue(), max);
    TXmlWalk walk;
    for (TXmlNode* n = walk.First(nullptr, Doc.Root()); n; n = walk.Next(n)) {
        int32_t id = 0;
        const TXmlAttribute* attr = n->Attrs.FindExact("ID");
        if (!attr || !TryStrToInt(attr->GetValue(), id))
            fail(FileOf(n) + ": <" + n->GetTag() + "> \"" + nameText(*n) + "\" has no ID");
        auto [it, fresh] = seen.emplace(id, n);
        if (!fresh)
            fail(Format("duplicate ID %d in %s and %s", {int64_t(id), FileOf(it->second), FileOf(n)}));
        max = std::max(max, id);
    }
    MaxID = max;
    Doc.SetMaxNodeID(max);
}

void TAssembly::Assemble(std::vector<TSourceText> Sources, int32_t FirstID)
{
    if (Sources.empty())
        fail("no sources");
    size_t total = 0;
    for (TSourceText& t : Sources) {
        FSources.push_back(TSource{std::move(t.FileName), std::move(t.Text), nullptr, {}});
        LoadSource(FSources.back());
        total += FSources.back().Nodes.size();
    }
    FSourceOf.reserve(total);
    TSource& first = FSources.front();
    // The root keeps its attributes in their order; "MaxNodeID" is set anew at the end.
    auto root = std::make_unique<TXmlNode>();
    root->SetRawTag(first.Doc->Root()->GetTag());
    root->SetRawText(first.Doc->Root()->GetText());
    for (const auto& attr : first.Doc->Root()->Attrs)
        if (attr->GetName() != "MaxNodeID")
            root->Attrs.AddRaw(attr->GetName(), attr->GetValue());
    Doc.SetRoot(std::move(root));
    first.Nodes.front() = Doc.Root();
    FSourceOf[Doc.Root()] = 0;
    for (size_t i = 0; i < FSources.size(); ++i) {
        TSource& s = FSources[i];
        TXmlNode* sourceRoot = s.Doc->Root();
        if (i > 0) {
            if (sourceRoot->GetTag() != first.Doc->Root()->GetTag())
                fail(s.FileName + ": root element <" + sourceRoot->GetTag() + "> differs from <" +
                    first.Doc->Root()->GetTag() + "> of " + first.FileName);
            s.Nodes.front() = nullptr;
        }
        for (size_t k = 1; k < s.Nodes.size(); ++k)
            FSourceOf[s.Nodes[k]] = i;
        for (auto& child : takeChildren(*sourceRoot)) {
            if (child->GetTag() == DeriveTag) {
                MarkDirectives(*child, i, true);
                FDerivations.push_back(TDerivation{child.get(), i});
                Doc.Root()->AddChild(std::move(child));
            } else {
                AddOrMerge(*Doc.Root(), std::move(child), i);
            }
        }
        for (auto& n : s.Nodes)
            if (n && FNoNode.count(n))
                n = nullptr;
    }
    FChildIndex.clear();
    GiveIDs(FirstID);
    ResolveDerivations();
    CheckIDs();
}

std::vector<TAssembly::TSourceText> TAssembly::SourcesWithNewIDs() const
{
    std::unordered_map<const TXmlNode*, int32_t> given(FNewIDs.begin(), FNewIDs.end());
    std::vector<TSourceText> out;
    for (const TSource& s : FSources) {
        std::vector<size_t> ends = startTagEnds(s.Text, s.Nodes.size());
        if (ends.size() != s.Nodes.size())
            fail(s.FileName + ": could not match the start tags of the file to its nodes");
        // Insertion points in text order, then one pass that copies the text around them.
        std::vector<std::pair<size_t, int32_t>> inserts;
        for (size_t k = 0; k < s.Nodes.size(); ++k) {
            auto it = s.Nodes[k] ? given.find(s.Nodes[k]) : given.end();
            if (it == given.end())
                continue;
            size_t at = ends[k];
            if (at > 0 && s.Text[at - 1] == '/')
                --at;
            while (at > 0 && isBlank(s.Text[at - 1]))
                --at;
            inserts.emplace_back(at, it->second);
        }
        if (inserts.empty())
            continue;
        std::string text;
        text.reserve(s.Text.size() + inserts.size() * 16);
        size_t from = 0;
        for (const auto& [at, id] : inserts) {
            text.append(s.Text, from, at - from);
            text += " ID=\"" + IntToStr(id) + "\"";
            from = at;
        }
        text.append(s.Text, from, std::string::npos);
        // The rewritten file must read back as the same nodes with the IDs given, or nothing is written.
        TXmlDoc check;
        check.ShowErrors = false;
        check.XmlText = text;
        if (!check.ParseText())
            fail(s.FileName + ": rewriting the IDs broke the file: " + check.LastError);
        TXmlWalk walk;
        size_t k = 0;
        for (TXmlNode* n = walk.First(nullptr, check.Root()); n; n = walk.Next(n), ++k) {
            if (k >= s.Nodes.size() || !s.Nodes[k])
                continue;
            const TXmlAttribute* id = n->Attrs.FindExact("ID");
            if (!id || id->GetValue() != s.Nodes[k]->Attrs.FindExact("ID")->GetValue())
                fail(s.FileName + ": rewriting the IDs did not give the expected nodes; nothing written");
        }
        out.push_back(TSourceText{s.FileName, std::move(text)});
    }
    return out;
}
