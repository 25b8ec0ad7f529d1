// DecodeDayDirName: any text decodes to a date of the recorder's range or the fallback,
// or raises DateEncodeError; nothing else.
#include "catalogue/recording_name.h"
#include "fuzz_text.h"
#include "platform/app_error.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace voice;
    const std::wstring path = fuzzing::WideText(data, size);
    try {
        const DateTimeParts p = DecodeDayDirParts(path);
        const bool fallback = p == DateTimeParts{1900, 1, 1, 0, 0, 0};
        if (!fallback && (p.year < 1999 || p.year > 2037 || !IsValidDate(p.year, p.month, p.day) ||
                          p.hour != 0 || p.minute != 0 || p.second != 0))
            std::abort();
        if (DecodeDayDirName(path) != EncodeDateTime(p))
            std::abort();
    } catch (const DateEncodeError&) {
    }
    return 0;
}
