// The help project file with its includes, as the context map and the help viewer's store read it at start and at
// F1: any project and include text must give a result in bounded time and memory, without a crash, and without
// reading a file outside the folder. Input: the project, then up to three include files ("a.h", "sub/b.h",
// "c.h"), cut at NUL bytes. No dialogs in a fuzz run.
#include "FuzzHelpFolder.h"
#include "help/ContextMap.h"
#include "help/HelpStore.h"
#include "platform/Dialogs.h"
#include "platform/Exception.h"
#include "support/RecordingDialogs.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    static TSilentDialogs Silent;
    static TDialogsScope Scope(&Silent);
    std::vector<std::string_view> P = SplitAtNul(Data, Size, 4);
    std::string Chm = FillHelpFolder({{"x.hhp", P[0]}, {"a.h", P[1]}, {"sub/b.h", P[2]}, {"c.h", P[3]}});
    std::string Project = Chm.substr(0, Chm.size() - 4) + ".help/x.hhp";

    THelpContextMap Map;
    try {
        Map.SetFileName(Project);
    } catch (const Exception&) {
        std::abort();   // the project exists: reading it never raises
    }
    if (Map.Records().size() > MaxContextRecords)
        std::abort();
    for (size_t i = 1; i < Map.Records().size(); ++i)
        if (Map.Records()[i - 1].Hash > Map.Records()[i].Hash)
            std::abort();
    for (const auto& R : Map.Records())
        (void)Map.FindContext(std::to_string(R.Context));
    THelpContextMap Back;
    if (!Back.ReadFileData(Map.FileData()) || Back.Records().size() != Map.Records().size())
        std::abort();

    THelpStore Store;
    if (!Store.Load(Chm))
        std::abort();
    for (const auto& R : Map.Records()) {
        (void)Store.TopicOfContext(R.Context);
        (void)Store.PopupText(R.Context);
    }
    for (const THelpContentsItem& I : Store.Contents())
        (void)Store.ResolveTopic(I.Local);
    return 0;
}
