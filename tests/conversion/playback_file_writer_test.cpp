#include "conversion/playback_file_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "conversion/run_decoders.h"
#include "conversion/wav/wav_header.h"
#include "recording_encoder.h"
#include "test_files.h"

namespace voice {
namespace {

using State = FileHandleField::State;
using test::Bytes;

Bytes WithHeader(const WavHeader& header, const Bytes& samples) {
    Bytes file(header.begin(), header.end());
    file.insert(file.end(), samples.begin(), samples.end());
    return file;
}

// Holds a file open without sharing, as another program would.
class HeldFile {
public:
    explicit HeldFile(const std::wstring& path)
        : h_(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~HeldFile() {
        if (h_ != INVALID_HANDLE_VALUE)
            ::CloseHandle(h_);
    }
    bool Held() const { return h_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE h_;
};

class WritePlaybackFileTest : public testing::Test {
protected:
    std::wstring StartDir() const { return dir_.Path().wstring(); }
    std::wstring Playback() const { return PlaybackFilePath(StartDir()); }
    std::wstring Archive(const std::wstring& name) const { return dir_.File(name); }

    // Converts the recording and checks that the archive was left as it was.
    Bytes Convert(const Bytes& recording) {
        const std::wstring path = Archive(L"12345678.1");
        test::WriteFileBytes(path, recording);
        EXPECT_TRUE(WritePlaybackFile(test::ListLineFor(path), StartDir(), recordingHandle_,
                                      playbackHandle_));
        EXPECT_EQ(recordingHandle_.GetState(), State::Closed);
        EXPECT_EQ(playbackHandle_.GetState(), State::Closed);
        EXPECT_EQ(test::ReadFileBytes(path), recording) << "the archive was changed";
        return test::ReadFileBytes(Playback());
    }

    test::TempDir dir_;
    FileHandleField recordingHandle_, playbackHandle_;
};

TEST_F(WritePlaybackFileTest, EveryKindGivesItsPlaybackFile) {
    const Bytes sound = SoundWithRuns(150000, 1); // more than two output buffers
    const Bytes wav = EncodeRecording(RecordingKind::Wav, sound, {44100, 2, 16});
    EXPECT_EQ(Convert(wav), wav);
    EXPECT_EQ(Convert(sound), WithHeader(WavHeaderForSource(sound.size()), sound));
    for (auto kind : {RecordingKind::Inverted, RecordingKind::InvertedRuns,
                      RecordingKind::SwappedRuns, RecordingKind::PlainRuns}) {
        EXPECT_EQ(Convert(EncodeRecording(kind, sound)),
                  WithHeader(WavHeaderInPlace(44 + sound.size()), sound))
            << int(kind);
    }
    EXPECT_EQ(Convert(EncodeRecording(RecordingKind::Undecodable, sound)), Bytes{});
}

TEST_F(WritePlaybackFileTest, SizesAtTheEdges) {
    const Bytes header0 = WithHeader(MakePlaybackWavHeader(36, 0), {});
    EXPECT_EQ(Convert({}), header0) << "empty headerless recording";
    for (auto kind : {RecordingKind::Inverted, RecordingKind::InvertedRuns,
                      RecordingKind::SwappedRuns, RecordingKind::PlainRuns})
        EXPECT_EQ(Convert(EncodeRecording(kind, {})), header0) << "signature only, " << int(kind);

    // Kind 3 decodes byte by byte: data size L - 16 for lengths around a block.
    constexpr std::size_t kBlock = kConversionBlockSize;
    for (std::size_t stored : {kBlock - 17, kBlock - 16, kBlock - 15, 2 * kBlock}) {
        const Bytes sound = SoundWithRuns(stored, 2);
        const Bytes out = Convert(EncodeRecording(RecordingKind::Inverted, sound));
        EXPECT_EQ(out, WithHeader(MakePlaybackWavHeader(stored + 36, stored), sound)) << stored;
    }

    // Kind 6 of one block and one byte: the lone byte of the second block is played, and
    // so is the last byte of the first.
    Bytes plain(kBlock - 16 + 1, 0x40);
    for (std::size_t i = 0; i < plain.size(); ++i)
        plain[i] = static_cast<std::uint8_t>(i * 2); // even: every byte a sample
    Bytes recording(SignatureOf(RecordingKind::PlainRuns)->begin(),
                    SignatureOf(RecordingKind::PlainRuns)->end());
    recording.insert(recording.end(), plain.begin(), plain.end());
    EXPECT_EQ(Convert(recording), WithHeader(WavHeaderInPlace(44 + plain.size()), plain));
}

// Items cut by the end of a block of the file continue in the next block.
TEST_F(WritePlaybackFileTest, RunsAcrossFileBlocks) {
    for (auto kind :
         {RecordingKind::InvertedRuns, RecordingKind::SwappedRuns, RecordingKind::PlainRuns}) {
        // The signature fills 16 bytes of the first block; lone samples fill the
        // rest but one, so the run's marker or header is its last byte.
        Bytes sound;
        for (std::size_t i = 0; i < kConversionBlockSize - 17; ++i)
            sound.push_back(i % 2 ? 0x10 : 0x12);
        sound.insert(sound.end(), 5000, 0x81);
        sound.push_back(0x7E);
        EXPECT_EQ(Convert(EncodeRecording(kind, sound)),
                  WithHeader(WavHeaderInPlace(44 + sound.size()), sound))
            << int(kind);
    }
}

TEST_F(WritePlaybackFileTest, SameLineTwiceGivesTheSameFile) {
    const Bytes recording = EncodeRecording(RecordingKind::SwappedRuns, SoundWithRuns(9000, 3));
    const Bytes first = Convert(recording);
    EXPECT_EQ(Convert(recording), first);
    // A longer earlier playback file is replaced, not overwritten in part.
    test::WriteFileBytes(Playback(), Bytes(50000, 0x11));
    EXPECT_EQ(Convert(recording), first);
}

TEST_F(WritePlaybackFileTest, CyrillicNamesAndBlanksAroundThePath) {
    std::filesystem::create_directories(dir_.Path() / L"Канал 1");
    const std::wstring path = (dir_.Path() / L"Канал 1" / L"запись.1").wstring();
    const Bytes sound = SoundWithRuns(3000, 7);
    test::WriteFileBytes(path, EncodeRecording(RecordingKind::PlainRuns, sound));
    std::wstring line = test::ListLineFor(L" \t" + path);
    line.insert(80, L"\x01 ");
    EXPECT_TRUE(WritePlaybackFile(line, StartDir(), recordingHandle_, playbackHandle_));
    EXPECT_EQ(test::ReadFileBytes(Playback()),
              WithHeader(WavHeaderInPlace(44 + sound.size()), sound));
}

TEST_F(WritePlaybackFileTest, ShortLineLeavesAnEmptyPlaybackFileOpen) {
    std::wstring line(80, L' ');
    line += L"\t \x01"; // only codes up to 32 after column 80: the path is empty
    EXPECT_FALSE(WritePlaybackFile(line, StartDir(), recordingHandle_, playbackHandle_));
    EXPECT_EQ(recordingHandle_.GetState(), State::Failed);
    EXPECT_EQ(playbackHandle_.GetState(), State::Open);
    EXPECT_EQ(::GetFileSize(playbackHandle_.Get(), nullptr), 0u);

    // The next conversion closes the leftover handle and proceeds.
    const Bytes sound = SoundWithRuns(100, 4);
    EXPECT_EQ(Convert(sound), WithHeader(WavHeaderForSource(sound.size()), sound));
}

TEST_F(WritePlaybackFileTest, RecordingHeldByAnotherProgram) {
    const std::wstring path = Archive(L"12345678.2");
    const Bytes recording = SoundWithRuns(100, 5);
    test::WriteFileBytes(path, recording);
    {
        HeldFile other(path);
        ASSERT_TRUE(other.Held());
        EXPECT_FALSE(WritePlaybackFile(test::ListLineFor(path), StartDir(), recordingHandle_,
                                       playbackHandle_));
        EXPECT_EQ(recordingHandle_.GetState(), State::Failed);
        EXPECT_EQ(playbackHandle_.GetState(), State::Open);
    }
    EXPECT_EQ(test::ReadFileBytes(path), recording);
    // Shutdown closes what is open and leaves the failed field as it is.
    CloseFileHandle(playbackHandle_);
    CloseFileHandle(recordingHandle_);
    EXPECT_EQ(playbackHandle_.GetState(), State::Closed);
    EXPECT_EQ(recordingHandle_.GetState(), State::Failed);
    EXPECT_EQ(test::ReadFileBytes(Playback()), Bytes{});
}

TEST_F(WritePlaybackFileTest, PlaybackFileThatCannotBeCreated) {
    const std::wstring path = Archive(L"12345678.3");
    const Bytes recording = SoundWithRuns(100, 6);
    test::WriteFileBytes(path, recording);
    const struct {
        const char* name;
        std::wstring startDir;
    } cases[] = {
        {"held open", StartDir()},
        {"missing directory", StartDir() + L"\\missing"},
    };
    HeldFile other(Playback());
    ASSERT_TRUE(other.Held());
    for (const auto& c : cases) {
        EXPECT_FALSE(WritePlaybackFile(test::ListLineFor(path), c.startDir, recordingHandle_,
                                       playbackHandle_))
            << c.name;
        EXPECT_EQ(recordingHandle_.GetState(), State::Open) << c.name;
        EXPECT_EQ(playbackHandle_.GetState(), State::Failed) << c.name;
        // The recording stays open: nobody else can open it meanwhile.
        EXPECT_FALSE(HeldFile(path).Held()) << c.name;
    }
    CloseFileHandle(recordingHandle_);
    EXPECT_TRUE(HeldFile(path).Held());
    EXPECT_EQ(test::ReadFileBytes(path), recording);
}

TEST(CloseFileHandle, ClosesOnlyAnOpenField) {
    test::TempDir dir;
    const std::wstring path = dir.File(L"f");
    test::WriteFileBytes(path, {1});
    FileHandleField unused, failed, open;
    failed.StoreOpenResult(INVALID_HANDLE_VALUE);
    open.StoreOpenResult(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    const struct {
        FileHandleField* field;
        State after;
    } cases[] = {{&unused, State::Unused}, {&failed, State::Failed}, {&open, State::Closed}};
    for (const auto& c : cases) {
        CloseFileHandle(*c.field);
        EXPECT_EQ(c.field->GetState(), c.after);
        CloseFileHandle(*c.field);
        EXPECT_EQ(c.field->GetState(), c.after) << "a second close changes nothing";
    }
    EXPECT_TRUE(HeldFile(path).Held()) << "the handle was really closed";
}

} // namespace
} // namespace voice
