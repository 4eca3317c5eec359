// SPDX-License-Identifier: GPL-3.0-or-later
#include "line_event_queue.h"

#include <QMetaObject>
#include <QPointer>

#include <vector>

namespace vcq::tapi
{

namespace
{
// One callback at a time in the whole process, whichever backend posted the event.
bool g_inCallback = false;
// Queues that had something to deliver while a callback was running.
std::vector<QPointer<LineEventQueue>> g_waiting;
} // namespace

LineEventQueue::LineEventQueue(QObject *parent) : QObject(parent) {}

void LineEventQueue::registerApp(HLINEAPP app, LINECALLBACK callback)
{
    m_callbacks[app] = callback;
}

void LineEventQueue::unregisterApp(HLINEAPP app)
{
    m_callbacks.erase(app);
    std::erase_if(m_pending, [app](const Pending &p) { return p.app == app; });
}

bool LineEventQueue::isRegistered(HLINEAPP app) const
{
    return m_callbacks.count(app) != 0;
}

void LineEventQueue::post(HLINEAPP app, const LineEvent &event)
{
    if (!isRegistered(app))
        return;
    m_pending.push_back({app, event});
    scheduleDelivery();
}

void LineEventQueue::scheduleDelivery()
{
    if (m_scheduled || m_pending.empty())
        return;
    m_scheduled = true;
    QMetaObject::invokeMethod(this, &LineEventQueue::deliver, Qt::QueuedConnection);
}

void LineEventQueue::deliver()
{
    m_scheduled = false;
    if (g_inCallback) {
        // A callback is running a nested event loop; deliver once it has returned.
        g_waiting.emplace_back(this);
        return;
    }
    if (m_pending.empty())
        return;
    const Pending next = m_pending.front();
    m_pending.pop_front();
    const auto it = m_callbacks.find(next.app);
    if (it != m_callbacks.end() && it->second != nullptr) {
        const QPointer<LineEventQueue> self(this);
        g_inCallback = true;
        it->second(next.event.hDevice, next.event.dwMsg, 0, next.event.dwParam1,
                   next.event.dwParam2, next.event.dwParam3);
        g_inCallback = false;
        auto waiting = std::move(g_waiting);
        g_waiting.clear();
        for (const auto &queue : waiting) {
            if (queue)
                queue->scheduleDelivery();
        }
        if (!self)
            return;
    }
    // One event per pass through the event loop keeps the window responsive and lets the
    // effects of one event (a lineDrop posting its reply) queue behind the ones already waiting.
    scheduleDelivery();
}

} // namespace vcq::tapi
