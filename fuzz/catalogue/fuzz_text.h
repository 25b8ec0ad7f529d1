#pragma once
// Fuzzer bytes as the wide text the catalogue sees: bytes of code page 1251's letter
// range become Cyrillic letters, everything else keeps its value.

#include <cstddef>
#include <cstdint>
#include <string>

namespace voice::fuzzing {

inline wchar_t WideOf(std::uint8_t byte) {
    return byte >= 0xC0 ? static_cast<wchar_t>(0x0410 + (byte - 0xC0)) : static_cast<wchar_t>(byte);
}

inline std::wstring WideText(const std::uint8_t* data, std::size_t size) {
    std::wstring text;
    text.reserve(size);
    for (std::size_t k = 0; k < size; ++k)
        text.push_back(WideOf(data[k]));
    return text;
}

} // namespace voice::fuzzing
