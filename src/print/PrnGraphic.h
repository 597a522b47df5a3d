// The pictures a document's pages may use, kept once each in the resource table: JPEG pictures (checked through
// libjpeg), bitmaps (checked by the decoder the Qt layer installs) and metafiles, whose bytes are kept as read and
// written back unchanged, since nothing here draws them. With CompareGraphics an equal picture (same kind, same
// bytes) is shared with a reference count instead of being stored twice.
//
// Stream form: the count; per picture a kind byte (0 JPEG, 1 metafile, 2 bitmap), the 32-bit stream position just
// after its data, and its bytes; then the reference counts. A kind this program does not know is skipped by its
// stored position, so a stream that holds one still loads. Plain C++.
#pragma once

#include "print/PrnResource.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

enum TPrnGraphicKind : uint8_t { pgJpeg = 0, pgMetafile = 1, pgBitmap = 2 };

struct TPrnGraphic {
    TPrnGraphicKind Kind = pgJpeg;
    std::string Data;   // the picture's own bytes (a JPEG file, a bitmap file, a metafile)
    int Width = 0, Height = 0;   // pixels; 0 when not known
    bool SameContent(const TPrnGraphic& G) const { return Kind == G.Kind && Data == G.Data; }
};

// Width and height of JPEG data through libjpeg; false when libjpeg cannot read its header.
bool PrnJpegSize(const std::string& Data, int& Width, int& Height);
// Bitmaps are read by the Qt layer; until it installs its reader, bitmaps are kept unchecked.
using TPrnBitmapReader = std::function<bool(const std::string& Data, int& Width, int& Height)>;
void SetPrnBitmapReader(TPrnBitmapReader Reader);

class TPrnGraphicList : public TPrnCountedList<TPrnGraphic> {
public:
    bool CompareGraphics = false;

    // A picture of the given kind from its bytes, with one reference (an equal one's count + 1 with
    // CompareGraphics). A JPEG or bitmap that cannot be read raises EPrnError and nothing is added.
    TPrnGraphic* AddGraphic(TPrnGraphicKind Kind, std::string Data);
    TPrnGraphic* GetGraphic(int Index) const { return Get(Index); }
    int IndexOfGraphic(const TPrnGraphic* G) const { return IndexOf(G); }

    void SaveToStream(TPrnWriter& W) const;
    // On a short or inconsistent stream (EReadError) the list is left as it was. Pictures are taken as stored.
    void LoadFromStream(TPrnReader& R);
};
