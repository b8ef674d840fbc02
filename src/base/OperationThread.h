#pragma once
#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <exception>
#include <functional>
#include <memory>
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

// Calls f on the window's thread and waits for it; its result or exception
// comes back here. On the window's thread itself, simply calls f.
template <typename F>
auto onWindowThread(F&& f) -> std::invoke_result_t<F> {
    using Result = std::invoke_result_t<F>;
    QCoreApplication* app = QCoreApplication::instance();
    if (QThread::currentThread() == app->thread())
        return f();
    std::exception_ptr failure;
    if constexpr (std::is_void_v<Result>) {
        QMetaObject::invokeMethod(
            app, [&] {
                try {
                    f();
                } catch (...) {
                    failure = std::current_exception();
                }
            },
            Qt::BlockingQueuedConnection);
        if (failure)
            std::rethrow_exception(failure);
    } else {
        std::optional<Result> result;
        QMetaObject::invokeMethod(
            app, [&] {
                try {
                    result.emplace(f());
                } catch (...) {
                    failure = std::current_exception();
                }
            },
            Qt::BlockingQueuedConnection);
        if (failure)
            std::rethrow_exception(failure);
        return std::move(*result);
    }
}

// Leaves f to the window's thread without waiting, after what was left
// there before it.
template <typename F>
void postToWindowThread(F&& f) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::forward<F>(f), Qt::QueuedConnection);
}

}
