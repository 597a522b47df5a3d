// Arbitrary bytes from a "sender" into the XMODEM/YMODEM receiver: no crash, no endless loop, no file outside
// the target folder, and nothing left under a final name by a failed transfer. The line is a fake whose reads
// never wait (zero time-outs), so a run costs no real time. The first byte picks the mode and the chunking.
#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"
#include "serial/XYmodem.h"

#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Hands the input out in chunks, a few bytes per read of ours.
class TFuzzChannel : public TXYChannel {
public:
    TFuzzChannel(const uint8_t* Data, size_t Size, size_t Chunk) : Data(Data), Size(Size), Chunk(Chunk) {}
    size_t Read(uint8_t* Buffer, size_t Want, int) override
    {
        size_t n = std::min({Want, Size - Pos, Chunk});
        std::memcpy(Buffer, Data + Pos, n);
        Pos += n;
        return n;
    }
    void Write(const uint8_t*, size_t) override {}
    void PurgeInput() override {}

private:
    const uint8_t* Data;
    size_t Size, Pos = 0, Chunk;
};

std::string Folder()
{
    static std::string Dir = [] {
        char Tmpl[] = "/tmp/orlantis-fuzz-xy-XXXXXX";
        char* d = mkdtemp(Tmpl);
        if (!d)
            abort();
        return std::string(d);
    }();
    return Dir;
}

void EmptyFolder(const std::string& Dir, bool ExpectEmpty)
{
    DIR* D = opendir(Dir.c_str());
    if (!D)
        abort();
    while (dirent* E = readdir(D)) {
        if (!strcmp(E->d_name, ".") || !strcmp(E->d_name, ".."))
            continue;
        if (ExpectEmpty)
            abort();   // a failed transfer left a file behind
        unlink((Dir + "/" + E->d_name).c_str());
    }
    closedir(D);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    if (Size == 0)
        return 0;
    static TSilentDialogs Dialogs;
    TDialogs::setInstance(&Dialogs);
    static const uint8_t Modes[] = {1, 3, 5, 7, 9};
    uint8_t Mode = Modes[Data[0] % 5];
    size_t Chunk = 1 + (Data[0] >> 3) % 200;
    TFuzzChannel Line(Data + 1, Size - 1, Chunk);
    TXYmodem X(&Line);
    X.Timeouts = TXYTimeouts{0, 0, 0, 0};
    X.Mode = Mode;
    std::string Dir = Folder();
    X.FileName = Mode >= 7 ? Dir + "/" : Dir + "/got.vps";
    X.Execute();
    // A failed transfer leaves nothing; every successful one stays inside the folder.
    EmptyFolder(Dir, X.Failed && X.ReceivedFiles.empty());
    for (const std::string& F : X.ReceivedFiles)
        if (F.compare(0, Dir.size() + 1, Dir + "/") != 0 || F.find('/', Dir.size() + 1) != std::string::npos)
            abort();
    return 0;
}
