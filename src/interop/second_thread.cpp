// SPDX-License-Identifier: GPL-3.0-or-later
#include "second_thread.h"

#include <utility>

namespace vcq::interop
{

SecondThread::SecondThread() : m_thread([this] { run(); }) {}

SecondThread::~SecondThread()
{
    {
        const std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void SecondThread::start(std::function<void()> job)
{
    {
        const std::lock_guard lock(m_mutex);
        m_job = std::move(job);
        m_started = true;
        m_done = false;
        m_error = nullptr;
    }
    m_changed.notify_all();
}

bool SecondThread::busy() const
{
    const std::lock_guard lock(m_mutex);
    return m_started;
}

void SecondThread::wait()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_done; });
    m_started = false;
    m_done = false;
    if (m_error)
        std::rethrow_exception(std::exchange(m_error, nullptr));
}

void SecondThread::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [&] { return m_quit || m_job; });
        if (m_quit)
            return;
        std::function<void()> job = std::exchange(m_job, nullptr);
        lock.unlock();
        std::exception_ptr error;
        try {
            job();
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        m_error = error;
        m_done = true;
        m_changed.notify_all();
    }
}

} // namespace vcq::interop
