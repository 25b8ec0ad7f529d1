// voice_encode --kind K [--rate N] INPUT OUTPUT
// Writes INPUT (raw unsigned 8-bit mono PCM, or a WAV file whose data chunk is taken) as
// a recording of stored form K (1 to 7).

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "recording_encoder.h"

namespace {

constexpr const char* kUsage =
    "usage: voice_encode --kind K [--rate N] INPUT OUTPUT\n"
    "  K      stored form: 1 WAV, 2 headerless PCM, 3 inverted, 4 inverted with runs,\n"
    "         5 swapped with runs, 6 plain with runs, 7 signature and raw payload\n"
    "  N      sample rate of a kind-1 file made from raw input (default 7860)\n"
    "  INPUT  raw unsigned 8-bit mono PCM, or a WAV file (its data chunk is used;\n"
    "         kinds 2 to 7 need 8-bit mono, kind 1 keeps the WAV's own format)\n";

int Fail(const std::string& message) {
    std::fprintf(stderr, "voice_encode: %s\n%s", message.c_str(), kUsage);
    return 2;
}

bool ParseNumber(const char* text, unsigned long& value) {
    char* end = nullptr;
    value = std::strtoul(text, &end, 10);
    return *text != '\0' && *end == '\0';
}

} // namespace

int main(int argc, char** argv) {
    unsigned long kind = 0, rate = voice::WavFormat{}.sampleRate;
    const char* paths[2] = {};
    int pathCount = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--kind") == 0 && i + 1 < argc) {
            if (!ParseNumber(argv[++i], kind) || kind < 1 || kind > 7)
                return Fail("kind must be 1 to 7");
        } else if (std::strcmp(argv[i], "--rate") == 0 && i + 1 < argc) {
            if (!ParseNumber(argv[++i], rate) || rate == 0 || rate > 1000000)
                return Fail("bad rate");
        } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
            return Fail(std::string("unknown option ") + argv[i]);
        } else if (pathCount < 2) {
            paths[pathCount++] = argv[i];
        } else {
            return Fail("too many arguments");
        }
    }
    if (kind == 0 || pathCount != 2)
        return Fail("need --kind, INPUT and OUTPUT");

    std::ifstream in(paths[0], std::ios::binary);
    if (!in)
        return Fail(std::string("cannot read ") + paths[0]);
    const voice::Bytes input((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());

    voice::WavFormat format;
    format.sampleRate = static_cast<std::uint32_t>(rate);
    voice::Bytes samples = input;
    if (auto wav = voice::ParseWav(input)) {
        format = wav->format;
        samples = std::move(wav->data);
        if (kind != 1 && (format.channels != 1 || format.bitsPerSample != 8))
            return Fail("kinds 2 to 7 need an 8-bit mono WAV input");
    } else if (input.size() >= 4 && std::memcmp(input.data(), "RIFF", 4) == 0) {
        return Fail(std::string("not a readable WAV file: ") + paths[0]);
    }

    const voice::Bytes output =
        voice::EncodeRecording(static_cast<voice::RecordingKind>(kind), samples, format);
    std::ofstream out(paths[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(output.data()),
              static_cast<std::streamsize>(output.size()));
    out.close();
    if (!out)
        return Fail(std::string("cannot write ") + paths[1]);
    return 0;
}
