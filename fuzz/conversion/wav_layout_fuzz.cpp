// Any file detection takes for a WAV, as the export writes it (kept bytes, a pad byte, a
// chunk of our own, the RIFF size): a whole RIFF file, its chunks end to end from offset
// 12 to the last byte, and its data chunk exactly the samples the layout says the file
// holds. A reader no one could parse, or one that plays text as samples, fails here.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "conversion/recording_converter.h"
#include "conversion/wav/wav_layout.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class MemoryReader final : public voice::RecordingReader {
public:
    MemoryReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t Read(std::span<std::uint8_t> into) override {
        const std::size_t n = at_ < size_ ? std::min(into.size(), size_ - at_) : 0;
        std::memcpy(into.data(), data_ + at_, n);
        at_ += n;
        return n;
    }
    void Seek(std::uint64_t offset) override { at_ = offset < size_ ? offset : size_; }
    std::uint64_t Length() override { return size_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

class MemoryWriter final : public voice::ConvertedWriter {
public:
    void Append(std::span<const std::uint8_t> b) override {
        bytes.insert(bytes.end(), b.begin(), b.end());
    }
    void RewriteHeader(std::span<const std::uint8_t>) override { std::abort(); } // not for a WAV
    Bytes bytes;
};

std::uint32_t Load32(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t(b[at + 3]) << 24;
}

void Check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemoryReader reader(data, size);
    if (voice::DetectKind(reader) != voice::RecordingKind::Wav)
        return 0;
    const auto layout = voice::ReadWavLayout(reader);
    Check(layout.has_value());
    Check(layout->data <= layout->declaredData);
    Check(layout->dataOffset + layout->data <= layout->end);
    Check(layout->end <= size || layout->end == layout->dataOffset);

    MemoryWriter out;
    voice::KeptWavWriter kept(out, *layout);
    voice::ConvertRecording(reader, kept);
    kept.Complete();
    Bytes& file = out.bytes;
    Check(kept.Written() == file.size() && file.size() == layout->end);
    if (file.size() % 2 != 0)
        file.push_back(0);
    const char own[] = "LIST\4\0\0\0INFO";
    file.insert(file.end(), own, own + 12);
    const auto riffSize = static_cast<std::uint32_t>(file.size() - 8);
    for (int k = 0; k < 4; ++k)
        file[4 + k] = static_cast<std::uint8_t>(riffSize >> (8 * k));

    bool dataSeen = false;
    std::size_t at = 12;
    while (at < file.size()) {
        Check(at + 8 <= file.size());
        const std::uint64_t chunk = Load32(file, at + 4);
        const std::uint64_t next = at + 8 + chunk + chunk % 2;
        Check(next <= file.size());
        if (std::memcmp(&file[at], "data", 4) == 0 && !dataSeen) {
            dataSeen = true;
            Check(at + 8 == layout->dataOffset && chunk == layout->data);
            Check(std::memcmp(&file[at + 8], data + at + 8, chunk) == 0);
        }
        at = static_cast<std::size_t>(next);
    }
    Check(dataSeen);
    return 0;
}
