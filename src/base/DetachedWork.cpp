#include "base/DetachedWork.h"
#include <thread>

namespace tw {

std::shared_ptr<DetachedWork> startDetached(std::function<void()> work, std::function<void()> afterEnd) {
    auto state = std::make_shared<DetachedWork>();
    std::thread([state, work = std::move(work), afterEnd = std::move(afterEnd)] {
        std::exception_ptr failure;
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        {
            std::lock_guard lock(state->mutex);
            state->failure = failure;
            state->done = true;
        }
        state->finished.notify_all();
        if (afterEnd)
            afterEnd();
    }).detach();
    return state;
}

}
