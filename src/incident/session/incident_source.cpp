#include "incident/session/incident_source.h"

#include "conversion/playback_stream.h"
#include "conversion/read_failures.h"
#include "conversion/wav/source_recording.h"

namespace voice::incident {
namespace {

inline constexpr wchar_t kNotPcm[] = L"WAV не в формате PCM: в общий файл не включается";

} // namespace

const wchar_t* LookAtIncidentSource(IncidentSource& item, bool countRunCoded) {
    SourceRecording source(PathFromWide(item.columns.source));
    if (!source.IsOpen())
        return kCannotOpen;
    item.length = source.Length();
    PlaybackStream stream(source);
    item.rate = stream.SampleRate();
    item.damagedHeader = IsDamagedWav(stream.Kind(), source.Head());
    if (item.rate == 0)
        return stream.Kind() == RecordingKind::Wav ? kNotPcm : kNoDecoder;
    // The run-coded forms are decoded once to count their samples.
    const auto frames = stream.Frames();
    item.frames = frames ? *frames : countRunCoded ? stream.CountRest() : 0;
    item.counted = frames || countRunCoded;
    return source.Failed() ? kCannotRead : nullptr;
}

} // namespace voice::incident
