// Detection over arbitrary files: the answer equals a plain reference written from the
// rules, in memory and through a reader that checks every read stays small and few; no
// byte outside the file is ever read (the input buffer is exactly the file).

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "conversion/recording_kind.h"

namespace {

using voice::RecordingKind;

bool TagAt(const std::uint8_t* data, std::size_t size, std::uint64_t offset, const char* tag) {
    return offset + 4 <= size && std::memcmp(data + offset, tag, 4) == 0;
}

RecordingKind Reference(const std::uint8_t* data, std::size_t size) {
    if (size >= 40 && TagAt(data, size, 0, "RIFF") && TagAt(data, size, 8, "WAVE") &&
        TagAt(data, size, 12, "fmt ")) {
        if (TagAt(data, size, 36, "data"))
            return RecordingKind::Wav;
        std::uint64_t offset = 12;
        for (int chunk = 0; chunk < voice::kMaxChunksWalked && offset + 8 <= size; ++chunk) {
            if (TagAt(data, size, offset, "data"))
                return RecordingKind::Wav;
            const std::uint8_t* s = data + offset + 4;
            const std::uint64_t chunkSize =
                s[0] | s[1] << 8 | s[2] << 16 | std::uint64_t(s[3]) << 24;
            offset += 8 + chunkSize + chunkSize % 2;
        }
    }
    for (int kind = 3; kind <= 7; ++kind) {
        const voice::Signature* signature = voice::SignatureOf(static_cast<RecordingKind>(kind));
        if (size >= signature->size() &&
            std::memcmp(data, signature->data(), signature->size()) == 0)
            return static_cast<RecordingKind>(kind);
    }
    return RecordingKind::HeaderlessPcm;
}

class CheckingBytes final : public voice::RecordingBytes {
public:
    CheckingBytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) override {
        if (++reads_ > voice::kMaxChunksWalked + 2 || into.size() > voice::kDetectionSize)
            std::abort(); // detection must stay a few small reads
        if (offset >= size_)
            return 0;
        const std::size_t n = into.size() < size_ - offset ? into.size() : size_ - offset;
        std::memcpy(into.data(), data_ + offset, n);
        return n;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    int reads_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const RecordingKind expected = Reference(data, size);
    if (voice::DetectRecordingKind(std::span(data, size)) != expected)
        std::abort();
    CheckingBytes reader(data, size);
    if (voice::DetectRecordingKind(reader) != expected)
        std::abort();
    return 0;
}
