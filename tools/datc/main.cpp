// datc: the description compiler.
//   datc compile SRC... -o OUT          text XML sources -> one binary document (written atomically)
//   datc dump FILE [--template DESC]    any binary document as text XML on stdout
//   datc --fix-ids [--first-id N] SRC... writes missing "ID"s back into the sources (atomically); with N, the new
//                                        IDs come from the block of 100000 IDs that starts at N
// Sources are assembled in the order given (Assembly.h, docs/description.md): the first provides the root
// element, every later root must have the same tag and only its children are added, merged by tag and "Name";
// derived trees are built from the trees they name. Exit status 0 on success, 1 on an error, 2 on a usage error.
#include "Assembly.h"
#include "platform/AtomicFile.h"
#include "xml/XmlDoc.h"

#include <cstdio>
#include <iostream>

namespace {
int usage()
{
    std::fprintf(stderr,
        "usage: datc compile SRC... -o OUT\n"
        "       datc dump FILE [--template DESC]\n"
        "       datc --fix-ids [--first-id N] SRC...\n");
    return 2;
}

std::vector<TAssembly::TSourceText> readSources(const std::vector<std::string>& files)
{
    std::vector<TAssembly::TSourceText> sources;
    for (const std::string& f : files)
        sources.push_back({f, ReadWholeFile(f)});
    return sources;
}

int compile(const std::vector<std::string>& files, const std::string& out)
{
    TAssembly a;
    a.Assemble(readSources(files), 0);
    a.Doc.ShowErrors = false;
    if (!a.Doc.SaveToFile(out, true))
        throw TAssemblyError{out + ": " + a.Doc.LastError};
    return 0;
}

int dump(const std::string& file, const std::string& templateFile)
{
    std::unique_ptr<TXmlDoc> desc;
    if (!templateFile.empty()) {
        desc = std::make_unique<TXmlDoc>();
        desc->ShowErrors = false;
        if (!desc->LoadFromFile(templateFile, true))
            throw TAssemblyError{templateFile + ": " + desc->LastError};
    }
    TXmlDoc doc(desc.get());
    doc.ShowErrors = false;
    if (!doc.LoadFromFile(file, true))
        throw TAssemblyError{file + ": " + doc.LastError};
    if (!doc.WriteText(nullptr))
        throw TAssemblyError{file + ": " + doc.LastError};
    std::cout << doc.TextBuffer << "\r\n";
    std::cout.flush();
    return std::cout ? 0 : 1;
}

int fixIDs(const std::vector<std::string>& files, int32_t firstID)
{
    TAssembly a;
    a.Assemble(readSources(files), firstID);
    // Every rewritten text is made (and checked) before the first file is replaced.
    for (const TAssembly::TSourceText& s : a.SourcesWithNewIDs()) {
        WriteFileAtomic(s.FileName, s.Text);
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
    } catch (const TAssemblyError& f) {
        std::fprintf(stderr, "datc: %s\n", f.Message.c_str());
    } catch (const Exception& e) {
        std::fprintf(stderr, "datc: %s\n", e.Message.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "datc: %s\n", e.what());
    }
    return 1;
}
