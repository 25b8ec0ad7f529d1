#pragma once
// One of the main window's two file-handle fields (the recording and the playback file).
// The rule it keeps: the field is open only after a successful open, a failed open
// leaves it failed, and CloseFileHandle closes an open field and marks it closed but
// leaves any other field as it is. Win32 handles do not fit an "open when greater than
// 0" integer (a failed CreateFileW gives INVALID_HANDLE_VALUE, and 0 is no handle), so
// the state is kept explicitly.

#include <windows.h>

namespace voice {

class FileHandleField {
public:
    enum class State {
        Unused, // since the window was created
        Open,
        Closed, // by CloseFileHandle
        Failed, // the last open failed
    };

    FileHandleField() noexcept = default;
    FileHandleField(const FileHandleField&) = delete;
    FileHandleField& operator=(const FileHandleField&) = delete;
    // A field still open when its owner goes away is closed, so no handle outlives it.
    ~FileHandleField();

    State GetState() const noexcept { return state_; }
    bool IsOpen() const noexcept { return state_ == State::Open; }
    // The open handle; INVALID_HANDLE_VALUE unless IsOpen().
    HANDLE Get() const noexcept { return handle_; }

    // Stores the result of an open: INVALID_HANDLE_VALUE (or null) marks the field failed.
    // The caller closes an open field first; an open handle stored over is closed.
    void StoreOpenResult(HANDLE result) noexcept;

    friend void CloseFileHandle(FileHandleField& field) noexcept;

private:
    State state_ = State::Unused;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// Closes the field's handle when it is open (ignoring the close's result) and marks it
// closed; any other field stays unchanged.
void CloseFileHandle(FileHandleField& field) noexcept;

} // namespace voice
