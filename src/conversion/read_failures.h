#pragma once
// Why a recording cannot be read, in the words every command and the incident report it
// in: the export's index and messages, the merge, the incident file and the incident the
// window plays all say the same of the same recording. Portable.

namespace voice {

inline constexpr wchar_t kCannotOpen[] = L"не удалось открыть запись";
inline constexpr wchar_t kCannotRead[] = L"ошибка чтения записи";
inline constexpr wchar_t kNoDecoder[] = L"вид записи 7: декодер отсутствует";

} // namespace voice
