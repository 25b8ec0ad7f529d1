#pragma once
// Numbers as every RIFF field holds them, least significant byte first: read and stored in
// place, or appended to bytes being built. The one home of that byte order for every WAV
// header, chunk and size field the program reads or writes. Portable: no <windows.h>.

#include <cstdint>
#include <vector>

namespace voice {

inline std::uint16_t LoadLittleEndian16(const std::uint8_t* at) noexcept {
    return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}

inline std::uint32_t LoadLittleEndian32(const std::uint8_t* at) noexcept {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

inline void StoreLittleEndian16(std::uint8_t* at, std::uint16_t value) noexcept {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

inline void StoreLittleEndian32(std::uint8_t* at, std::uint32_t value) noexcept {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
    at[2] = static_cast<std::uint8_t>(value >> 16);
    at[3] = static_cast<std::uint8_t>(value >> 24);
}

inline void AppendLittleEndian16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline void AppendLittleEndian32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    AppendLittleEndian16(out, static_cast<std::uint16_t>(value));
    AppendLittleEndian16(out, static_cast<std::uint16_t>(value >> 16));
}

} // namespace voice
