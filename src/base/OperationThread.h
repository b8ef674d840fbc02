#pragma once
#include "base/Yield.h"
#include <QCoreApplication>
#include <QThread>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <type_traits>

namespace tw {

class ProgramEnd;

// Where the program's work runs. The window's thread runs the event loop
// and makes no database call; what reaches a database (the connection
// checks and tests, the listings, transfers, drops and renames) runs on a
// thread of its own, and what it asks of the window is done on the
// window's thread through onWindowThread.

// Runs operation on a thread of its own while this, the window's thread,
// keeps its event loop running; everyTick runs here every 20 ms meanwhile.
// Returns when the operation has ended, and raises what it raised. When the
// program is closed meanwhile, the operation stops at its next yield; one
// that is inside a driver call that does not return is left to it, and
// ProgramEnding is raised here without waiting for it.
void runBesideWindow(std::function<void()> operation, const ProgramEnd& end, const std::function<void()>& everyTick);

// Runs work beside the window as runBesideWindow does and gives back what
// it returned. The work must own all it touches, since it may be left
// behind when the program is closed.
template <typename F>
auto besideWindow(F work, const ProgramEnd& end) -> std::invoke_result_t<F> {
    using Result = std::invoke_result_t<F>;
    if constexpr (std::is_void_v<Result>) {
        runBesideWindow(std::move(work), end, [] {});
    } else {
        auto result = std::make_shared<std::optional<Result>>();
        runBesideWindow([work = std::move(work), result] { result->emplace(work()); }, end, [] {});
        return std::move(**result);
    }
}

// How many operations run beside the window now.
int operationsRunning();

namespace detail {
// Leaves call to the window's thread, after what was left there before it.
// The call is run, and then destroyed, on the window's thread; one that is
// never run (the program ended first) is only destroyed. The hand-over uses
// std primitives, not Qt's own, so that ThreadSanitizer sees it (Qt is not
// built with it).
void postCall(std::function<void()> call);

// Set once a call left on the window's thread is done with: its last copy
// going says so, after the call ran or when it never will.
struct WindowCallDone {
    std::mutex mutex;
    std::condition_variable changed;
    bool done = false;
    bool ran = false;
    struct Notify {
        WindowCallDone& d;
        ~Notify() {
            // Under the lock: the waiter may go, and its condition with it,
            // as soon as it sees done.
            std::lock_guard lock(d.mutex);
            d.done = true;
            d.changed.notify_all();
        }
    };
    void wait() {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return done; });
    }
};
}

// Calls f on the window's thread and waits for it; its result or exception
// comes back here. On the window's thread itself, simply calls f. Raises
// ProgramEnding when the window's thread ended before it could run f.
template <typename F>
auto onWindowThread(F&& f) -> std::invoke_result_t<F> {
    using Result = std::invoke_result_t<F>;
    QCoreApplication* app = QCoreApplication::instance();
    if (QThread::currentThread() == app->thread())
        return f();
    std::exception_ptr failure;
    std::conditional_t<std::is_void_v<Result>, bool, std::optional<Result>> result{};
    detail::WindowCallDone done;
    {
        const std::shared_ptr<detail::WindowCallDone::Notify> notify(new detail::WindowCallDone::Notify{done});
        detail::postCall([&, notify] {
            done.ran = true;
            try {
                if constexpr (std::is_void_v<Result>)
                    f();
                else
                    result.emplace(f());
            } catch (...) {
                failure = std::current_exception();
            }
        });
    }
    done.wait();
    if (!done.ran)
        throw ProgramEnding();
    if (failure)
        std::rethrow_exception(failure);
    if constexpr (!std::is_void_v<Result>)
        return std::move(*result);
}

// Leaves f to the window's thread without waiting, after what was left
// there before it.
template <typename F>
void postToWindowThread(F&& f) {
    detail::postCall(std::function<void()>(std::forward<F>(f)));
}

}
