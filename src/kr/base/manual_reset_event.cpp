#include "kr/base/manual_reset_event.h"

#include "kr/base/error.h"

namespace KR {

ManualResetEvent::ManualResetEvent(ManualResetEvent* share_lock_with)
    : lock(share_lock_with ? share_lock_with->lock : &own) {}

void ManualResetEvent::Set() {
    std::lock_guard<std::mutex> guard(lock->mutex);
    set = true;
    // Waiters of every event on this lock wake and look again at what they wait for.
    lock->changed.notify_all();
}

void ManualResetEvent::Reset() {
    std::lock_guard<std::mutex> guard(lock->mutex);
    set = false;
}

bool ManualResetEvent::IsSet() const {
    std::lock_guard<std::mutex> guard(lock->mutex);
    return set;
}

void ManualResetEvent::Wait() const {
    std::unique_lock<std::mutex> guard(lock->mutex);
    lock->changed.wait(guard, [this] { return set; });
}

int ManualResetEvent::WaitEither(const ManualResetEvent& first, const ManualResetEvent& second) {
    if (first.lock != second.lock)
        throw Error("KR::ManualResetEvent::WaitEither", ": The events do not share a lock!");
    std::unique_lock<std::mutex> guard(first.lock->mutex);
    first.lock->changed.wait(guard, [&] { return first.set || second.set; });
    return first.set ? 0 : 1;
}

}  // namespace KR
