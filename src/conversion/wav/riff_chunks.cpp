#include "conversion/wav/riff_chunks.h"

#include "conversion/wav/little_endian.h"
#include "platform/utf8.h"

namespace voice {
namespace {

void PutId(Bytes& out, const char (&id)[5]) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(id[i]));
}

void PadToEven(Bytes& out) {
    if (out.size() % 2 != 0)
        out.push_back(0);
}

// A text subchunk: the size counts the terminator but not the pad byte.
void PutText(Bytes& out, const char (&id)[5], const std::string& utf8) {
    PutId(out, id);
    AppendLittleEndian32(out, static_cast<std::uint32_t>(utf8.size() + 1));
    out.insert(out.end(), utf8.begin(), utf8.end());
    out.push_back(0);
    PadToEven(out);
}

// "LIST" + size + form type + body.
Bytes ListChunk(const char (&form)[5], const Bytes& body) {
    Bytes out;
    PutId(out, "LIST");
    AppendLittleEndian32(out, static_cast<std::uint32_t>(4 + body.size()));
    PutId(out, form);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

std::uint64_t PaddedTextSize(std::size_t utf8Size) noexcept {
    const std::uint64_t data = utf8Size + 1;
    return 8 + data + data % 2;
}

} // namespace

Bytes InfoListChunk(const InfoTexts& texts) {
    Bytes body;
    PutText(body, "INAM", ToUtf8(texts.name));
    PutText(body, "ICRD", ToUtf8(texts.created));
    PutText(body, "ICMT", ToUtf8(texts.comment));
    return ListChunk("INFO", body);
}

Bytes CueChunk(const std::vector<CuePoint>& points) {
    Bytes out;
    PutId(out, "cue ");
    AppendLittleEndian32(out, static_cast<std::uint32_t>(4 + 24 * points.size()));
    AppendLittleEndian32(out, static_cast<std::uint32_t>(points.size()));
    for (const CuePoint& point : points) {
        AppendLittleEndian32(out, point.id);
        AppendLittleEndian32(out, point.sampleOffset); // position in play order
        PutId(out, "data");
        AppendLittleEndian32(out, 0); // chunk start: the only data chunk
        AppendLittleEndian32(out, 0); // block start: uncompressed
        AppendLittleEndian32(out, point.sampleOffset);
    }
    return out;
}

Bytes LabelListChunk(const std::vector<CuePoint>& points) {
    Bytes body;
    for (const CuePoint& point : points) {
        const std::string text = ToUtf8(point.label);
        PutId(body, "labl");
        AppendLittleEndian32(body, static_cast<std::uint32_t>(4 + text.size() + 1));
        AppendLittleEndian32(body, point.id);
        body.insert(body.end(), text.begin(), text.end());
        body.push_back(0);
        PadToEven(body);
    }
    return ListChunk("adtl", body);
}

std::uint64_t CueChunkSize(std::size_t pointCount) noexcept {
    return 12 + 24 * static_cast<std::uint64_t>(pointCount);
}

std::uint64_t LabelListChunkSize(const std::vector<CuePoint>& points) {
    std::uint64_t size = 12;
    for (const CuePoint& point : points)
        size += PaddedTextSize(4 + ToUtf8(point.label).size());
    return size;
}

} // namespace voice
