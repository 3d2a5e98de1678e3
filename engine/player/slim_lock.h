// A mutex and a condition variable on the system's slim locks, for the locks that live as long
// as the player. std::mutex (winpthreads) makes an Event the first time a thread blocks on it and
// keeps it for the mutex's life, so the handle count of a long session creeps up by one whenever
// a lock first meets contention; these make no kernel object at all.
#pragma once
#include <windows.h>

#include <chrono>
#include <mutex>

class SlimMutex {
 public:
  SlimMutex() = default;
  SlimMutex(const SlimMutex&) = delete;
  SlimMutex& operator=(const SlimMutex&) = delete;
  void lock() { AcquireSRWLockExclusive(&lock_); }
  bool try_lock() { return TryAcquireSRWLockExclusive(&lock_); }
  void unlock() { ReleaseSRWLockExclusive(&lock_); }
  SRWLOCK* native() { return &lock_; }

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
};

class SlimCondition {
 public:
  SlimCondition() = default;
  SlimCondition(const SlimCondition&) = delete;
  SlimCondition& operator=(const SlimCondition&) = delete;
  void notify_one() { WakeConditionVariable(&cv_); }
  void notify_all() { WakeAllConditionVariable(&cv_); }
  // Waits at most `timeout`; may wake early, as any condition variable.
  void wait_for(std::unique_lock<SlimMutex>& lock, std::chrono::milliseconds timeout) {
    SleepConditionVariableSRW(&cv_, lock.mutex()->native(), static_cast<DWORD>(timeout.count()), 0);
  }

 private:
  CONDITION_VARIABLE cv_ = CONDITION_VARIABLE_INIT;
};
