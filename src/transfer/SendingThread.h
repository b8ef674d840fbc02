#pragma once
#include <condition_variable>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

namespace tw {

// One thread kept for a writer's batches, one batch at a time. A batch
// handed to a thread that waits starts at once; a new thread for each
// batch would wait for a free core first, while the transfer's own and the
// reading threads hold both of a small machine's.
class SendingThread {
public:
    SendingThread() = default;
    ~SendingThread();
    SendingThread(const SendingThread&) = delete;
    SendingThread& operator=(const SendingThread&) = delete;

    // Starts work once the work before it is through; its end, and what it
    // raised, come with the future.
    std::future<void> run(std::function<void()> work);

private:
    void serve();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::packaged_task<void()> m_work;  // valid while handed over and not yet taken
    bool m_stop = false;
    std::thread m_thread;  // started with the first work
};

}
