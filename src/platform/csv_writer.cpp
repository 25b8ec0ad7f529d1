#include "platform/csv_writer.h"

#include "platform/utf8.h"

namespace voice {

std::string CsvField(std::wstring_view text) {
    const bool quote = text.find_first_of(L";\"\r\n") != std::wstring_view::npos ||
                       (!text.empty() && (text.front() == L' ' || text.back() == L' '));
    if (!quote)
        return ToUtf8(text);
    std::wstring quoted = L"\"";
    for (wchar_t c : text) {
        if (c == L'"')
            quoted += L'"';
        quoted += c;
    }
    quoted += L'"';
    return ToUtf8(quoted);
}

std::string CsvRow(const std::vector<std::wstring>& fields) {
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            row += ';';
        row += CsvField(fields[i]);
    }
    row += "\r\n";
    return row;
}

} // namespace voice
