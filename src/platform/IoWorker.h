#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>

namespace qel {

// A job handed to an IoWorker; waits for it when dropped, so that nothing it
// uses is freed under it (as a future of std::async does).
template <class R>
class IoJob {
public:
    IoJob() = default;
    explicit IoJob(std::future<R> result)
        : m_result(std::move(result)) {}
    IoJob(IoJob&&) noexcept = default;
    IoJob& operator=(IoJob&& other) noexcept {
        wait();
        m_result = std::move(other.m_result);
        return *this;
    }
    ~IoJob() { wait(); }

    bool valid() const { return m_result.valid(); }
    // Its result, or what it threw.
    R get() { return m_result.get(); }

private:
    void wait() {
        if (m_result.valid())
            m_result.wait();
    }
    std::future<R> m_result;
};

// One thread that runs the jobs handed to it in order, kept for every copy:
// on a busy machine a waiting thread that is woken runs at once, where a
// thread started anew waits behind every running program for its first turn.
// The thread starts with the first job; a job must not wait for another job
// of its own worker.
class IoWorker final {
public:
    IoWorker() = default;
    ~IoWorker();
    IoWorker(const IoWorker&) = delete;
    IoWorker& operator=(const IoWorker&) = delete;

    template <class F>
    IoJob<std::invoke_result_t<F>> run(F job) {
        using R = std::invoke_result_t<F>;
        auto task = std::make_shared<std::packaged_task<R()>>(std::move(job));
        IoJob<R> handle(task->get_future());
        post([task] { (*task)(); });
        return handle;
    }

private:
    void post(std::function<void()> job);
    void serve();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_jobs;
    bool m_ending = false;
    std::thread m_thread;
};

} // namespace qel
