#include "platform/light_sync.h"

#include <windows.h>

namespace voice {

static_assert(sizeof(SRWLOCK) == sizeof(void*) && sizeof(CONDITION_VARIABLE) == sizeof(void*));

void LightMutex::lock() noexcept {
    ::AcquireSRWLockExclusive(reinterpret_cast<PSRWLOCK>(&lock_));
}

void LightMutex::unlock() noexcept {
    ::ReleaseSRWLockExclusive(reinterpret_cast<PSRWLOCK>(&lock_));
}

void LightCondition::Wait(LightMutex& mutex) noexcept {
    ::SleepConditionVariableSRW(reinterpret_cast<PCONDITION_VARIABLE>(&condition_),
                                reinterpret_cast<PSRWLOCK>(&mutex.lock_), INFINITE, 0);
}

void LightCondition::notify_one() noexcept {
    ::WakeConditionVariable(reinterpret_cast<PCONDITION_VARIABLE>(&condition_));
}

} // namespace voice
