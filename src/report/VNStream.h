// The byte stream every report format is written to and read from: report streams, templates,
// dictionary files, built page records and prepared report files.
//
// Everything is little-endian. Reads are bounds-checked: a read past the end, or a length or
// count larger than what is left of the stream, throws EVNStreamError before anything is
// allocated, so a damaged file can never make a reader allocate beyond its own size, crash or
// loop. The text encodings depend on the stream version the reader is working with: from
// version 23 a text is "uint16 length, bytes, 0"; before, texts end at a zero byte.
#pragma once

#include "platform/AnsiString.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

class EVNStreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using TVNStrings = std::vector<AnsiString>;

class TVNStream {
public:
    TVNStream() = default;
    explicit TVNStream(std::string bytes) : FData(std::move(bytes)) {}

    // Version of the format being read or written; selects the text encodings and the view
    // record rules. VersionCode is version * 100 + sub-version * 10 + second sub-version.
    int Version = 43;
    int VersionCode = 4311;
    int SubVersion2 = 11;

    const std::string& Data() const { return FData; }
    std::string& Data() { return FData; }
    std::size_t Size() const { return FData.size(); }
    std::size_t Position() const { return FPos; }
    std::size_t Remaining() const { return FPos < FData.size() ? FData.size() - FPos : 0; }
    bool AtEnd() const { return FPos >= FData.size(); }
    // Seeking outside 0..Size() throws.
    void Seek(std::size_t pos);
    void Clear() {
        FData.clear();
        FPos = 0;
    }

    // Primitives.
    std::uint8_t ReadByte();
    std::int16_t ReadInt16();
    std::uint16_t ReadUInt16();
    std::int32_t ReadInt32();
    float ReadFloat();
    double ReadDouble();
    std::string ReadBytes(std::size_t count);
    void Skip(std::size_t count);

    void WriteByte(std::uint8_t v);
    void WriteInt16(std::int16_t v);
    void WriteUInt16(std::uint16_t v);
    void WriteInt32(std::int32_t v);
    void WriteFloat(float v);
    void WriteDouble(double v);
    void WriteBytes(std::string_view bytes);
    // Overwrites 4 bytes at an earlier position (end positions written after their record).
    void PatchInt32(std::size_t pos, std::int32_t v);

    // Texts by the current version: "str" from version 23, zero-terminated before.
    AnsiString ReadStr();
    TVNStrings ReadStrList();
    void WriteStr(std::string_view s);
    void WriteStrList(const TVNStrings& lines);

    // Loading and saving whole files; false when the file cannot be read or written.
    bool LoadFromFile(const std::string& fileName);
    bool SaveToFile(const std::string& fileName) const;

private:
    void Need(std::size_t count) const;
    std::string FData;
    std::size_t FPos = 0;
};

// Keeps the last text of a strlist when the writer truncates a length to 16 bits: longer lines
// are cut, never written with a wrong length.
constexpr std::size_t VNMaxStrLength = 0xFFFF;
