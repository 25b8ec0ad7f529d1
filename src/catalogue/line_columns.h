#pragma once
// What a list line holds, as everything past the list reads it (the commands, the incident,
// the command line): the display columns, the true instants and the path. Portable.

#include <cstdint>
#include <string>
#include <string_view>

#include "catalogue/date_time.h"

namespace voice {

struct LineColumns {
    int channel = 0;
    DateTimeParts start; // four-digit year
    DateTimeParts end;   // as the clock showed it then; the line shows it by today's offset
    // True instants (UTC seconds): the start, the local time of the name in the zone then
    // in force; the file's write time, which the end column shows.
    std::int64_t startInstant = 0;
    std::int64_t written = 0;
    std::uint64_t size = 0; // as the list shows it
    std::wstring display;   // columns 1..80 without the trailing blanks
    std::wstring source;    // the recording's path (column 81 on)
};

// The list line as ParseListLine reads it, a field that is not digits as 0. The index, the
// saved list and the merge read the end here, so all show the local time in force when the
// file was written.
LineColumns ReadLineColumns(std::wstring_view line);

// "YYYY-MM-DD HH:MM:SS"
std::wstring FormatIsoDateTime(const DateTimeParts& parts);

} // namespace voice
