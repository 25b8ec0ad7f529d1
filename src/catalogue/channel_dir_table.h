#pragma once
// The eight channels' base directories: 8 entries of 256 bytes, channel 1 first, each
// a zero-terminated path in the ANSI code page. BegDir.Ini is a byte-for-byte image.
// Bytes after an entry's terminator are kept as they are (and saved with the rest).
// Portable; the file and the wide-text view are in channel_dir_file.h.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace voice {

class ChannelDirTable {
public:
    static constexpr int kEntryCount = 8;
    static constexpr std::size_t kEntrySize = 256;
    static constexpr std::size_t kMaxPathLength = kEntrySize - 1;
    static constexpr std::size_t kSize = kEntryCount * kEntrySize;
    using Bytes = std::array<unsigned char, kSize>;

    // Starts as the default table.
    ChannelDirTable() noexcept;

    // Every entry "c:\" followed by 253 zero bytes.
    static const Bytes& DefaultBytes() noexcept;
    void ResetToDefault() noexcept { bytes_ = DefaultBytes(); }

    const Bytes& Data() const noexcept { return bytes_; }
    Bytes& Data() noexcept { return bytes_; }

    // Entry k (0..7): the bytes up to the first zero byte, or all 256 without one.
    std::string GetChannelDirBytes(int k) const;
    // Writes the path and one zero byte at the start of entry k; the rest of the entry
    // stays. A path over 255 bytes does not fit: refused (false), the entry untouched.
    bool SetChannelDirBytes(int k, std::string_view path) noexcept;

private:
    Bytes bytes_;
};

} // namespace voice
