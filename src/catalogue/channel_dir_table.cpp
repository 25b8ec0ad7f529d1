#include "catalogue/channel_dir_table.h"

#include <algorithm>
#include <cstring>

namespace voice {
namespace {

ChannelDirTable::Bytes MakeDefault() noexcept {
    ChannelDirTable::Bytes bytes{};
    for (std::size_t k = 0; k < ChannelDirTable::kEntryCount; ++k)
        std::memcpy(bytes.data() + k * ChannelDirTable::kEntrySize, "c:\\", 3);
    return bytes;
}

} // namespace

ChannelDirTable::ChannelDirTable() noexcept : bytes_(DefaultBytes()) {}

const ChannelDirTable::Bytes& ChannelDirTable::DefaultBytes() noexcept {
    static const Bytes bytes = MakeDefault();
    return bytes;
}

std::string ChannelDirTable::GetChannelDirBytes(int k) const {
    if (k < 0 || k >= kEntryCount)
        return {};
    const unsigned char* entry = bytes_.data() + static_cast<std::size_t>(k) * kEntrySize;
    const unsigned char* end = std::find(entry, entry + kEntrySize, 0);
    return std::string(entry, end);
}

bool ChannelDirTable::SetChannelDirBytes(int k, std::string_view path) noexcept {
    if (k < 0 || k >= kEntryCount || path.size() > kMaxPathLength)
        return false;
    unsigned char* entry = bytes_.data() + static_cast<std::size_t>(k) * kEntrySize;
    std::memcpy(entry, path.data(), path.size());
    entry[path.size()] = 0;
    return true;
}

} // namespace voice
