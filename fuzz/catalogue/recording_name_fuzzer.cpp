// DecodeRecordingName: any text decodes to a start of the recorder's range or the
// fallback, or raises DateEncodeError; nothing else.
#include "catalogue/recording_name.h"
#include "fuzz_text.h"
#include "platform/app_error.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace voice;
    const std::wstring name = fuzzing::WideText(data, size);
    try {
        const DateTimeParts p = DecodeRecordingParts(name);
        const bool fallback = p == DateTimeParts{1900, 1, 1, 0, 0, 0};
        if (!fallback &&
            (p.year < 1999 || p.year > 2037 || !IsValidDate(p.year, p.month, p.day) || p.hour < 0 ||
             p.hour > 23 || p.minute < 0 || p.minute > 59 || p.second < 0 || p.second > 59))
            std::abort();
        if (DecodeDateTime(DecodeRecordingName(name)) != p)
            std::abort();
    } catch (const DateEncodeError&) {
    }
    return 0;
}
