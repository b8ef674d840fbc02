#include "base/DetachedWork.h"
#include <thread>

namespace tw {

std::shared_ptr<DetachedWork> startDetached(std::function<void()> work, std::function<void()> afterEnd) {
    auto state = std::make_shared<DetachedWork>();
    std::thread([state, work = std::move(work), afterEnd = std::move(afterEnd)]() mutable {
        std::exception_ptr failure;
        try {
            work();
            // What the work holds (a driver's session, say) goes before its
            // end is told, so that whoever waits finds it gone, not going.
            work = nullptr;
        } catch (...) {
            failure = std::current_exception();
            work = nullptr;
        }
        {
            std::lock_guard lock(state->mutex);
            state->failure = failure;
            state->done = true;
            state->finished.notify_all();
        }
        if (afterEnd)
            afterEnd();
    }).detach();
    return state;
}

}
