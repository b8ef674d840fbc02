#pragma once
#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

namespace tw {

// Work on a detached thread of its own: whoever started it may wait for its
// end, or stop waiting and leave it to finish with what it owns.
struct DetachedWork {
    std::mutex mutex;
    std::condition_variable finished;
    // Set under mutex, and atomic: a waiter's look at it is ordered after
    // the work even where ThreadSanitizer does not see a timed wait take the
    // mutex back.
    std::atomic<bool> done{false};
    std::exception_ptr failure;  // what the work raised, once done
};

// Starts work; afterEnd runs on the work's thread once it is done.
std::shared_ptr<DetachedWork> startDetached(std::function<void()> work, std::function<void()> afterEnd = {});

}
