#pragma once
// One recording of an incident looked at before it is placed: opened, its form, rate and
// length found, so the placement knows how long it sounds. The file written for keeps and
// the incident the window plays look at their sources alike. Portable.

#include <cstdint>

#include "catalogue/line_columns.h"

namespace voice::incident {

struct IncidentSource {
    std::size_t index = 0; // the line's place in the list
    LineColumns columns;
    std::uint64_t length = 0; // of the recording when looked at: a change fails the incident
    int rate = 0;
    std::uint64_t frames = 0;   // at its own rate
    bool counted = true;        // frames known; a run-coded form's are only once decoded
    bool damagedHeader = false; // begins as a WAV but is read as headerless 8-bit samples
};

// item's recording (index and columns set) opened, its length, rate and frames found (a
// run-coded form's frames only with countRunCoded: they take decoding it all). The
// failure's text when it cannot be read or decoded, else null.
const wchar_t* LookAtIncidentSource(IncidentSource& item, bool countRunCoded);

} // namespace voice::incident
