#pragma once
// WAV files shaped like other tools' output, chunk by chunk, for the detection tests.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace voice::test {

using RiffBytes = std::vector<std::uint8_t>;

inline void PutLittleEndian(RiffBytes& out, std::uint32_t value, int width) {
    for (int k = 0; k < width; ++k)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * k)));
}

struct RiffChunk {
    std::string tag;
    RiffBytes body;
    std::optional<std::uint32_t> declaredSize = {}; // a size field that lies
};

// "RIFF", the size of the rest, "WAVE", then the chunks, each body padded to an even
// length as the format requires.
inline RiffBytes WaveFile(const std::vector<RiffChunk>& chunks) {
    RiffBytes file = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    for (const RiffChunk& chunk : chunks) {
        file.insert(file.end(), chunk.tag.begin(), chunk.tag.end());
        PutLittleEndian(
            file, chunk.declaredSize.value_or(static_cast<std::uint32_t>(chunk.body.size())), 4);
        file.insert(file.end(), chunk.body.begin(), chunk.body.end());
        if (chunk.body.size() % 2 != 0)
            file.push_back(0);
    }
    const auto riffSize = static_cast<std::uint32_t>(file.size() - 8);
    for (int k = 0; k < 4; ++k)
        file[4 + k] = static_cast<std::uint8_t>(riffSize >> (8 * k));
    return file;
}

// A 16-byte PCM format chunk.
inline RiffChunk PcmFormat(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits) {
    RiffBytes body;
    const std::uint32_t blockAlign = channels * ((bits + 7u) / 8u);
    PutLittleEndian(body, 1, 2);
    PutLittleEndian(body, channels, 2);
    PutLittleEndian(body, rate, 4);
    PutLittleEndian(body, rate * blockAlign, 4);
    PutLittleEndian(body, blockAlign, 2);
    PutLittleEndian(body, bits, 2);
    return {"fmt ", body};
}

// A 40-byte extensible format chunk: valid bits, channel mask and the PCM sub-format.
inline RiffChunk ExtensibleFormat(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits) {
    RiffChunk chunk = PcmFormat(channels, rate, bits);
    chunk.body[0] = 0xFE;
    chunk.body[1] = 0xFF;
    PutLittleEndian(chunk.body, 22, 2);
    PutLittleEndian(chunk.body, bits, 2);
    PutLittleEndian(chunk.body, channels == 1 ? 0x4 : 0x3, 4);
    const std::uint8_t pcmSubFormat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                           0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    chunk.body.insert(chunk.body.end(), std::begin(pcmSubFormat), std::end(pcmSubFormat));
    return chunk;
}

// A "LIST" chunk of "INFO" text entries, as editors and converters leave them; each text
// is stored with its terminating zero and padded to an even length.
inline RiffChunk InfoList(const std::vector<std::pair<std::string, std::string>>& entries) {
    RiffBytes body = {'I', 'N', 'F', 'O'};
    for (const auto& [id, text] : entries) {
        body.insert(body.end(), id.begin(), id.end());
        PutLittleEndian(body, static_cast<std::uint32_t>(text.size() + 1), 4);
        body.insert(body.end(), text.begin(), text.end());
        body.push_back(0);
        if ((text.size() + 1) % 2 != 0)
            body.push_back(0);
    }
    return {"LIST", body};
}

inline RiffChunk DataChunk(std::size_t bytes, std::uint8_t seed = 1) {
    RiffBytes body(bytes);
    for (std::size_t k = 0; k < bytes; ++k)
        body[k] = static_cast<std::uint8_t>(seed + k * 7);
    return {"data", body};
}

struct WavShape {
    const char* name;
    RiffBytes bytes;
    bool isWav; // kind 1 (copied as it stands); otherwise headerless PCM, kind 2
};

// Files as other tools write them, and the ways a chunk walk can go wrong.
inline std::vector<WavShape> WavShapes() {
    const RiffChunk info = InfoList({{"ISFT", "Recorder 2.1"}, {"ICMT", "line 3"}});
    const RiffChunk odd{"note", {'a', 'b', 'c'}}; // padded to 4 bytes
    RiffBytes unpadded = WaveFile({PcmFormat(1, 8000, 8), odd, DataChunk(10)});
    unpadded.erase(unpadded.begin() + 12 + 24 + 8 + 3); // the pad byte
    RiffBytes headerCut = WaveFile({PcmFormat(1, 8000, 8), info, DataChunk(0)});
    headerCut.resize(headerCut.size() - 4); // "data" without its size
    RiffBytes bodyCut = WaveFile({PcmFormat(2, 44100, 16), info, DataChunk(400)});
    bodyCut.resize(bodyCut.size() - 399);
    std::vector<RiffChunk> manyChunks = {PcmFormat(1, 8000, 8)};
    manyChunks.insert(manyChunks.end(), 1000, RiffChunk{"JUNK", {}});
    manyChunks.push_back(DataChunk(4));
    RiffBytes forty = WaveFile({PcmFormat(1, 7860, 8), DataChunk(0)});
    forty.resize(40);

    return {
        {"8-bit mono with LIST", WaveFile({PcmFormat(1, 8000, 8), info, DataChunk(100)}), true},
        {"16-bit stereo with LIST", WaveFile({PcmFormat(2, 44100, 16), info, DataChunk(400)}),
         true},
        {"24-bit with LIST", WaveFile({PcmFormat(2, 48000, 24), info, DataChunk(600)}), true},
        {"32-bit with LIST", WaveFile({PcmFormat(1, 96000, 32), info, DataChunk(800)}), true},
        {"24-bit extensible",
         WaveFile({ExtensibleFormat(1, 48000, 24), {"fact", {0x64, 0, 0, 0}}, DataChunk(300)}),
         true},
        {"LIST after data", WaveFile({PcmFormat(1, 22050, 8), DataChunk(50), info}), true},
        {"odd chunk padded", WaveFile({PcmFormat(1, 8000, 8), odd, DataChunk(10)}), true},
        {"odd chunk without its pad", unpadded, false},
        {"data header crosses the end", headerCut, false},
        {"data body cut short", bodyCut, true},
        {"chunk size FFFFFFFF",
         WaveFile({PcmFormat(1, 8000, 8), {"JUNK", RiffBytes(8), 0xFFFFFFFF}, DataChunk(64)}),
         false},
        {"data at 36 whatever fmt's size",
         WaveFile({{"fmt ", RiffBytes(16), 0xFFFFFFFF}, DataChunk(64)}), true},
        {"more chunks than are walked", WaveFile(manyChunks), false},
        {"40 bytes, data at 36", forty, true},
        {"38 bytes, data at 20", WaveFile({{"fmt ", {}}, DataChunk(10)}), false},
        {"data tag in upper case", WaveFile({PcmFormat(1, 8000, 8), info, {"DATA", RiffBytes(9)}}),
         false},
        {"JUNK before fmt",
         WaveFile({{"JUNK", RiffBytes(28)}, PcmFormat(1, 8000, 8), DataChunk(9)}), false},
    };
}

} // namespace voice::test
