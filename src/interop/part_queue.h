// SPDX-License-Identifier: GPL-3.0-or-later
// Hands parts of work from one thread to another, in order. At most a few
// parts exist at a time, so a fast producer cannot fill memory, and each part
// is recycled once used, so its buffers are allocated once. Either side can
// end the hand-over: the producer when it has no more parts (or failed), the
// consumer when it wants no more.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <vector>

namespace vcq::interop
{

template <typename Part> class PartQueue
{
public:
    explicit PartQueue(std::size_t capacity) : m_capacity(std::max<std::size_t>(capacity, 1)) {}
    PartQueue(const PartQueue &) = delete;
    PartQueue &operator=(const PartQueue &) = delete;

    // Producer: a part to fill, recycled or new while fewer than the capacity
    // exist. Waits while every part is in use; nullptr once stopped.
    std::unique_ptr<Part> emptyPart()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_stopped || !m_free.empty() || m_made < m_capacity; });
        if (m_stopped)
            return nullptr;
        if (!m_free.empty()) {
            std::unique_ptr<Part> part = std::move(m_free.back());
            m_free.pop_back();
            return part;
        }
        ++m_made;
        lock.unlock();
        return std::make_unique<Part>();
    }

    // Producer: hands a filled part on. False once stopped (the part is dropped).
    bool push(std::unique_ptr<Part> part)
    {
        {
            const std::lock_guard lock(m_mutex);
            if (m_stopped)
                return false;
            m_full.push_back(std::move(part));
        }
        m_changed.notify_all();
        return true;
    }

    // Producer: no parts follow; error says why when the producer failed.
    void close(std::exception_ptr error = nullptr)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_closed = true;
            m_error = std::move(error);
        }
        m_changed.notify_all();
    }

    // Consumer: the next part, waiting for it; nullptr when the producer
    // closed the queue and every part before that was taken.
    std::unique_ptr<Part> pop()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_stopped || m_closed || !m_full.empty(); });
        if (m_full.empty())
            return nullptr;
        std::unique_ptr<Part> part = std::move(m_full.front());
        m_full.pop_front();
        return part;
    }

    // Consumer: gives a used part back for the producer to fill again.
    void recycle(std::unique_ptr<Part> part)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_free.push_back(std::move(part));
        }
        m_changed.notify_all();
    }

    // Consumer: the producer's error once pop() answered nullptr, if any.
    std::exception_ptr error() const
    {
        const std::lock_guard lock(m_mutex);
        return m_error;
    }

    // Consumer: no more parts are wanted; a waiting producer wakes and ends.
    void stop()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stopped = true;
        }
        m_changed.notify_all();
    }

private:
    const std::size_t m_capacity;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::unique_ptr<Part>> m_full;
    std::vector<std::unique_ptr<Part>> m_free;
    std::size_t m_made = 0;
    bool m_closed = false;
    bool m_stopped = false;
    std::exception_ptr m_error;
};

} // namespace vcq::interop
