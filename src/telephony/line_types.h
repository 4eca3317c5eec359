// SPDX-License-Identifier: GPL-3.0-or-later
// Line-device layer: handles, message codes, constants, records and result codes shared by the
// dialer and the telephony backends. Results follow the line-device convention: negative is an
// error code, zero or positive is success (for asynchronous operations, a request id).
#pragma once

#include <cstdint>

namespace vcq::tapi
{

using DWORD = std::uint32_t;
using LONG = std::int32_t;
using HLINEAPP = std::uint32_t;
using HLINE = std::uint32_t;
using HCALL = std::uint32_t;

// The line callback: hDevice, dwMsg, dwCallbackInstance, dwParam1, dwParam2, dwParam3.
using LINECALLBACK = void (*)(DWORD, DWORD, std::uintptr_t, DWORD, DWORD, DWORD);

// Messages.
inline constexpr DWORD LINE_CALLSTATE = 2;
inline constexpr DWORD LINE_REPLY = 12;

// Call states (dwParam1 of LINE_CALLSTATE).
inline constexpr DWORD LINECALLSTATE_IDLE = 0x1;
inline constexpr DWORD LINECALLSTATE_OFFERING = 0x2;
inline constexpr DWORD LINECALLSTATE_ACCEPTED = 0x4;
inline constexpr DWORD LINECALLSTATE_DIALTONE = 0x8;
inline constexpr DWORD LINECALLSTATE_DIALING = 0x10;
inline constexpr DWORD LINECALLSTATE_RINGBACK = 0x20;
inline constexpr DWORD LINECALLSTATE_BUSY = 0x40;
inline constexpr DWORD LINECALLSTATE_CONNECTED = 0x100;
inline constexpr DWORD LINECALLSTATE_PROCEEDING = 0x200;
inline constexpr DWORD LINECALLSTATE_DISCONNECTED = 0x4000;
inline constexpr DWORD LINECALLSTATE_UNKNOWN = 0x8000;

// Disconnect modes (dwParam2 of a DISCONNECTED LINE_CALLSTATE).
inline constexpr DWORD LINEDISCONNECTMODE_NORMAL = 0x1;
inline constexpr DWORD LINEDISCONNECTMODE_UNKNOWN = 0x2;
inline constexpr DWORD LINEDISCONNECTMODE_REJECT = 0x4;
inline constexpr DWORD LINEDISCONNECTMODE_BUSY = 0x20;
inline constexpr DWORD LINEDISCONNECTMODE_NOANSWER = 0x40;
inline constexpr DWORD LINEDISCONNECTMODE_UNAVAIL = 0x800;

inline constexpr DWORD LINEMAPPER = 0xFFFFFFFF;
inline constexpr DWORD LINEBEARERMODE_VOICE = 0x1;
inline constexpr DWORD LINEMEDIAMODE_INTERACTIVEVOICE = 0x4;
inline constexpr DWORD LINECALLPRIVILEGE_NONE = 0x1;
inline constexpr DWORD LINECALLORIGIN_OUTBOUND = 0x1;

// The one interface version the layer implements; negotiation picks it when the range allows.
inline constexpr DWORD kLineApiVersion = 0x00020000;

// The longest destination address, in characters, a call accepts.
inline constexpr int kMaxDestinationLength = 30;

// Error codes.
inline constexpr LONG lineError(DWORD code)
{
    return static_cast<LONG>(0x80000000u | code);
}
inline constexpr LONG LINEERR_BADDEVICEID = lineError(0x02);
inline constexpr LONG LINEERR_INCOMPATIBLEAPIVERSION = lineError(0x0C);
inline constexpr LONG LINEERR_INVALADDRESS = lineError(0x10);
inline constexpr LONG LINEERR_INVALAPPHANDLE = lineError(0x15);
inline constexpr LONG LINEERR_INVALCALLHANDLE = lineError(0x18);
inline constexpr LONG LINEERR_INVALCALLPARAMS = lineError(0x19);
inline constexpr LONG LINEERR_INVALLINEHANDLE = lineError(0x2B);
inline constexpr LONG LINEERR_INVALPOINTER = lineError(0x35);
inline constexpr LONG LINEERR_NODEVICE = lineError(0x41);
inline constexpr LONG LINEERR_NODRIVER = lineError(0x43);
inline constexpr LONG LINEERR_OPERATIONFAILED = lineError(0x48);
inline constexpr LONG LINEERR_OPERATIONUNAVAIL = lineError(0x49);
inline constexpr LONG LINEERR_STRUCTURETOOSMALL = lineError(0x4D);

struct LINEDIALPARAMS {
    DWORD dwDialPause = 0;
    DWORD dwDialSpeed = 0;
    DWORD dwDigitDuration = 0;
    DWORD dwWaitForDialtone = 0;
    bool operator==(const LINEDIALPARAMS &) const = default;
};

// Parameters of a call: 112 bytes. The trailing size/offset pairs (originating address,
// displayable address, user-user data and the like) are not used by this program.
struct LINECALLPARAMS {
    DWORD dwTotalSize = 0;
    DWORD dwBearerMode = 0;
    DWORD dwMinRate = 0;
    DWORD dwMaxRate = 0;
    DWORD dwMediaMode = 0;
    DWORD dwCallParamFlags = 0;
    DWORD dwAddressMode = 0;
    DWORD dwAddressID = 0;
    LINEDIALPARAMS DialParams;
    DWORD dwVarFields[16] = {};
    bool operator==(const LINECALLPARAMS &) const = default;
};
static_assert(sizeof(LINECALLPARAMS) == 112);

struct LINEEXTENSIONID {
    DWORD dwExtensionID0 = 0;
    DWORD dwExtensionID1 = 0;
    DWORD dwExtensionID2 = 0;
    DWORD dwExtensionID3 = 0;
    bool operator==(const LINEEXTENSIONID &) const = default;
};

// Picks the layer's version inside [low, high]; LINEERR_INCOMPATIBLEAPIVERSION when it lies
// outside.
LONG negotiateVersion(DWORD low, DWORD high, DWORD *negotiated);

// True when the parameters ask for something this layer can carry: a voice bearer with an
// interactive-voice media mode (or no parameters at all).
bool isVoiceCall(const LINECALLPARAMS *params);

} // namespace vcq::tapi
