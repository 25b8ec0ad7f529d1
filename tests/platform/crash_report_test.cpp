// A fault leaves a dump and ends the process: this executable starts itself as a child
// that installs the report and then faults, and checks how the child ended.

#include "platform/crash_report.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>

namespace voice::test {
namespace {

namespace fs = std::filesystem;

constexpr wchar_t kChildSwitch[] = L"--crash-child";

// The ways a program can fail without anyone to catch it; each runs on a worker thread.
void Fault(const std::wstring& how) {
    std::thread worker([how] {
        if (how == L"access") {
            volatile int* nowhere = nullptr;
            *nowhere = 1;
        } else if (how == L"execute") {
            auto code = reinterpret_cast<void (*)()>(std::uintptr_t{0x2158F2738});
            code();
        } else if (how == L"throw") {
            throw std::runtime_error("nobody catches this");
        } else if (how == L"abort") {
            std::abort();
        }
    });
    worker.join();
}

struct ChildEnd {
    DWORD exitCode = 0;
    bool ended = false;
};

ChildEnd RunChild(const std::wstring& how, const fs::path& appData) {
    wchar_t self[MAX_PATH]{};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\" " + kChildSwitch + L" " + how;
    ::SetEnvironmentVariableW(L"LOCALAPPDATA", appData.c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    const BOOL started = ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0,
                                          nullptr, nullptr, &startup, &process);
    ::SetEnvironmentVariableW(L"LOCALAPPDATA", nullptr);
    if (!started)
        return {};
    ChildEnd end;
    // Generous: a loaded machine; a hang is what this guards against.
    end.ended = ::WaitForSingleObject(process.hProcess, 60'000) == WAIT_OBJECT_0;
    if (!end.ended)
        ::TerminateProcess(process.hProcess, 1);
    ::GetExitCodeProcess(process.hProcess, &end.exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return end;
}

TEST(CrashReport, AnyUnhandledFaultWritesADumpAndEndsTheProcess) {
    for (const wchar_t* how : {L"access", L"execute", L"throw", L"abort"}) {
        SCOPED_TRACE(testing::Message() << "fault " << fs::path(how).string());
        const fs::path appData = fs::temp_directory_path() /
                                 (L"voice_crash_" + std::to_wstring(::GetCurrentProcessId()));
        fs::remove_all(appData);
        fs::create_directories(appData);

        const ChildEnd end = RunChild(how, appData);
        ASSERT_TRUE(end.ended) << "the child hangs";
        EXPECT_EQ(end.exitCode, kCrashExitCode);

        std::vector<fs::path> dumps;
        if (fs::exists(appData / "Voice" / "crashes"))
            for (const auto& entry : fs::directory_iterator(appData / "Voice" / "crashes"))
                dumps.push_back(entry.path());
        ASSERT_EQ(dumps.size(), 1u);
        EXPECT_TRUE(std::regex_match(dumps[0].filename().string(),
                                     std::regex(R"(Voice-\d{8}-\d{6}-\d+\.dmp)")))
            << dumps[0].filename().string();
        char signature[4]{};
        std::ifstream(dumps[0], std::ios::binary).read(signature, 4);
        EXPECT_EQ(std::string(signature, 4), "MDMP");
        EXPECT_GT(fs::file_size(dumps[0]), 1000u);
        fs::remove_all(appData);
    }
}

} // namespace
} // namespace voice::test

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wcscmp(argv[1], voice::test::kChildSwitch) == 0) {
        voice::InstallCrashReport();
        voice::test::Fault(argv[2]);
        return 0; // not reached when the fault is reported
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
