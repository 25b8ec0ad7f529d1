#pragma once
// Writes PlaybackFile ("$$$.Wav" in StartDir) from the recording named on a list line:
// the file side of the main window's ConvertToPlaybackFile.
//
// The window composes ConvertToPlaybackFile(N) around it; the player and the sequence
// flag stay with the window:
//
//     SequenceActive = false;
//     MediaPlayer1.Close();
//     if (!WritePlaybackFile(line N, StartDir, RecordingHandle, PlaybackHandle))
//         return;                                  // an open failed: nothing more
//     try {
//         MediaPlayer1.SetFileName(PlaybackFilePath(StartDir));
//         MediaPlayer1.Open();
//         SequenceActive = true;
//     } catch (...) {                              // quietly: nothing is shown
//         CloseFileHandle(PlaybackHandle);
//         CloseFileHandle(RecordingHandle);
//     }
//
// At shutdown the window calls CloseFileHandle(PlaybackHandle), then
// CloseFileHandle(RecordingHandle).

#include <functional>
#include <string>
#include <string_view>

#include "conversion/file_handle_field.h"
#include "conversion/playback_paths.h"
#include "conversion/recording_converter.h"

namespace voice {

// How the opened recording reaches the playback file: ConvertRecording straight into it,
// unless the listening aids put a writer of their own between the two.
using PlaybackConversion = std::function<void(RecordingReader& recording, ConvertedWriter& file)>;

// Closes whatever either field still holds, opens the recording (read only, exclusively,
// tried twice) into recordingHandle and creates the playback file anew (read and write,
// exclusively, tried twice) into playbackHandle. When either open failed it stops there
// and returns false: the other field stays open until the next call or shutdown.
// Otherwise it detects the recording's kind, writes the decoded samples behind the
// header (kind 1 is copied, kind 7 gives an empty file), closes both fields and returns
// true. A read-only "$$$.Wav" counts as not creatable. A failed read ends the recording
// there. A playback file that did not get every byte written to it (a full disk), or a
// recording too long for the header's 32-bit sizes (over 4 GB), is refused: the file is
// emptied, both fields are closed and the result is false, so nothing cut short plays. Memory is
// fixed: one input block and one output buffer of kConversionBlockSize bytes each, whatever the
// recording's length. convert, when given, does the conversion in place of ConvertRecording.
bool WritePlaybackFile(std::wstring_view listLine, const std::wstring& startDir,
                       FileHandleField& recordingHandle, FileHandleField& playbackHandle,
                       const PlaybackConversion& convert = {});

} // namespace voice
