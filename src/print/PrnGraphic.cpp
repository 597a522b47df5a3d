// libjpeg reports a fatal error through error_exit, which must not return: we leave with longjmp to the frame
// that set it, which holds only plain data, so no destructor is skipped.
#include "print/PrnGraphic.h"

#include <csetjmp>
#include <cstdio>
#include <mutex>

#include <jpeglib.h>

namespace {
struct TJpegError {
    jpeg_error_mgr Manager;
    std::jmp_buf Jump;
};

[[noreturn]] void JpegErrorExit(j_common_ptr Info)
{
    std::longjmp(reinterpret_cast<TJpegError*>(Info->err)->Jump, 1);
}

void JpegQuiet(j_common_ptr) {}

std::mutex ReaderLock;
TPrnBitmapReader BitmapReader;
}

bool PrnJpegSize(const std::string& Data, int& Width, int& Height)
{
    if (Data.empty())
        return false;
    jpeg_decompress_struct info;
    TJpegError error;
    info.err = jpeg_std_error(&error.Manager);
    error.Manager.error_exit = JpegErrorExit;
    error.Manager.output_message = JpegQuiet;
    if (setjmp(error.Jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(Data.data()), (unsigned long)Data.size());
    bool ok = jpeg_read_header(&info, TRUE) == JPEG_HEADER_OK && info.image_width > 0 && info.image_height > 0;
    if (ok) {
        Width = int(info.image_width);
        Height = int(info.image_height);
    }
    jpeg_destroy_decompress(&info);
    return ok;
}

void SetPrnBitmapReader(TPrnBitmapReader Reader)
{
    std::lock_guard<std::mutex> l(ReaderLock);
    BitmapReader = std::move(Reader);
}

namespace {
// Reads the picture's size; false when its kind can be read and this one cannot.
bool ReadSize(TPrnGraphic& G)
{
    switch (G.Kind) {
    case pgJpeg: return PrnJpegSize(G.Data, G.Width, G.Height);
    case pgBitmap: {
        TPrnBitmapReader r;
        {
            std::lock_guard<std::mutex> l(ReaderLock);
            r = BitmapReader;
        }
        return !r || r(G.Data, G.Width, G.Height);
    }
    case pgMetafile: return true;
    }
    return false;
}
}

TPrnGraphic* TPrnGraphicList::AddGraphic(TPrnGraphicKind Kind, std::string Data)
{
    auto g = std::make_unique<TPrnGraphic>();
    g->Kind = Kind;
    g->Data = std::move(Data);
    if (CompareGraphics)
        for (size_t i = 0; i < FItems.size(); ++i)
            if (FItems[i]->SameContent(*g)) {
                ++FCounts[i];
                return FItems[i].get();
            }
    if (!ReadSize(*g))
        throw EPrnError(Kind == pgJpeg ? "The JPEG picture cannot be read." : "The bitmap cannot be read.");
    return Append(std::move(g));
}

void TPrnGraphicList::SaveToStream(TPrnWriter& W) const
{
    TPrnMemoryStream& Stream = W.Target();
    W.WriteInteger(Count());
    for (const auto& g : FItems) {
        uint8_t kind = g->Kind;
        Stream.Write(&kind, 1);
        W.WriteInteger(int32_t(Stream.Position + 4 + g->Data.size()));
        Stream.Write(g->Data.data(), g->Data.size());
    }
    PrnSaveReferenceCounts(W, FCounts);
}

void TPrnGraphicList::LoadFromStream(TPrnReader& R)
{
    TPrnMemoryStream& Stream = R.Source();
    std::vector<std::unique_ptr<TPrnGraphic>> items;
    std::vector<int> stored;   // the stored index of each kept picture, for its reference count
    int n = R.ReadInteger();
    if (n < 0)
        throw EReadError("Stream read error");
    for (int i = 0; i < n; ++i) {
        uint8_t kind = 0;
        Stream.Read(&kind, 1);
        int32_t end = R.ReadInteger();
        if (end < 0 || size_t(end) < Stream.Position || size_t(end) > Stream.Data.size())
            throw EReadError("Stream read error");
        if (kind <= pgBitmap) {
            auto g = std::make_unique<TPrnGraphic>();
            g->Kind = TPrnGraphicKind(kind);
            g->Data = Stream.Data.substr(Stream.Position, size_t(end) - Stream.Position);
            ReadSize(*g);   // a picture that cannot be read is still kept as it was stored
            items.push_back(std::move(g));
            stored.push_back(i);
        }
        Stream.Position = size_t(end);
    }
    std::vector<int> all = PrnLoadReferenceCounts(R, std::vector<int>(size_t(n), 1));
    TPrnGraphicList loaded;
    for (size_t k = 0; k < items.size(); ++k)
        loaded.Append(std::move(items[k]), all[size_t(stored[k])]);
    TakeLoaded(std::move(loaded));
}
