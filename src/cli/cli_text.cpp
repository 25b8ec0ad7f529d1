#include "cli/cli_text.h"

#include <cwchar>

#include "platform/utf8.h"

namespace voice::cli {

std::wstring EscapeControls(std::wstring_view text) {
    std::wstring escaped;
    escaped.reserve(text.size());
    for (const wchar_t c : text) {
        const int byte = voice::KeptByte(c);
        if (byte >= 0) {
            // A byte of a name that is no text.
            wchar_t code[8];
            std::swprintf(code, 8, L"\\x%02X", static_cast<unsigned>(byte));
            escaped += code;
        } else if (c >= 0x20 && c != 0x7F) {
            escaped += c;
        } else if (c == L'\n') {
            escaped += L"\\n";
        } else if (c == L'\r') {
            escaped += L"\\r";
        } else if (c == L'\t') {
            escaped += L"\\t";
        } else {
            wchar_t code[8];
            std::swprintf(code, 8, L"\\x%02X", static_cast<unsigned>(c));
            escaped += code;
        }
    }
    return escaped;
}

} // namespace voice::cli
