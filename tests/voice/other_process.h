#pragma once
// What the bad-input tests need from outside the program's own process: another program
// holding a file open without sharing, and Linux commands on the machine Wine runs on
// (a small or read-only file system for StartDir).

#include <string>

namespace voice::testing_support {

// Runs file_holder (built next to the test) on path and returns once it holds the file;
// the destructor lets go and waits for it to end. Throws when the holder cannot take it.
class HeldByAnotherProcess {
public:
    explicit HeldByAnotherProcess(const std::wstring& path);
    ~HeldByAnotherProcess();
    HeldByAnotherProcess(const HeldByAnotherProcess&) = delete;
    HeldByAnotherProcess& operator=(const HeldByAnotherProcess&) = delete;

    // Lets go at once (the destructor then has nothing left to do).
    void Release();

private:
    void* ready_ = nullptr;
    void* release_ = nullptr;
    void* process_ = nullptr;
};

// True when running under Wine, which starts Linux programs as they are.
bool RunningUnderWine();

// Runs "/bin/sh -c command" on the Linux host; true when it ended with exit code 0.
bool RunHostCommand(const std::string& command);

// A tmpfs of the given size mounted at a fresh directory below /tmp (seen as Z:\tmp\...).
// Mounting needs root and the right to mount (the machine's or container's); Mounted()
// says whether it worked and Why() what stood in the way. Unmounted by the destructor.
class SmallFileSystem {
public:
    explicit SmallFileSystem(unsigned kilobytes);
    ~SmallFileSystem();
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool Mounted() const noexcept { return mounted_; }
    const std::string& Why() const noexcept { return why_; }
    // The mount point as the program sees it.
    std::wstring Path() const;
    // Makes the mounted file system read-only (what is on it stays readable).
    bool MakeReadOnly();

private:
    std::string unixPath_;
    bool mounted_ = false;
    std::string why_;
};

} // namespace voice::testing_support
