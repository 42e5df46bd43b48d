#pragma once
// An event that stays set until it is reset, as the simulation worker and the main thread
// hand steps to each other. Events made to share a lock can be waited for together.

#include <condition_variable>
#include <mutex>

namespace KR {

class ManualResetEvent {
  public:
    // Unsignalled. With share_lock_with, this event uses that event's lock (which must
    // outlive it), so one thread can wait for either of the two.
    explicit ManualResetEvent(ManualResetEvent* share_lock_with = nullptr);
    ManualResetEvent(const ManualResetEvent&) = delete;
    ManualResetEvent& operator=(const ManualResetEvent&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;
    // Returns once the event is set (at once if it is).
    void Wait() const;

    // Waits until first or second is set and answers which: 0 for first, which is tested
    // first, 1 for second. The two must share a lock (else KR::Error).
    static int WaitEither(const ManualResetEvent& first, const ManualResetEvent& second);

  private:
    struct Lock {
        std::mutex mutex;
        std::condition_variable changed;
    };

    Lock own;
    Lock* lock;
    bool set = false;
};

}  // namespace KR
