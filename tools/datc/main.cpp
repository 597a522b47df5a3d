// datc: the description compiler.
//   datc compile SRC... -o OUT          text XML sources -> one binary document (written atomically)
//   datc dump FILE [--template DESC]    any binary document as text XML on stdout
//   datc --fix-ids [--first-id N] SRC... writes missing "ID"s back into the sources (atomically); with N, the new
//                                        IDs come from the block of 100000 IDs that starts at N
// Sources are assembled in the order given: the first provides the root element, every later root must have the
// same tag and only its children are added: a child whose tag and "Name" equal those of an element already there
// is merged into it (docs/description.md, "Assembly rule"), any other is appended. IDs in the sources are kept,
// missing ones are given above the maximum, duplicates are an error. Exit status 0 on success, 1 on an error, 2 on
// a usage error.
#include "platform/AtomicFile.h"
#include "xml/XmlDoc.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <set>

namespace {
struct TFailure {
    std::string Message;
};

[[noreturn]] void fail(const std::string& message) { throw TFailure{message}; }

int usage()
{
    std::fprintf(stderr,
        "usage: datc compile SRC... -o OUT\n"
        "       datc dump FILE [--template DESC]\n"
        "       datc --fix-ids [--first-id N] SRC...\n");
    return 2;
}

// One text source with its nodes in document order (the root first; nullptr for a later source's root, which
// does not become a node of the assembled document).
struct TSource {
    std::string FileName;
    std::string Text;
    std::unique_ptr<TXmlDoc> Doc;
    std::vector<TXmlNode*> Nodes;
};

struct TAssembly {
    std::vector<TSource> Sources;
    TXmlDoc Doc;
    std::map<const TXmlNode*, size_t> SourceOf;
    int32_t MaxID = 0;
    std::vector<std::pair<TXmlNode*, int32_t>> NewIDs;   // nodes given an ID, in document order
    std::vector<std::unique_ptr<TXmlNode>> Merged;       // elements merged into others, kept for the ID writer
};

void loadSource(TSource& s)
{
    s.Text = ReadWholeFile(s.FileName);
    s.Doc = std::make_unique<TXmlDoc>();
    s.Doc->ShowErrors = false;
    s.Doc->XmlText = s.Text;
    if (!s.Doc->ParseText())
        fail(s.FileName + ": " + s.Doc->LastError);
    TXmlWalk walk;
    for (TXmlNode* n = walk.First(nullptr, s.Doc->Root()); n; n = walk.Next(n))
        s.Nodes.push_back(n);
}

const TXmlAttribute* nameOf(const TXmlNode& n) { return n.Attrs.FindExact("Name"); }

// The child of Target that Node is merged into: the first with the same tag and the same "Name", or nullptr. An
// element without "Name" (a step, a script) is never merged.
TXmlNode* mergeTarget(const TXmlNode& target, const TXmlNode& node)
{
    const TXmlAttribute* name = nameOf(node);
    if (!name)
        return nullptr;
    for (const auto& child : target.Nodes) {
        const TXmlAttribute* other = nameOf(*child);
        if (child->GetTag() == node.GetTag() && other && other->GetValue() == name->GetValue())
            return child.get();
    }
    return nullptr;
}

// Appends Node under Target, or merges it into the element of the same tag and "Name" there: its attributes must
// agree with that element's (those it lacks are added), and its children are added to that element the same way,
// in order. So a later source can add sections inside a group that an earlier source holds.
void addOrMerge(TXmlNode& target, std::unique_ptr<TXmlNode> node, const std::string& file,
                std::vector<std::unique_ptr<TXmlNode>>& merged)
{
    TXmlNode* into = mergeTarget(target, *node);
    if (!into) {
        target.AddChild(std::move(node));
        return;
    }
    for (const auto& attr : node->Attrs) {
        const TXmlAttribute* own = into->Attrs.FindExact(attr->GetName());
        if (!own)
            into->Attrs.AddRaw(attr->GetName(), attr->GetValue());
        else if (own->GetValue() != attr->GetValue())
            fail(file + ": <" + node->GetTag() + "> \"" + (nameOf(*node) ? nameOf(*node)->GetValue() : "") +
                "\" cannot be merged: its \"" + attr->GetName() + "\" is \"" + attr->GetValue() +
                "\", the existing element's is \"" + own->GetValue() + "\"");
    }
    while (node->Nodes.Count() > 0)
        addOrMerge(*into, node->Nodes.Extract(0), file, merged);
    merged.push_back(std::move(node));
}

// Assembles the sources and gives every node without "ID" one above the maximum (with first-id: above the largest
// ID of the block [first-id, first-id + IDBlockSize), so that one file's authors can keep to a block of their own).
constexpr int64_t IDBlockSize = 100000;
void assemble(TAssembly& a, const std::vector<std::string>& files, int32_t firstID)
{
    for (const std::string& f : files) {
        a.Sources.push_back(TSource{f, {}, nullptr, {}});
        loadSource(a.Sources.back());
    }
    TSource& first = a.Sources.front();
    // The root keeps its attributes in their order; "MaxNodeID" is set anew below.
    auto root = std::make_unique<TXmlNode>();
    root->SetRawTag(first.Doc->Root()->GetTag());
    root->SetRawText(first.Doc->Root()->GetText());
    for (const auto& attr : first.Doc->Root()->Attrs)
        if (attr->GetName() != "MaxNodeID")
            root->Attrs.AddRaw(attr->GetName(), attr->GetValue());
    a.Doc.SetRoot(std::move(root));
    int32_t declaredMax = 0;
    if (const TXmlAttribute* m = first.Doc->Root()->Attrs.FindExact("MaxNodeID")) {
        if (!TryStrToInt(m->GetValue(), declaredMax))
            fail(first.FileName + ": \"MaxNodeID\" is not a number: " + m->GetValue());
    }
    first.Nodes.front() = a.Doc.Root();
    a.SourceOf[a.Doc.Root()] = 0;
    for (size_t i = 0; i < a.Sources.size(); ++i) {
        TSource& s = a.Sources[i];
        TXmlNode* root = s.Doc->Root();
        if (i > 0) {
            if (root->GetTag() != first.Doc->Root()->GetTag())
                fail(s.FileName + ": root element <" + root->GetTag() + "> differs from <" +
                    first.Doc->Root()->GetTag() + "> of " + first.FileName);
            s.Nodes.front() = nullptr;
        }
        for (size_t k = 1; k < s.Nodes.size(); ++k)
            a.SourceOf[s.Nodes[k]] = i;
        while (root->Nodes.Count() > 0)
            addOrMerge(*a.Doc.Root(), root->Nodes.Extract(0), s.FileName, a.Merged);
        // A merged element is no node of the assembled document: it neither needs nor gets an ID.
        for (auto& n : s.Nodes)
            for (const auto& m : a.Merged)
                if (n == m.get())
                    n = nullptr;
    }

    std::map<int32_t, const TXmlNode*> seen;
    int32_t max = declaredMax;
    int32_t blockMax = firstID > 0 ? firstID - 1 : 0;
    TXmlWalk walk;
    for (TXmlNode* n = walk.First(nullptr, a.Doc.Root()); n; n = walk.Next(n)) {
        const TXmlAttribute* attr = n->Attrs.FindExact("ID");
        if (!attr)
            continue;
        const std::string& file = a.Sources[a.SourceOf[n]].FileName;
        int32_t id = 0;
        if (!TryStrToInt(attr->GetValue(), id) || id <= 0)
            fail(file + ": bad ID \"" + attr->GetValue() + "\" (IDs are positive whole numbers)");
        auto [it, fresh] = seen.emplace(id, n);
        if (!fresh)
            fail(Format("duplicate ID %d in %s and %s",
                {int64_t(id), a.Sources[a.SourceOf[it->second]].FileName, file}));
        max = std::max(max, id);
        if (firstID > 0 && id >= firstID && int64_t(id) < int64_t(firstID) + IDBlockSize)
            blockMax = std::max(blockMax, id);
    }
    int32_t next = firstID > 0 ? blockMax : max;
    for (TXmlNode* n = walk.First(nullptr, a.Doc.Root()); n; n = walk.Next(n)) {
        if (n->Attrs.FindExact("ID"))
            continue;
        if (next == INT32_MAX)
            fail("no IDs left above " + IntToStr(next));
        ++next;
        if (firstID > 0 && int64_t(next) >= int64_t(firstID) + IDBlockSize)
            fail(Format("the ID block from %d is full", {int64_t(firstID)}));
        if (seen.count(next))
            fail(Format("new ID %d for --first-id runs into an existing node", {int64_t(next)}));
        n->Attrs.AddRaw("ID", IntToStr(next));
        a.NewIDs.emplace_back(n, next);
        max = std::max(max, next);
    }
    a.MaxID = max;
    a.Doc.SetMaxNodeID(max);
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

int compile(const std::vector<std::string>& files, const std::string& out)
{
    TAssembly a;
    assemble(a, files, 0);
    a.Doc.ShowErrors = false;
    if (!a.Doc.SaveToFile(out, true))
        fail(out + ": " + a.Doc.LastError);
    return 0;
}

int dump(const std::string& file, const std::string& templateFile)
{
    std::unique_ptr<TXmlDoc> desc;
    if (!templateFile.empty()) {
        desc = std::make_unique<TXmlDoc>();
        desc->ShowErrors = false;
        if (!desc->LoadFromFile(templateFile, true))
            fail(templateFile + ": " + desc->LastError);
    }
    TXmlDoc doc(desc.get());
    doc.ShowErrors = false;
    if (!doc.LoadFromFile(file, true))
        fail(file + ": " + doc.LastError);
    if (!doc.WriteText(nullptr))
        fail(file + ": " + doc.LastError);
    std::cout << doc.TextBuffer << "\r\n";
    std::cout.flush();
    return std::cout ? 0 : 1;
}

int fixIDs(const std::vector<std::string>& files, int32_t firstID)
{
    TAssembly a;
    assemble(a, files, firstID);
    std::map<const TXmlNode*, int32_t> given(a.NewIDs.begin(), a.NewIDs.end());
    for (TSource& s : a.Sources) {
        std::vector<size_t> ends = startTagEnds(s.Text, s.Nodes.size());
        if (ends.size() != s.Nodes.size())
            fail(s.FileName + ": could not match the start tags of the file to its nodes");
        std::string text = s.Text;
        std::vector<int32_t> expected;
        bool changed = false;
        for (size_t k = s.Nodes.size(); k-- > 0;) {
            auto it = s.Nodes[k] ? given.find(s.Nodes[k]) : given.end();
            if (it == given.end())
                continue;
            size_t at = ends[k];
            if (at > 0 && text[at - 1] == '/')
                --at;
            while (at > 0 && isBlank(text[at - 1]))
                --at;
            text.insert(at, " ID=\"" + IntToStr(it->second) + "\"");
            changed = true;
        }
        if (!changed)
            continue;
        // The rewritten file must read back as the same nodes with the IDs given, or nothing is written.
        TSource check{s.FileName, {}, nullptr, {}};
        check.Doc = std::make_unique<TXmlDoc>();
        check.Doc->ShowErrors = false;
        check.Doc->XmlText = text;
        if (!check.Doc->ParseText())
            fail(s.FileName + ": rewriting the IDs broke the file: " + check.Doc->LastError);
        TXmlWalk walk;
        size_t k = 0;
        for (TXmlNode* n = walk.First(nullptr, check.Doc->Root()); n; n = walk.Next(n), ++k) {
            if (k >= s.Nodes.size() || !s.Nodes[k])
                continue;
            const TXmlAttribute* id = n->Attrs.FindExact("ID");
            if (!id || id->GetValue() != s.Nodes[k]->Attrs.FindExact("ID")->GetValue())
                fail(s.FileName + ": rewriting the IDs did not give the expected nodes; nothing written");
        }
        WriteFileAtomic(s.FileName, text);
        std::fprintf(stderr, "datc: %s: IDs written\n", s.FileName.c_str());
    }
    return 0;
}
}

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return usage();
    try {
        const std::string command = args[0];
        std::vector<std::string> files;
        if (command == "compile") {
            std::string out;
            for (size_t i = 1; i < args.size(); ++i) {
                if (args[i] == "-o" && i + 1 < args.size())
                    out = args[++i];
                else if (!args[i].empty() && args[i][0] == '-')
                    return usage();
                else
                    files.push_back(args[i]);
            }
            if (files.empty() || out.empty())
                return usage();
            return compile(files, out);
        }
        if (command == "dump") {
            std::string templateFile;
            for (size_t i = 1; i < args.size(); ++i) {
                if (args[i] == "--template" && i + 1 < args.size())
                    templateFile = args[++i];
                else if (!args[i].empty() && args[i][0] == '-')
                    return usage();
                else
                    files.push_back(args[i]);
            }
            if (files.size() != 1)
                return usage();
            return dump(files[0], templateFile);
        }
        if (command == "--fix-ids") {
            int32_t firstID = 0;
            for (size_t i = 1; i < args.size(); ++i) {
                if (args[i] == "--first-id" && i + 1 < args.size()) {
                    if (!TryStrToInt(args[++i], firstID) || firstID <= 0)
                        return usage();
                } else if (!args[i].empty() && args[i][0] == '-') {
                    return usage();
                } else {
                    files.push_back(args[i]);
                }
            }
            if (files.empty())
                return usage();
            return fixIDs(files, firstID);
        }
        return usage();
    } catch (const TFailure& f) {
        std::fprintf(stderr, "datc: %s\n", f.Message.c_str());
    } catch (const Exception& e) {
        std::fprintf(stderr, "datc: %s\n", e.Message.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "datc: %s\n", e.what());
    }
    return 1;
}
