#pragma once
// Detection and the playback header on files the caller has opened and owns; neither
// opens, closes or reports anything. Results of reads, seeks and writes are ignored.

#include <windows.h>

#include "conversion/recording_kind.h"

namespace voice {

// DetectRecordingKind (recording_kind.h) on an open file: a few small reads, whatever
// its length. Leaves the file after the last bytes read: offset 44 after a canonical WAV
// header ("data" at 36; the end of a shorter file), just past the last chunk header read
// after another WAV file, otherwise offset 16 (or the end of a shorter file). Callers
// reposition the file before they read samples.
RecordingKind DetectRecordingKind(HANDLE recording);

// Writes the 44-byte playback header at the start of destination. With two different
// handles the sizes describe all of source's bytes following the header (from-source
// mode); with the same handle twice they describe the file as it stands (in-place mode).
// Afterwards source is at offset 0 and destination at offset 44.
void WriteWavHeader(HANDLE source, HANDLE destination) noexcept;

} // namespace voice
