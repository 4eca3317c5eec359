// SPDX-License-Identifier: GPL-3.0-or-later
#include "modem_call_states.h"

namespace vcq::tapi
{

std::vector<CallStateReport> reportsForModemCallState(int newState, std::uint32_t reason)
{
    switch (newState) {
    case mm::CallStateDialing:
        return {{LINECALLSTATE_DIALING, 0}};
    case mm::CallStateRingingOut:
        return {{LINECALLSTATE_PROCEEDING, 0}};
    case mm::CallStateActive:
        return {{LINECALLSTATE_CONNECTED, 0}};
    case mm::CallStateTerminated:
        if (reason == mm::CallStateReasonRefusedOrBusy)
            return {{LINECALLSTATE_BUSY, 0}, {LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_BUSY}};
        return {{LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NORMAL}};
    default:
        return {};
    }
}

} // namespace vcq::tapi
