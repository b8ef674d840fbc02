#include "base/OperationThread.h"
#include "base/AbandonedWork.h"
#include "base/DetachedWork.h"
#include "base/ProgramEnd.h"
#include "base/Yield.h"
#include <QScopeGuard>
#include <QTimer>
#include <atomic>
#include <chrono>

namespace tw {

namespace {

std::atomic<int> running{0};

// Time an operation gets to reach its next yield once the program is
// closed; after that it is left behind, somewhere inside a driver call.
constexpr std::chrono::milliseconds graceAtClose{300};

}

int operationsRunning() { return running.load(); }

namespace {

// A call for the window's thread, run there and destroyed there.
class CallEvent : public QEvent {
public:
    static QEvent::Type type() {
        static const auto registered = QEvent::Type(QEvent::registerEventType());
        return registered;
    }
    explicit CallEvent(std::function<void()> call) : QEvent(type()), m_call(std::move(call)) {}
    void run() { m_call(); }
    static std::mutex& gate() {
        static std::mutex m;
        return m;
    }

private:
    std::function<void()> m_call;
};

// Lives on the window's thread and runs the calls left for it.
class WindowCalls : public QObject {
public:
    bool event(QEvent* e) override {
        { std::lock_guard seen(CallEvent::gate()); }  // the event as its poster made it
        if (e->type() != CallEvent::type())
            return QObject::event(e);
        static_cast<CallEvent*>(e)->run();
        return true;
    }
};

WindowCalls* windowCalls() {
    static WindowCalls* const calls = [] {
        auto* made = new WindowCalls;
        made->moveToThread(QCoreApplication::instance()->thread());
        return made;
    }();
    return calls;
}

}

void detail::postCall(std::function<void()> call) {
    WindowCalls* const calls = windowCalls();  // made, and moved, before the gate is taken
    auto* event = new CallEvent(std::move(call));
    std::lock_guard lock(CallEvent::gate());
    QCoreApplication::postEvent(calls, event);
}

void runBesideWindow(std::function<void()> operation, const ProgramEnd& end, const std::function<void()>& everyTick) {
    ++running;
    const std::shared_ptr<DetachedWork> state = startDetached(
        [operation = std::move(operation)] {
            const auto leaving = qScopeGuard([] { --running; });  // counted out before it is seen done
            operation();
        },
        [] { postToWindowThread([] {}); });  // wakes the window's thread to see it

    QTimer tick;
    tick.setInterval(20);
    QObject::connect(&tick, &QTimer::timeout, everyTick);
    tick.start();
    auto isDone = [&] {
        std::lock_guard lock(state->mutex);
        return state->done.load();
    };
    // The window's events, each batch as it comes, until the operation ends
    // or the program is closed.
    while (!isDone() && !end.requested())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    tick.stop();

    std::unique_lock lock(state->mutex);
    if (!state->finished.wait_for(lock, end.requested() ? graceAtClose : std::chrono::hours(24 * 365),
                                  [&] { return state->done.load(); })) {
        noteAbandonedWork();
        throw ProgramEnding();
    }
    lock.unlock();
    // What the operation left for the window (the bar, the pointer) is done
    // before its caller goes on, and never after the window is gone.
    QCoreApplication::sendPostedEvents(windowCalls(), CallEvent::type());
    if (state->failure)
        std::rethrow_exception(state->failure);
}

}
