#pragma once
// A small archive for voice-export's tests. Portable.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli_test_support.h"
#include "export_fixture.h"

namespace voice::cli::test {

// Channels 1 to 3 on 5 December 2026, one recording of every decodable stored form each;
// Args gives every channel's folder with --dir and searches `channels` only.
class CliArchiveTest : public testing::Test {
protected:
    CliArchiveTest();
    std::filesystem::path Root() const { return root_.Path(); }
    std::filesystem::path Base(int channel) const;
    std::filesystem::path Add(int channel, const DateTimeParts& start,
                              const std::vector<std::uint8_t>& content);
    std::vector<std::string> Args(std::vector<std::string> extra,
                                  const std::string& channels = "1,2",
                                  const std::string& from = "2026-12-05",
                                  const std::string& to = "2026-12-05") const;
    // The index voice-export wrote into folder.
    static std::filesystem::path IndexIn(const std::filesystem::path& folder);

    exporting::test::TempFolder root_, out_;
};

} // namespace voice::cli::test
