// SPDX-License-Identifier: GPL-3.0-or-later
// A second thread that runs one job at a time beside the caller, for work
// that splits in two (reading cards, writing them out). It lives as long as
// its owner, so that what a thread builds once (ICU transliterators) is built
// once, not once a job.
#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace vcq::interop
{

class SecondThread
{
public:
    SecondThread();
    // Waits for a job that is running; one that has not started is dropped.
    ~SecondThread();
    SecondThread(const SecondThread &) = delete;
    SecondThread &operator=(const SecondThread &) = delete;

    // Runs job on the thread; the one before must have been waited for.
    void start(std::function<void()> job);
    // True while a job started and not yet waited for.
    bool busy() const;
    // Waits for the job started last; rethrows what it threw.
    void wait();

private:
    void run();

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::function<void()> m_job;
    bool m_started = false; // a job was given and not waited for
    bool m_done = false;
    bool m_quit = false;
    std::exception_ptr m_error;
    std::thread m_thread; // last: starts once the rest is ready
};

} // namespace vcq::interop
