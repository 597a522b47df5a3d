// The contents file and the popup file of a help folder, as the help viewer reads them: any text must give a
// contents list of bounded depth and popups without a crash or a hang, and entity decoding must be one pass.
// Input: the contents file, a NUL, then the popup file. No dialogs in a fuzz run.
#include "FuzzHelpFolder.h"
#include "help/HelpFiles.h"
#include "help/HelpStore.h"
#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"

#include <cstdlib>

namespace {
const char* const Project = "[OPTIONS]\nContents file=x.hhc\nTitle=Fuzz\n[WINDOWS]\n"
                            "Main=\"M\",\"x.hhc\",,\"a.htm\",\"a.htm\",,,,,0x2520,,0x3006,[10,20,410,320],,,,,,,0\n"
                            "[ALIAS]\nIDH_A=a.htm\n[MAP]\nIDH_A 1\nPOP_A 10\nPOP_B 11\n[TEXT POPUPS]\npop.txt\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    static TSilentDialogs Silent;
    static TDialogsScope Scope(&Silent);
    std::vector<std::string_view> P = SplitAtNul(Data, Size, 2);
    std::string Chm = FillHelpFolder({{"x.hhp", Project}, {"a.htm", "<html></html>"}, {"x.hhc", P[0]},
        {"pop.txt", P[1]}});
    THelpStore Store;
    if (!Store.Load(Chm))
        std::abort();
    for (const THelpContentsItem& I : Store.Contents()) {
        if (I.Level < 0 || I.Level > MaxContentsLevel)
            std::abort();
        (void)Store.ResolveTopic(I.Local);
    }
    for (int32_t C : {0, 1, 10, 11, 12})
        (void)Store.PopupText(C);

    // Decoding never grows a text and leaves one without "&" as it is.
    std::string_view Text = P[0];
    std::string Once = DecodeHelpEntities(Text);
    if (Once.size() > Text.size() || (Text.find('&') == std::string_view::npos && Once != Text))
        std::abort();
    return 0;
}
