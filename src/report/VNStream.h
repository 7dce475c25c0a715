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
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
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

// Gathers the fields of one record in a fixed local buffer and hands them to the stream in a few
// large writes instead of one small write per field: the band engine writes a record for every
// printed view, and per-field stream calls were most of that cost. The bytes are exactly those
// the stream's own Write... calls would produce, in the same order and at the same position.
// A field that does not fit passes what is gathered first; a text longer than the whole buffer
// goes to the stream directly. Flush must be called when the record is complete.
class TVNRecordWriter {
public:
    static constexpr std::size_t Capacity = 512;

    explicit TVNRecordWriter(TVNStream& stream) : FStream(stream) {}
    TVNRecordWriter(const TVNRecordWriter&) = delete;
    TVNRecordWriter& operator=(const TVNRecordWriter&) = delete;

    // A run of fixed-size fields written through its own cursor (kept in a register rather than
    // going back to the writer's count after every field). It makes room for at most maxBytes
    // (no more than Capacity) and hands the count of bytes written back to the writer when it
    // ends; writing more than it made room for throws.
    class TFieldRun {
    public:
        TFieldRun(TVNRecordWriter& writer, std::size_t maxBytes) : FWriter(writer) {
            if (maxBytes > Capacity) throw std::length_error("record field run larger than the buffer");
            if (maxBytes > Capacity - writer.FSize) writer.Flush();
            FAt = writer.FData + writer.FSize;
            FEnd = FAt + maxBytes;
        }
        ~TFieldRun() { FWriter.FSize = std::size_t(FAt - FWriter.FData); }
        TFieldRun(const TFieldRun&) = delete;
        TFieldRun& operator=(const TFieldRun&) = delete;

        void Byte(std::uint8_t v) { Take(1)[0] = char(v); }
        void U16(std::uint16_t v) {
            char* p = Take(2);
            p[0] = char(v & 0xFF);
            p[1] = char(v >> 8);
        }
        void I32(std::int32_t v) {
            const auto u = std::uint32_t(v);
            char* p = Take(4);
            p[0] = char(u & 0xFF);
            p[1] = char((u >> 8) & 0xFF);
            p[2] = char((u >> 16) & 0xFF);
            p[3] = char(u >> 24);
        }

    private:
        char* Take(std::size_t n) {
            if (n > std::size_t(FEnd - FAt)) throw std::length_error("record field run overflow");
            char* p = FAt;
            FAt += n;
            return p;
        }
        TVNRecordWriter& FWriter;
        char* FAt;
        char* FEnd;
    };

    void Byte(std::uint8_t v) { TFieldRun(*this, 1).Byte(v); }
    void U16(std::uint16_t v) { TFieldRun(*this, 2).U16(v); }
    void I32(std::int32_t v) { TFieldRun(*this, 4).I32(v); }
    void Bytes(std::string_view bytes);
    // The stream's text encodings (TVNStream::WriteStr / WriteStrList), truncation included.
    void Str(std::string_view s) { Text(s, 0); }
    void StrList(const TVNStrings& lines);
    // Appends what is gathered to the stream.
    void Flush() {
        if (FSize == 0) return;
        FStream.WriteBytes(std::string_view(FData, FSize));
        FSize = 0;
    }

private:
    // "uint16 length, bytes" and one end byte (0 after a text, 13 between lines of a list). A
    // text that fits what is left of the buffer is copied in place; anything else (a full buffer,
    // a text longer than the buffer or than 0xFFFF bytes) takes the general way.
    void Text(std::string_view s, char end) {
        if (s.size() + 3 > Capacity - FSize) {
            LongText(s, end);
            return;
        }
        char* p = FData + FSize;
        p[0] = char(s.size() & 0xFF);
        p[1] = char(s.size() >> 8);
        if (!s.empty()) std::memcpy(p + 2, s.data(), s.size());
        p[2 + s.size()] = end;
        FSize += s.size() + 3;
    }
    void LongText(std::string_view s, char end);
    TVNStream& FStream;
    std::size_t FSize = 0;
    char FData[Capacity];
};
