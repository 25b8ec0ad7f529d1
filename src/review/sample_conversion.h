#pragma once
// 8-bit unsigned samples (128 = silence) to floats in [-1, 1) into a buffer of the
// caller's: the stretch converts every decoded sample of a recording with it.
// Portable: no <windows.h>.

#include <cstddef>
#include <cstdint>

namespace voice::review {

void FloatsFromU8(const std::uint8_t* from, std::size_t count, float* into) noexcept;

} // namespace voice::review
