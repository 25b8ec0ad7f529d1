#pragma once
// A recording turned into its playback WAV, over any byte source and byte sink: the one
// routine behind the window's playback file and the export's files, so the two cannot
// drift apart. Portable: no <windows.h>.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "conversion/recording_kind.h"
#include "conversion/run_decoders.h"

namespace voice {

// The recording, opened by the caller.
class RecordingReader {
public:
    // Up to into.size() bytes from the current position; 0 at the end or on a failure.
    virtual std::size_t Read(std::span<std::uint8_t> into) = 0;
    virtual void Seek(std::uint64_t offset) = 0;
    virtual std::uint64_t Length() = 0;

protected:
    ~RecordingReader() = default;
};

// The playback WAV as it is written: appended pieces, and the header rewritten at
// offset 0 once the samples are known.
class ConvertedWriter {
public:
    virtual void Append(std::span<const std::uint8_t> bytes) = 0;
    virtual void RewriteHeader(std::span<const std::uint8_t> header) = 0;

protected:
    ~ConvertedWriter() = default;
};

// Detection's random reads over a reader: unread bytes stay as they were.
class ReaderBytes final : public RecordingBytes {
public:
    explicit ReaderBytes(RecordingReader& recording) noexcept : recording_(recording) {}
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) override;

private:
    RecordingReader& recording_;
};

// The samples of a recording of kinds 2 to 6, decoded from the reader's current position
// (past the signature) one block per Step: the loop behind ConvertRecording, also for
// whoever needs the samples a little at a time.
class SampleDecoder {
public:
    SampleDecoder(RecordingKind kind, RecordingReader& recording, SampleSink& sink,
                  std::size_t blockSize = kConversionBlockSize);
    // Reads and decodes one block; false once the recording has ended (or a read failed)
    // and everything decoded has reached the sink.
    bool Step();

private:
    RecordingKind kind_;
    RecordingReader& recording_;
    std::unique_ptr<OutputBuffer> out_;
    RunDecoder runs_;
    std::vector<std::uint8_t> block_;
    bool ended_ = false;
};

struct ConversionResult {
    RecordingKind kind = RecordingKind::HeaderlessPcm;
    std::uint64_t bytesWritten = 0; // the whole playback file, header included
};

// The recording's kind, as the playback file's writer sees it; the position afterwards
// is undefined.
RecordingKind DetectKind(RecordingReader& recording);

// Where a WAV recording's samples are (FindWavDataChunk); the position afterwards is
// undefined.
std::optional<WavDataChunk> FindWavData(RecordingReader& recording);

// Detects the kind and writes the playback file: kind 1 copied as it stands, kind 2 a
// header and the bytes unchanged, kinds 3 to 6 a header and the decoded samples (the
// header rewritten with the sizes of what was written), kind 7 nothing. A failed read
// ends the recording there. Memory is fixed: one input block and one output buffer.
ConversionResult ConvertRecording(RecordingReader& recording, ConvertedWriter& out);

} // namespace voice
