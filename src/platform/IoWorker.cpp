#include "platform/IoWorker.h"

namespace qel {

IoWorker::~IoWorker() {
    {
        const std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

void IoWorker::post(std::function<void()> job) {
    {
        const std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
        if (!m_thread.joinable())
            m_thread = std::thread(&IoWorker::serve, this);
    }
    m_wake.notify_one();
}

void IoWorker::serve() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_ending || !m_jobs.empty(); });
            if (m_jobs.empty())
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        // A packaged task keeps what its job throws for the one who waits.
        job();
    }
}

} // namespace qel
