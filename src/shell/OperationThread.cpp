#include "shell/OperationThread.h"
#include "shell/AbandonedWork.h"
#include "shell/ProgramEnd.h"
#include <QTimer>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace tw {

namespace {

std::atomic<int> running{0};

// Time an operation gets to reach its next yield once the program is
// closed; after that it is left behind, somewhere inside a driver call.
constexpr std::chrono::milliseconds graceAtClose{300};

struct OperationState {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::exception_ptr failure;
};

}

int operationsRunning() { return running.load(); }

void runBesideWindow(std::function<void()> operation, const ProgramEnd& end, const std::function<void()>& everyTick) {
    auto state = std::make_shared<OperationState>();
    ++running;
    std::thread([state, operation = std::move(operation)] {
        std::exception_ptr failure;
        try {
            operation();
        } catch (...) {
            failure = std::current_exception();
        }
        {
            std::lock_guard lock(state->mutex);
            state->failure = failure;
            state->done = true;
        }
        state->finished.notify_all();
        --running;
        postToWindowThread([] {});  // wakes the window's thread to see it
    }).detach();

    QTimer tick;
    tick.setInterval(20);
    QObject::connect(&tick, &QTimer::timeout, everyTick);
    tick.start();
    auto isDone = [&] {
        std::lock_guard lock(state->mutex);
        return state->done;
    };
    // The window's events, each batch as it comes, until the operation ends
    // or the program is closed.
    while (!isDone() && !end.requested())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    tick.stop();

    std::unique_lock lock(state->mutex);
    if (!state->finished.wait_for(lock, end.requested() ? graceAtClose : std::chrono::hours(24 * 365),
                                  [&] { return state->done; })) {
        noteAbandonedWork();
        return;
    }
    if (state->failure)
        std::rethrow_exception(state->failure);
}

}
