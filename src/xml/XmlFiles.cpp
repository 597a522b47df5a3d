// Load and save entry points of TXmlDoc and its Execute as a long operation. Every entry point catches what the
// file forms throw, reports it once (OnResult(true), LastError, a message box in the main thread) and returns
// false. Saving to a file builds the whole image first and replaces the old file only when it is complete.
#include "platform/AtomicFile.h"
#include "platform/Dialogs.h"
#include "platform/MainThread.h"
#include "xml/XmlDoc.h"

#include <istream>
#include <ostream>

namespace {
std::string readAll(std::istream& In)
{
    std::string data;
    std::streambuf* buf = In.rdbuf();
    if (!buf)
        throw EReadError("Stream read error");
    std::streamsize ready = buf->in_avail();
    if (ready > 0)
        data.reserve(size_t(ready));
    char chunk[65536];
    for (;;) {
        std::streamsize n = buf->sgetn(chunk, sizeof chunk);
        if (n <= 0)
            break;
        data.append(chunk, size_t(n));
    }
    return data;
}
}

void TXmlDoc::Report(const std::string& Message, bool ShowBox)
{
    LastError = Message;
    DoResult(true);
    if (ShowBox && ShowErrors)
        TMainThread::instance().invoke([&Message] { ShowError(Message); });
}

#define XML_ENTRY_POINT(body)                                              \
    LastError.clear();                                                     \
    try {                                                                  \
        body;                                                              \
        return true;                                                       \
    } catch (const EXmlParseError& e) {                                    \
        Report(e.Message, !e.Quiet);                                       \
    } catch (const Exception& e) {                                         \
        Report(e.Message, true);                                           \
    } catch (const std::bad_alloc&) {                                      \
        Report("Out of memory", true);                                     \
    } catch (const std::exception& e) {                                    \
        Report(e.what(), true);                                            \
    }                                                                      \
    return false;

bool TXmlDoc::SaveToStream(std::ostream& Out, bool Binary)
{
    XML_ENTRY_POINT({
        std::string image;
        if (Binary)
            WriteBinary(image);
        else
            WriteTextTo(image);
        Out.write(image.data(), std::streamsize(image.size()));
        Out.flush();
        if (!Out)
            throw EWriteError("Stream write error");
    })
}

bool TXmlDoc::LoadFromStream(std::istream& In, bool Binary)
{
    XML_ENTRY_POINT({
        std::string data = readAll(In);
        if (Binary)
            ReadBinary(data);
        else
            ParseTextFrom(data);
    })
}

bool TXmlDoc::SaveToFile(const std::string& FileName, bool Binary)
{
    XML_ENTRY_POINT({
        std::string image;
        if (Binary)
            WriteBinary(image);
        else
            WriteTextTo(image);
        WriteFileAtomic(FileName, image);
    })
}

bool TXmlDoc::LoadFromFile(const std::string& FileName, bool Binary)
{
    XML_ENTRY_POINT({
        std::string data = ReadWholeFile(FileName);
        if (Binary)
            ReadBinary(data);
        else
            ParseTextFrom(data);
    })
}

void TXmlDoc::Execute()
{
    switch (Operation) {
    case opLoadFromStream:
        DoMessage("Load data from stream");
        if (Stream)
            LoadFromStream(*Stream, Binary);
        else
            Report("Stream read error", true);
        break;
    case opSaveToStream:
        DoMessage("Save data to stream");
        if (Stream)
            SaveToStream(*Stream, Binary);
        else
            Report("Stream write error", true);
        break;
    case opLoadFromFile:
        DoMessage("Load data from file");
        LoadFromFile(FileName, Binary);
        break;
    case opSaveToFile:
        DoMessage("Save data to file");
        SaveToFile(FileName, Binary);
        break;
    default:
        break;
    }
}
