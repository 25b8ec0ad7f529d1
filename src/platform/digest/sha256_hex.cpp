#include "platform/digest/sha256.h"

namespace voice {

std::wstring HexDigest(const Sha256Digest& digest) {
    static constexpr wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring text;
    text.reserve(digest.size() * 2);
    for (std::uint8_t b : digest) {
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0F];
    }
    return text;
}

} // namespace voice
