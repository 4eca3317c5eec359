// SPDX-License-Identifier: GPL-3.0-or-later
// Delivers a backend's line events to the registered callbacks on the user-interface thread,
// through the Qt event loop, in the order they were posted, one at a time: a callback is never
// entered again while it runs (events posted meanwhile wait until it has returned), and events
// of a registration that has ended are dropped.
#pragma once

#include "line_types.h"

#include <QObject>

#include <deque>
#include <map>

namespace vcq::tapi
{

struct LineEvent {
    DWORD hDevice = 0;
    DWORD dwMsg = 0;
    DWORD dwParam1 = 0;
    DWORD dwParam2 = 0;
    DWORD dwParam3 = 0;
    bool operator==(const LineEvent &) const = default;
};

class LineEventQueue : public QObject
{
    Q_OBJECT

public:
    explicit LineEventQueue(QObject *parent = nullptr);

    void registerApp(HLINEAPP app, LINECALLBACK callback);
    void unregisterApp(HLINEAPP app);
    bool isRegistered(HLINEAPP app) const;

    void post(HLINEAPP app, const LineEvent &event);

private:
    void scheduleDelivery();
    void deliver();

    struct Pending {
        HLINEAPP app;
        LineEvent event;
    };
    std::map<HLINEAPP, LINECALLBACK> m_callbacks;
    std::deque<Pending> m_pending;
    bool m_scheduled = false;
};

} // namespace vcq::tapi
