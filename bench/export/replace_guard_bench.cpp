// Replacing a file: the guard's look through an archive of 8 channels × 15 days × 80
// recordings (9,600 files) for the file to be replaced, as a command does it (the archive
// taken in, the target folder opened and judged, the name looked for), against listing
// the same 120 day folders in the same run (bar 3). Opening every recording, as a look
// that cannot trust the listing does, is timed beside it.
// Usage: replace_guard_bench [repetitions]

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../bench_files.h"
#include "export/archive_guard.h"
#include "platform/file_identity.h"

namespace {

namespace fs = std::filesystem;
using voice::bench::TimeOf;

constexpr double kLimit = 3.0;
constexpr int kChannels = 8, kDays = 15, kPerDay = 80;

} // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const fs::path dir = fs::temp_directory_path() / "voice_replace_guard_bench";
    fs::remove_all(dir);
    std::vector<fs::path> bases, days;
    for (int channel = 1; channel <= kChannels; ++channel) {
        bases.push_back(dir / ("kanal" + std::to_string(channel)));
        for (int day = 1; day <= kDays; ++day) {
            days.push_back(bases.back() / ("QC" + std::to_string(day)));
            fs::create_directories(days.back());
            for (int i = 0; i < kPerDay; ++i)
                std::ofstream(days.back() / ("QC" + std::to_string(1000 + i) + ".1"))
                    << "recording";
        }
    }
    const fs::path out = dir / "out";
    fs::create_directories(out);
    std::ofstream(out / "list.csv") << "an earlier list";

    std::size_t listed = 0, opened = 0;
    auto guard = [&] {
        const voice::exporting::Archive archive(bases);
        const voice::TargetFolder folder = archive.OpenTarget(out, false);
        archive.RefuseReplacing(folder, {"list.csv"});
    };
    auto listing = [&] {
        for (const fs::path& day : days)
            listed += voice::ListFolder(day).size();
    };
    auto openEach = [&] {
        for (const fs::path& day : days)
            for (const voice::ListedName& name : voice::ListFolder(day))
                opened += voice::IdentityOf(day / name.name).has_value();
    };
    double best = 1e9, floor = 1e9, each = 1e9;
    guard();
    for (int i = 0; i < repetitions; ++i) {
        floor = std::min(floor, TimeOf(listing));
        best = std::min(best, TimeOf(guard));
        each = std::min(each, TimeOf(openEach));
    }
    const double ratio = best / floor;
    std::printf("%zu recordings in %zu day folders (%zu opened)\n", listed / repetitions,
                days.size(), opened / repetitions);
    std::printf("listing %6.1f ms  guard %6.1f ms  ratio %.2f  bar %.0f  opening each %6.1f ms "
                "(%.1f x the listing)\n",
                floor * 1000, best * 1000, ratio, kLimit, each * 1000, each / floor);
    fs::remove_all(dir);
    return ratio <= kLimit ? 0 : 1;
}
