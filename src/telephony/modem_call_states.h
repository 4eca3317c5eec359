// SPDX-License-Identifier: GPL-3.0-or-later
// How ModemManager's call states and state reasons translate into line call-state events.
#pragma once

#include "line_types.h"

#include <cstdint>
#include <vector>

namespace vcq::tapi
{

// ModemManager call states (MMCallState) and the reason this program tells apart.
namespace mm
{
inline constexpr int CallStateUnknown = 0;
inline constexpr int CallStateDialing = 1;
inline constexpr int CallStateRingingOut = 2;
inline constexpr int CallStateRingingIn = 3;
inline constexpr int CallStateActive = 4;
inline constexpr int CallStateHeld = 5;
inline constexpr int CallStateWaiting = 6;
inline constexpr int CallStateTerminated = 7;
inline constexpr std::uint32_t CallStateReasonRefusedOrBusy = 5;
} // namespace mm

// A call state and its mode (dwParam1, dwParam2 of LINE_CALLSTATE).
struct CallStateReport {
    DWORD state = 0;
    DWORD mode = 0;
    bool operator==(const CallStateReport &) const = default;
};

// The reports a change to newState for reason gives, in the order they are delivered;
// none for states the dialer has no text for.
std::vector<CallStateReport> reportsForModemCallState(int newState, std::uint32_t reason);

} // namespace vcq::tapi
