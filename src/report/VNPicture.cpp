// Pictures kept as raw bytes with their kind, and their stream encoding.
#include "VNPicture.h"

#include "platform/AtomicFile.h"

static std::uint32_t LE32(const std::string& d, std::size_t at) {
    if (at + 4 > d.size()) return 0;
    return std::uint32_t(std::uint8_t(d[at])) | (std::uint32_t(std::uint8_t(d[at + 1])) << 8) |
           (std::uint32_t(std::uint8_t(d[at + 2])) << 16) | (std::uint32_t(std::uint8_t(d[at + 3])) << 24);
}

// A bitmap is a BMP file: the info header starts at byte 14 (width at 18, height at 22,
// horizontal pixels per metre at 38).
int TVNPicture::PixelWidth() const {
    if (Kind != pkBitmap) return 0;
    return int(std::int32_t(LE32(Data, 18)));
}

int TVNPicture::PixelHeight() const {
    if (Kind != pkBitmap) return 0;
    std::int32_t h = std::int32_t(LE32(Data, 22));
    return h < 0 ? -h : h;
}

int TVNPicture::PixelsPerInch() const {
    if (Kind != pkBitmap) return 96;
    std::uint32_t ppm = LE32(Data, 38);
    int ppi = int(ppm * 254 / 10000.0 + 0.5);
    return ppi > 0 ? ppi : 96;
}

int TVNPicture::ReportWidth() const {
    return int(std::int64_t(PixelWidth()) * 96 / PixelsPerInch());
}
int TVNPicture::ReportHeight() const {
    return int(std::int64_t(PixelHeight()) * 96 / PixelsPerInch());
}

bool TVNPicture::LoadFromFile(const std::string& fileName) {
    std::string bytes;
    if (!ReadWholeFile(fileName, bytes) || bytes.size() < 2) {
        Clear();
        return false;
    }
    if (bytes[0] == 'B' && bytes[1] == 'M')
        Kind = pkBitmap;
    else if (std::uint8_t(bytes[0]) == 0xFF && std::uint8_t(bytes[1]) == 0xD8)
        Kind = pkJPEG;
    else if (bytes.size() >= 4 && bytes[0] == 0 && bytes[1] == 0 && bytes[2] == 1 && bytes[3] == 0)
        Kind = pkIcon;
    else
        Kind = pkMetafile;
    Data = std::move(bytes);
    return true;
}

void TVNPicture::Write(TVNStream& s, const std::uint8_t* blobType) const {
    std::uint8_t kind = Data.empty() ? std::uint8_t(pkNone) : Kind;
    s.WriteByte(kind);
    if (blobType) s.WriteByte(*blobType);
    std::size_t endAt = s.Position();
    s.WriteInt32(0);
    if (kind != pkNone) s.WriteBytes(Data);
    s.PatchInt32(endAt, std::int32_t(s.Position()));
}

void TVNPicture::Read(TVNStream& s, std::uint8_t* blobType) {
    Kind = s.ReadByte();
    if (blobType) *blobType = s.ReadByte();
    std::size_t start = s.Position() + 4;
    std::int64_t end = std::uint32_t(s.ReadInt32());
    if (end < std::int64_t(start) || std::uint64_t(end) > s.Size())
        throw EVNStreamError("picture end position outside the stream");
    Data = s.ReadBytes(std::size_t(end) - start);
    if (Kind == pkNone) Data.clear();
}
