// Building BIFF8 records: little-endian record data and a stream that frames records as type,
// length and data, continuing data past the format's 8224-byte record limit in CONTINUE records.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace biff {

constexpr std::size_t MaxRecordData = 8224;
constexpr std::uint16_t rtContinue = 0x003C;

// The data of one record.
struct TData {
    std::string Bytes;
    TData& U8(unsigned v) {
        Bytes += char(v & 0xFF);
        return *this;
    }
    TData& U16(unsigned v) { return U8(v).U8(v >> 8); }
    TData& U32(std::uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
    TData& F64(double v) {
        std::uint64_t bits;
        std::memcpy(&bits, &v, 8);
        return U32(std::uint32_t(bits)).U32(std::uint32_t(bits >> 32));
    }
    TData& Raw(std::string_view bytes) {
        Bytes += bytes;
        return *this;
    }
    // UTF-16LE characters without any count or flag.
    TData& Chars(std::u16string_view text) {
        for (char16_t c : text)
            U16(c);
        return *this;
    }
    // Count (8-bit), flag 1, UTF-16 characters: font and sheet names.
    TData& ShortUnicode(std::u16string_view text) { return U8(unsigned(text.size())).U8(1).Chars(text); }
    // Count (16-bit), flag 1, UTF-16 characters: format texts, headers and footers.
    TData& Unicode(std::u16string_view text) { return U16(unsigned(text.size())).U8(1).Chars(text); }
    std::size_t Size() const { return Bytes.size(); }
};

class TStream {
public:
    std::string Bytes;
    std::size_t Position() const { return Bytes.size(); }

    // One record; data past 8224 bytes goes on in CONTINUE records.
    void Record(std::uint16_t type, std::string_view data) {
        std::size_t chunk = std::min(data.size(), MaxRecordData);
        Header(type, chunk);
        Bytes.append(data.substr(0, chunk));
        for (std::size_t at = chunk; at < data.size(); at += chunk) {
            chunk = std::min(data.size() - at, MaxRecordData);
            Header(rtContinue, chunk);
            Bytes.append(data.substr(at, chunk));
        }
    }
    void Record(std::uint16_t type, const TData& data) { Record(type, std::string_view(data.Bytes)); }
    void Record(std::uint16_t type) { Record(type, std::string_view()); }
    void RecordU16(std::uint16_t type, unsigned value) { Record(type, TData().U16(value)); }

    void PatchU32(std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            Bytes[at + std::size_t(i)] = char((v >> (8 * i)) & 0xFF);
    }
    void PatchU16(std::size_t at, unsigned v) {
        Bytes[at] = char(v & 0xFF);
        Bytes[at + 1] = char((v >> 8) & 0xFF);
    }

private:
    void Header(std::uint16_t type, std::size_t length) {
        const char h[4] = {char(type & 0xFF), char(type >> 8), char(length & 0xFF), char(length >> 8)};
        Bytes.append(h, 4);
    }
};

} // namespace biff
