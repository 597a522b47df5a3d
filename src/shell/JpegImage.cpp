// libjpeg reports fatal errors through error_exit, which must not return. We leave the decoder with longjmp back
// into Decode(), whose frame holds only plain data; the output buffer lives in the caller's frame, so no
// destructor is ever skipped and no local changed after setjmp is read afterwards.
#include "shell/JpegImage.h"

#include <QFile>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

namespace {

struct TJpegError {
    jpeg_error_mgr Manager;
    std::jmp_buf Jump;
};

[[noreturn]] void ErrorExit(j_common_ptr Info)
{
    std::longjmp(reinterpret_cast<TJpegError*>(Info->err)->Jump, 1);
}

// Warnings (a slightly damaged but readable file) are not worth a word on stderr.
void OutputMessage(j_common_ptr) {}

struct TDecoded {
    std::vector<unsigned char> Pixels;   // RGB, 3 bytes a pixel
    int Width = 0;
    int Height = 0;
};

// Larger pictures than this are refused instead of allocating what a hostile header asks for.
constexpr unsigned MaxSide = 8192;

bool Decode(const unsigned char* Data, unsigned long Size, TDecoded& Out)
{
    jpeg_decompress_struct Info;
    TJpegError Error;
    Info.err = jpeg_std_error(&Error.Manager);
    Error.Manager.error_exit = ErrorExit;
    Error.Manager.output_message = OutputMessage;
    if (setjmp(Error.Jump)) {
        jpeg_destroy_decompress(&Info);
        return false;
    }
    jpeg_create_decompress(&Info);
    jpeg_mem_src(&Info, Data, Size);
    if (jpeg_read_header(&Info, TRUE) != JPEG_HEADER_OK || Info.image_width == 0 || Info.image_height == 0 ||
        Info.image_width > MaxSide || Info.image_height > MaxSide) {
        jpeg_destroy_decompress(&Info);
        return false;
    }
    Info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&Info);
    if (Info.output_components != 3) {
        jpeg_destroy_decompress(&Info);
        return false;
    }
    Out.Width = int(Info.output_width);
    Out.Height = int(Info.output_height);
    Out.Pixels.resize(size_t(Info.output_width) * Info.output_height * 3);
    while (Info.output_scanline < Info.output_height) {
        JSAMPROW Row = Out.Pixels.data() + size_t(Info.output_scanline) * Info.output_width * 3;
        jpeg_read_scanlines(&Info, &Row, 1);
    }
    jpeg_finish_decompress(&Info);
    jpeg_destroy_decompress(&Info);
    return true;
}

} // namespace

QImage DecodeJpeg(const QByteArray& Data)
{
    if (Data.isEmpty())
        return {};
    TDecoded Decoded;
    if (!Decode(reinterpret_cast<const unsigned char*>(Data.constData()), static_cast<unsigned long>(Data.size()),
            Decoded))
        return {};
    QImage Image(Decoded.Width, Decoded.Height, QImage::Format_RGB32);
    if (Image.isNull())
        return {};
    const unsigned char* Src = Decoded.Pixels.data();
    for (int y = 0; y < Decoded.Height; ++y) {
        auto* Line = reinterpret_cast<QRgb*>(Image.scanLine(y));
        for (int x = 0; x < Decoded.Width; ++x, Src += 3)
            Line[x] = qRgb(Src[0], Src[1], Src[2]);
    }
    return Image;
}

// The pictures are compiled into the static UI library, where nothing else refers to them: the linker would drop
// them unless they are registered explicitly.
static void InitPictures()
{
    static const bool Done = [] {
        Q_INIT_RESOURCE(Images);
        return true;
    }();
    (void)Done;
}

QImage LoadJpeg(const QString& Path)
{
    InitPictures();
    QFile File(Path);
    if (!File.open(QIODevice::ReadOnly))
        return {};
    return DecodeJpeg(File.readAll());
}
