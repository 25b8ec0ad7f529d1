#include "soak_archive.h"

#include "catalogue/recording_name.h"

#include <windows.h>

#include <cstring>
#include <fstream>
#include <stdexcept>

namespace voice::soak {
namespace fs = std::filesystem;

namespace {

wchar_t Letter(int value) {
    return kNameAlphabet[static_cast<size_t>(value)];
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

} // namespace

std::vector<fs::path> MakeArchive(const fs::path& base, const std::vector<ArchiveRecording>& recordings) {
    SYSTEMTIME today{};
    ::GetLocalTime(&today);
    const std::wstring day{Letter(today.wYear - 2000), Letter(today.wMonth), Letter(today.wDay)};
    const fs::path dir = base / day;
    fs::create_directories(dir);
    std::vector<fs::path> paths;
    for (size_t i = 0; i < recordings.size(); ++i) {
        // Seven seconds apart from midnight on: distinct names for up to a day's worth.
        const int start = static_cast<int>(i) * 7;
        wchar_t tail[16];
        swprintf(tail, 16, L"%02d%02d.1", start / 60 % 60, start % 60);
        const fs::path path = dir / (day + Letter(start / 3600) + tail);
        const ArchiveRecording& planned = recordings[i];
        std::vector<std::uint8_t> tone(static_cast<size_t>(7860 * planned.seconds));
        for (size_t s = 0; s < tone.size(); ++s)
            tone[s] = s % 20 < 10 ? 100 : 156;
        WriteFile(path, tone.empty() ? Bytes{} : EncodeRecording(planned.kind, tone));
        paths.push_back(path);
    }
    return paths;
}

void WriteChannelTable(const fs::path& startDir, const fs::path& base) {
    // Eight zero-terminated entries of 256 bytes in the ANSI code page.
    std::string table(2048, '\0');
    const std::wstring wide = base.wstring();
    char path[256]{};
    if (::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, path, 255, nullptr, nullptr) == 0)
        throw std::runtime_error("the archive path does not fit BegDir.Ini");
    for (size_t k = 0; k < 8; ++k)
        table.replace(k * 256, std::strlen(path), path);
    WriteFile(startDir / "BegDir.Ini", Bytes(table.begin(), table.end()));
}

} // namespace voice::soak
