#include "incident/incident_header.h"

#include "conversion/wav/wav_format.h"

namespace voice::incident {
namespace {

constexpr std::uint16_t kBits = 16;

class Out {
public:
    explicit Out(std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
    void Tag(const char (&tag)[5]) {
        for (int i = 0; i < 4; ++i)
            bytes_.push_back(static_cast<std::uint8_t>(tag[i]));
    }
    void U16(std::uint32_t v) {
        for (int i = 0; i < 2; ++i)
            bytes_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void U32(std::uint32_t v) {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }

private:
    std::vector<std::uint8_t>& bytes_;
};

} // namespace

std::size_t WavHeaderSize(bool extensible) noexcept {
    return extensible ? 68 : 44;
}

std::vector<std::uint8_t> WavHeader(int rate, int channels, bool extensible,
                                    std::uint32_t dataBytes, std::uint32_t riffSize) {
    std::vector<std::uint8_t> bytes;
    Out out(bytes);
    const auto blockAlign = static_cast<std::uint32_t>(channels * kBits / 8);
    out.Tag("RIFF");
    out.U32(riffSize);
    out.Tag("WAVE");
    out.Tag("fmt ");
    out.U32(extensible ? 40 : 16);
    out.U16(extensible ? kWavExtensible : kWavPcm);
    out.U16(static_cast<std::uint32_t>(channels));
    out.U32(static_cast<std::uint32_t>(rate));
    out.U32(static_cast<std::uint32_t>(rate) * blockAlign);
    out.U16(blockAlign);
    out.U16(kBits);
    if (extensible) {
        out.U16(22);    // the extension's size
        out.U16(kBits); // valid bits
        out.U32(0);     // channel mask
        out.U16(kWavPcm);
        bytes.insert(bytes.end(), std::begin(kWavSubFormatTail), std::end(kWavSubFormatTail));
    }
    out.Tag("data");
    out.U32(dataBytes);
    return bytes;
}

} // namespace voice::incident
