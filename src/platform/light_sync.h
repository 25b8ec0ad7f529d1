#pragma once
// A lock and a condition variable for hand-overs between threads. On Windows they are the
// system's slim lock and condition variable: under Wine the C++ library's (winpthreads)
// wait through the Wine server and took about 125 us per hand-over, these about 6 us.
// Elsewhere they are the standard ones. Portable: no <windows.h>.

#include <mutex>

#ifndef _WIN32
#include <condition_variable>
#endif

namespace voice {

#ifdef _WIN32

class LightMutex {
public:
    LightMutex() noexcept = default;
    LightMutex(const LightMutex&) = delete;
    LightMutex& operator=(const LightMutex&) = delete;
    void lock() noexcept;
    void unlock() noexcept;

private:
    friend class LightCondition;
    void* lock_ = nullptr; // an SRWLOCK, initially a null pointer
};

class LightCondition {
public:
    LightCondition() noexcept = default;
    LightCondition(const LightCondition&) = delete;
    LightCondition& operator=(const LightCondition&) = delete;
    template <typename Predicate> void wait(std::unique_lock<LightMutex>& lock, Predicate ready) {
        while (!ready())
            Wait(*lock.mutex());
    }
    void notify_one() noexcept;

private:
    void Wait(LightMutex& mutex) noexcept;
    void* condition_ = nullptr; // a CONDITION_VARIABLE, initially a null pointer
};

#else

using LightMutex = std::mutex;
using LightCondition = std::condition_variable;

#endif

} // namespace voice
