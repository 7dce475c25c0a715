// Little-endian integers appended to and read from byte strings, for the binary formats the
// platform writes and reads itself (metafiles). Reading is bounds-checked by the caller's size
// tests; the readers here assume the bytes are present.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

inline void PutLE16(std::string& out, std::uint32_t v) {
    out.push_back(char(v & 0xFF));
    out.push_back(char((v >> 8) & 0xFF));
}

inline void PutLE32(std::string& out, std::uint32_t v) {
    PutLE16(out, v & 0xFFFF);
    PutLE16(out, v >> 16);
}

inline void PatchLE32(std::string& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[at + std::size_t(i)] = char((v >> (8 * i)) & 0xFF);
}

inline void PatchLE16(std::string& out, std::size_t at, std::uint32_t v) {
    out[at] = char(v & 0xFF);
    out[at + 1] = char((v >> 8) & 0xFF);
}

inline void PutFloat32(std::string& out, float f) {
    std::uint32_t v;
    std::memcpy(&v, &f, 4);
    PutLE32(out, v);
}

inline std::uint32_t GetLE16(std::string_view b, std::size_t at) {
    return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8;
}

inline std::uint32_t GetLE32(std::string_view b, std::size_t at) {
    return GetLE16(b, at) | GetLE16(b, at + 2) << 16;
}

inline std::int32_t GetI32(std::string_view b, std::size_t at) {
    return std::int32_t(GetLE32(b, at));
}

inline std::int16_t GetI16(std::string_view b, std::size_t at) {
    return std::int16_t(GetLE16(b, at));
}

inline float GetFloat32(std::string_view b, std::size_t at) {
    std::uint32_t v = GetLE32(b, at);
    float f;
    std::memcpy(&f, &v, 4);
    return f;
}
