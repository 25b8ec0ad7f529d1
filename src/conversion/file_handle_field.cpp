#include "conversion/file_handle_field.h"

namespace voice {

FileHandleField::~FileHandleField() {
    CloseFileHandle(*this);
}

void FileHandleField::StoreOpenResult(HANDLE result) noexcept {
    CloseFileHandle(*this);
    if (result == INVALID_HANDLE_VALUE || result == nullptr) {
        state_ = State::Failed;
        handle_ = INVALID_HANDLE_VALUE;
    } else {
        state_ = State::Open;
        handle_ = result;
    }
}

void CloseFileHandle(FileHandleField& field) noexcept {
    if (!field.IsOpen())
        return;
    ::CloseHandle(field.handle_);
    field.handle_ = INVALID_HANDLE_VALUE;
    field.state_ = FileHandleField::State::Closed;
}

} // namespace voice
