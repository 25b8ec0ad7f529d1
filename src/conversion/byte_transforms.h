#pragma once
// The byte functions of the stored forms, as 256-entry tables so the decoding loops do
// one lookup per byte. Portable: no <windows.h>.

#include <array>
#include <cstdint>

namespace voice {

using ByteTable = std::array<std::uint8_t, 256>;

constexpr std::uint8_t RotateRight(std::uint8_t b, unsigned k) noexcept {
    return static_cast<std::uint8_t>((b >> k) | (b << (8 - k)));
}
constexpr std::uint8_t RotateLeft(std::uint8_t b, unsigned k) noexcept {
    return static_cast<std::uint8_t>((b << k) | (b >> (8 - k)));
}
constexpr std::uint8_t Invert(std::uint8_t b) noexcept {
    return static_cast<std::uint8_t>(~b);
}

// The same functions in arithmetic form, for loops the compiler can vectorise.
constexpr std::uint8_t InvertedSample(std::uint8_t b) noexcept {
    return Invert(RotateRight(b, 3));
}
constexpr std::uint8_t SwappedSample(std::uint8_t b) noexcept {
    return Invert(RotateRight(b, 4));
}
constexpr std::uint8_t PlainSample(std::uint8_t b) noexcept {
    return b;
}

namespace detail {
template <typename F> constexpr ByteTable Tabulate(F f) {
    ByteTable table{};
    for (unsigned b = 0; b < 256; ++b)
        table[b] = f(static_cast<std::uint8_t>(b));
    return table;
}
} // namespace detail

// Kind 3 samples and kind 4 samples/markers: rotate right by 3 of the inverted byte.
inline constexpr ByteTable kInvertedSample =
    detail::Tabulate([](std::uint8_t b) { return RotateRight(Invert(b), 3); });
static_assert(kInvertedSample[0x12] == InvertedSample(0x12));
// Kind 4 count bytes: rotate right by 2 of the inverted byte.
inline constexpr ByteTable kInvertedCount =
    detail::Tabulate([](std::uint8_t b) { return RotateRight(Invert(b), 2); });
// Kind 5: inverted nibble swap. It is its own inverse.
inline constexpr ByteTable kSwappedSample =
    detail::Tabulate([](std::uint8_t b) { return Invert(RotateRight(b, 4)); });
static_assert(kSwappedSample[0x12] == SwappedSample(0x12));
// Kind 6 stores its bytes as they are.
inline constexpr ByteTable kPlainSample = detail::Tabulate([](std::uint8_t b) { return b; });

} // namespace voice
