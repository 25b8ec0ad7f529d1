#pragma once
// What the benchmarks share: timing, writing a recording and the list line that names it.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace voice::bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// How long f takes, in seconds.
template <typename F> double TimeOf(F f) {
    const auto start = Clock::now();
    f();
    return Seconds(Clock::now() - start);
}

inline void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// A list line for the recording at path: channel 1, one hour on 07.12.26 from 10:00.
inline std::wstring ListLine(const std::filesystem::path& path) {
    std::wstring line = L"1  07.12.26 10:00:00  07.12.26 11:00:00  " +
                        std::to_wstring(std::filesystem::file_size(path));
    line.resize(80, L' ');
    return line + path.wstring();
}

} // namespace voice::bench
