#include "conversion/recording_file.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "conversion/file_handle_field.h"
#include "conversion/wav/wav_header.h"
#include "recording_encoder.h"
#include "test_files.h"

namespace voice {
namespace {

using test::Bytes;

LONGLONG PositionOf(HANDLE file) {
    LARGE_INTEGER zero{}, at{};
    ::SetFilePointerEx(file, zero, &at, FILE_CURRENT);
    return at.QuadPart;
}

HANDLE OpenReadWrite(const std::wstring& path) {
    return ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

Bytes Header(const Bytes& wav) {
    return Bytes(wav.begin(), wav.begin() + 44);
}

TEST(DetectRecordingKindOnFile, KindAndPositionAfterwards) {
    const Bytes samples(100, 0x80);
    Bytes tags40 = EncodeWav(samples);
    tags40.resize(40);
    struct Case {
        const char* name;
        Bytes bytes;
        RecordingKind kind;
        LONGLONG position;
    } const cases[] = {
        {"empty", {}, RecordingKind::HeaderlessPcm, 0},
        {"10 bytes", Bytes(10, 0x41), RecordingKind::HeaderlessPcm, 10},
        {"40-byte WAV", tags40, RecordingKind::Wav, 40},
        {"WAV", EncodeWav(samples), RecordingKind::Wav, 44},
        {"WAV header only", Header(EncodeWav(samples)), RecordingKind::Wav, 44},
        {"kind 5", EncodeRecording(RecordingKind::SwappedRuns, samples), RecordingKind::SwappedRuns,
         16},
        {"signature only", EncodeRecording(RecordingKind::Inverted, {}), RecordingKind::Inverted,
         16},
        {"headerless PCM", samples, RecordingKind::HeaderlessPcm, 16},
    };
    test::TempDir dir;
    for (const auto& c : cases) {
        const std::wstring path = dir.File(L"rec.1");
        test::WriteFileBytes(path, c.bytes);
        FileHandleField file;
        file.StoreOpenResult(OpenReadWrite(path));
        ASSERT_TRUE(file.IsOpen()) << c.name;
        ::SetFilePointer(file.Get(), 7, nullptr, FILE_BEGIN);
        EXPECT_EQ(DetectRecordingKind(file.Get()), c.kind) << c.name;
        EXPECT_EQ(PositionOf(file.Get()), c.position) << c.name;
    }
}

TEST(WriteWavHeaderOnFile, BothModes) {
    test::TempDir dir;
    const Bytes source(1000, 0x77);
    const std::wstring sourcePath = dir.File(L"source"), destPath = dir.File(L"dest");
    test::WriteFileBytes(sourcePath, source);
    test::WriteFileBytes(destPath, Bytes(50, 0xEE));
    {
        FileHandleField src, dst;
        src.StoreOpenResult(OpenReadWrite(sourcePath));
        dst.StoreOpenResult(OpenReadWrite(destPath));
        ::SetFilePointer(src.Get(), 100, nullptr, FILE_BEGIN);
        WriteWavHeader(src.Get(), dst.Get());
        EXPECT_EQ(PositionOf(src.Get()), 0);
        EXPECT_EQ(PositionOf(dst.Get()), 44);
    }
    const WavHeader header = WavHeaderForSource(1000);
    Bytes expected(50, 0xEE); // bytes after the header stay
    std::copy(header.begin(), header.end(), expected.begin());
    EXPECT_EQ(test::ReadFileBytes(destPath), expected);
    EXPECT_EQ(test::ReadFileBytes(sourcePath), source);

    // In place on a bare 44-byte header: sizes 36 and 0.
    test::WriteFileBytes(destPath, Bytes(44, 0));
    {
        FileHandleField file;
        file.StoreOpenResult(OpenReadWrite(destPath));
        WriteWavHeader(file.Get(), file.Get());
        EXPECT_EQ(PositionOf(file.Get()), 44);
    }
    const WavHeader bare = MakePlaybackWavHeader(36, 0);
    EXPECT_EQ(test::ReadFileBytes(destPath), Bytes(bare.begin(), bare.end()));
}

} // namespace
} // namespace voice
