#pragma once
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
    bool done = false;           // under mutex
    std::exception_ptr failure;  // what the work raised, once done
};

// Starts work; afterEnd runs on the work's thread once it is done.
std::shared_ptr<DetachedWork> startDetached(std::function<void()> work, std::function<void()> afterEnd = {});

}
