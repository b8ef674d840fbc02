#include "transfer/SendingThread.h"

namespace tw {

SendingThread::~SendingThread() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

std::future<void> SendingThread::run(std::function<void()> work) {
    std::packaged_task<void()> task(std::move(work));
    std::future<void> done = task.get_future();
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_work.valid(); });
        m_work = std::move(task);
    }
    if (!m_thread.joinable())
        m_thread = std::thread([this] { serve(); });
    else
        m_changed.notify_one();
    return done;
}

void SendingThread::serve() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stop || m_work.valid(); });
        if (!m_work.valid())
            return;
        std::packaged_task<void()> task = std::move(m_work);
        lock.unlock();
        m_changed.notify_one();  // a run waiting for the slot
        task();
        lock.lock();
    }
}

}
