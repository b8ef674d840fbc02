#include "connect/BoundedWait.h"
#include "connect/DbError.h"
#include "base/AbandonedWork.h"
#include "base/DetachedWork.h"
#include "base/Yield.h"
#include <chrono>

namespace tw {

namespace {
// Well below the longest pause a window may take between two yields, and
// more than a small statement needs, so that one runs without any.
constexpr std::chrono::milliseconds yieldEvery{20};
}

QString didNotAnswer(const QString& serverDescription, int seconds) {
    return serverDescription + (seconds == 1 ? QStringLiteral(" did not answer within 1 second")
                                             : QStringLiteral(" did not answer within %1 seconds").arg(seconds));
}

void waitBounded(BoundedCall call) {
    const std::shared_ptr<DetachedWork> state = startDetached(std::move(call.work));

    using Clock = std::chrono::steady_clock;
    const bool bounded = call.seconds > 0;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(bounded ? call.seconds : 0);
    auto abandon = [&] {
        noteAbandonedWork();
        if (call.onAbandon)
            call.onAbandon();
    };
    std::unique_lock lock(state->mutex);
    for (;;) {
        auto slice = call.yield ? yieldEvery : std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::hours(1));
        if (bounded)
            slice = std::min(slice, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()) +
                                        std::chrono::milliseconds(1));
        if (state->finished.wait_for(lock, slice, [&] { return state->done.load(); }))
            break;
        if (bounded && Clock::now() >= deadline) {
            abandon();
            throw DbError({{QStringLiteral("HYT00"), 0, call.timeoutText}});
        }
        if (call.yield) {
            lock.unlock();
            try {
                call.yield->DoEvents();
            } catch (...) {
                std::lock_guard relock(state->mutex);
                if (!state->done)
                    abandon();
                throw;
            }
            lock.lock();
        }
    }
    if (state->failure)
        std::rethrow_exception(state->failure);
}

}
