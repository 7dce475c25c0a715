// Bounds-checked little-endian byte stream with the report formats' text encodings.
#include "VNStream.h"

#include "platform/AtomicFile.h"

#include <cstring>
#include <fstream>
#include <iterator>

void TVNStream::Need(std::size_t count) const {
    if (count > Remaining()) throw EVNStreamError("read beyond the end of the stream");
}

void TVNStream::Seek(std::size_t pos) {
    if (pos > FData.size()) throw EVNStreamError("seek beyond the end of the stream");
    FPos = pos;
}

std::uint8_t TVNStream::ReadByte() {
    Need(1);
    return std::uint8_t(FData[FPos++]);
}

std::uint16_t TVNStream::ReadUInt16() {
    Need(2);
    std::uint16_t v = std::uint8_t(FData[FPos]) | (std::uint16_t(std::uint8_t(FData[FPos + 1])) << 8);
    FPos += 2;
    return v;
}

std::int16_t TVNStream::ReadInt16() {
    return std::int16_t(ReadUInt16());
}

std::int32_t TVNStream::ReadInt32() {
    Need(4);
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | std::uint8_t(FData[FPos + i]);
    FPos += 4;
    return std::int32_t(v);
}

float TVNStream::ReadFloat() {
    std::uint32_t bits = std::uint32_t(ReadInt32());
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

double TVNStream::ReadDouble() {
    std::uint64_t lo = std::uint32_t(ReadInt32());
    std::uint64_t hi = std::uint32_t(ReadInt32());
    std::uint64_t bits = lo | (hi << 32);
    double d;
    std::memcpy(&d, &bits, 8);
    return d;
}

std::string TVNStream::ReadBytes(std::size_t count) {
    Need(count);
    std::string s = FData.substr(FPos, count);
    FPos += count;
    return s;
}

void TVNStream::Skip(std::size_t count) {
    Need(count);
    FPos += count;
}

void TVNStream::WriteBytes(std::string_view bytes) {
    if (FPos == FData.size()) {
        FData.append(bytes);
    } else {
        if (FPos + bytes.size() > FData.size()) FData.resize(FPos + bytes.size());
        FData.replace(FPos, bytes.size(), bytes);
    }
    FPos += bytes.size();
}

void TVNStream::WriteByte(std::uint8_t v) {
    if (FPos == FData.size()) {
        FData.push_back(char(v));
        ++FPos;
    } else {
        char c = char(v);
        WriteBytes(std::string_view(&c, 1));
    }
}

void TVNStream::WriteUInt16(std::uint16_t v) {
    char b[2] = {char(v & 0xFF), char(v >> 8)};
    WriteBytes(std::string_view(b, 2));
}

void TVNStream::WriteInt16(std::int16_t v) {
    WriteUInt16(std::uint16_t(v));
}

void TVNStream::WriteInt32(std::int32_t v) {
    std::uint32_t u = std::uint32_t(v);
    char b[4] = {char(u & 0xFF), char((u >> 8) & 0xFF), char((u >> 16) & 0xFF), char(u >> 24)};
    WriteBytes(std::string_view(b, 4));
}

void TVNStream::WriteFloat(float v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, 4);
    WriteInt32(std::int32_t(bits));
}

void TVNStream::WriteDouble(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, 8);
    WriteInt32(std::int32_t(std::uint32_t(bits)));
    WriteInt32(std::int32_t(std::uint32_t(bits >> 32)));
}

void TVNStream::PatchInt32(std::size_t pos, std::int32_t v) {
    std::size_t keep = FPos;
    Seek(pos);
    WriteInt32(v);
    FPos = keep;
}

AnsiString TVNStream::ReadStr() {
    if (Version < 23) {
        // Old texts run up to a zero byte.
        std::size_t end = FData.find('\0', FPos);
        if (end == std::string::npos) throw EVNStreamError("unterminated text");
        AnsiString s = FData.substr(FPos, end - FPos);
        FPos = end + 1;
        return s;
    }
    std::size_t n = ReadUInt16();
    Need(n + 1);
    AnsiString s = FData.substr(FPos, n);
    FPos += n + 1; // the text is followed by one zero byte
    return s;
}

TVNStrings TVNStream::ReadStrList() {
    TVNStrings lines;
    if (Version < 23) {
        // Bytes where 13 or 0 ends a line and 0 ends the list; a final empty line is dropped.
        AnsiString line;
        for (;;) {
            std::uint8_t c = ReadByte();
            if (c == 13 || c == 0) {
                lines.push_back(line);
                line.clear();
                if (c == 0) break;
            } else if (c != 10) {
                line.push_back(char(c));
            }
        }
        if (!lines.empty() && lines.back().empty()) lines.pop_back();
        return lines;
    }
    std::size_t count = ReadUInt16();
    // Every line takes at least its two length bytes: a count the rest cannot hold is damage.
    if (count * 2 > Remaining()) throw EVNStreamError("line count beyond the end of the stream");
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t n = ReadUInt16();
        lines.push_back(ReadBytes(n));
        if (i + 1 < count) Skip(1); // the 13 between lines
    }
    Skip(1); // the closing 0
    return lines;
}

// One encoder for texts: the record writer's, so records and single texts cannot drift apart.
void TVNStream::WriteStr(std::string_view s) {
    TVNRecordWriter w(*this);
    w.Str(s);
    w.Flush();
}

void TVNStream::WriteStrList(const TVNStrings& lines) {
    TVNRecordWriter w(*this);
    w.StrList(lines);
    w.Flush();
}

// ---- record writer ------------------------------------------------------------------------------

void TVNRecordWriter::Bytes(std::string_view bytes) {
    if (bytes.size() > Capacity - FSize) {
        Flush();
        if (bytes.size() > Capacity) {
            FStream.WriteBytes(bytes);
            return;
        }
    }
    if (bytes.empty()) return;
    std::memcpy(FData + FSize, bytes.data(), bytes.size());
    FSize += bytes.size();
}

// The general way of Text: the length is cut to 16 bits, what is gathered is passed on when the
// text does not fit after it, and a text longer than the whole buffer goes in parts.
void TVNRecordWriter::LongText(std::string_view s, char end) {
    if (s.size() > VNMaxStrLength) s = s.substr(0, VNMaxStrLength);
    if (s.size() + 3 <= Capacity) {
        Flush();
        Text(s, end);
        return;
    }
    U16(std::uint16_t(s.size()));
    Bytes(s);
    Byte(std::uint8_t(end));
}

// Lines are parted by 13 and the list closed by 0; more than 0xFFFF lines keep the first 0xFFFF.
void TVNRecordWriter::StrList(const TVNStrings& lines) {
    const std::size_t count = lines.size() > VNMaxStrLength ? VNMaxStrLength : lines.size();
    U16(std::uint16_t(count));
    if (count == 0) {
        Byte(0);
        return;
    }
    // Each line but the last is followed by 13; the last line's end byte is the list's closing 0.
    for (std::size_t i = 0; i < count; ++i)
        Text(lines[i], i + 1 < count ? char(13) : char(0));
}

// ---- files --------------------------------------------------------------------------------------

bool TVNStream::LoadFromFile(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) return false;
    FData.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    FPos = 0;
    return true;
}

bool TVNStream::SaveToFile(const std::string& fileName) const {
    // All or nothing: an interrupted save never leaves half a file behind.
    try {
        AtomicWriteFile(fileName, FData);
        return true;
    } catch (const EFileWriteError&) {
        return false;
    }
}
