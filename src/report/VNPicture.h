// TVNPicture: a picture as the report formats carry it - a kind byte and the graphic's own bytes,
// kept as they came so that saving gives back exactly what was loaded. The few facts the model
// needs (size and resolution of a bitmap) are read from the bytes on demand; decoding for
// drawing belongs to the platform's picture classes.
#pragma once

#include "VNStream.h"

#include <cstdint>
#include <string>

enum TVNPictureKind : std::uint8_t { pkNone = 0, pkBitmap = 1, pkMetafile = 2, pkIcon = 3, pkJPEG = 4 };

class TVNPicture {
public:
    std::uint8_t Kind = pkNone;
    std::string Data; // the graphic's own stream format

    bool Empty() const { return Kind == pkNone || Data.empty(); }
    void Clear() {
        Kind = pkNone;
        Data.clear();
    }

    // Natural size in pixels and horizontal resolution (pixels per inch; 96 when unknown).
    int PixelWidth() const;
    int PixelHeight() const;
    int PixelsPerInch() const;
    // Size in report pixels: size x 96 / resolution (the rule old files use for backgrounds).
    int ReportWidth() const;
    int ReportHeight() const;

    // Loads a file, recognising bitmaps ("BM"), JPEG (FF D8) and icons; false when unreadable.
    bool LoadFromFile(const std::string& fileName);

    // Stream encoding: byte kind, [byte blobType], int32 absolute end position, graphic bytes.
    // Reading checks the end position against the stream and consumes exactly up to it.
    void Write(TVNStream& s, const std::uint8_t* blobType = nullptr) const;
    void Read(TVNStream& s, std::uint8_t* blobType = nullptr);
    friend bool operator==(const TVNPicture&, const TVNPicture&) = default;
};
