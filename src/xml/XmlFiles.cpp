// Load and save entry points of TXmlDoc and its Execute as a long operation. Every entry point catches what the
// file forms throw, reports it once (OnResult(true), LastError, a message box in the main thread) and returns
// false. Saving to a file builds the whole image first and replaces the old file only when it is complete.
#include "platform/AtomicFile.h"
#include "platform/Dialogs.h"
#include "platform/MainThread.h"
#include "xml/XmlDoc.h"

#include <istream>
#include <ostream>
#include <sstream>
#include <typeinfo>

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

// The characters of a plain string stream from its read position on, read where they lie (restoring a kept
// document comes this way): a copy of a whole document first costs as much as a good part of reading it. The
// stream is left at its end, as reading it would leave it. False for any other stream.
bool viewOfStringStream(std::istream& In, std::string_view& Out)
{
    std::streambuf* buf = In.rdbuf();
    if (!buf || typeid(*buf) != typeid(std::stringbuf))
        return false;
    auto* sb = static_cast<std::stringbuf*>(buf);
    std::streamoff at = sb->pubseekoff(0, std::ios::cur, std::ios::in);
    std::string_view all = sb->view();
    if (at < 0 || size_t(at) > all.size())
        return false;
    Out = all.substr(size_t(at));
    sb->pubseekoff(0, std::ios::end, std::ios::in);
    return true;
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
        std::string copy;
        std::string_view data;
        if (!viewOfStringStream(In, data)) {
            copy = readAll(In);
            data = copy;
        }
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
