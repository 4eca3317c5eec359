// SPDX-License-Identifier: GPL-3.0-or-later
// The line-device operations the dialer calls, implemented by a telephony backend
// (ModemManager on the system bus, or a scripted fake in tests), and the process-wide choice of
// the backend new dialer windows use.
#pragma once

#include "line_types.h"

#include <memory>

namespace vcq::tapi
{

class LineBackend
{
public:
    virtual ~LineBackend() = default;

    // Registers the callback; *lpdwNumDevs receives the number of line devices (0 is not an
    // error here: the caller decides what a registration without devices is worth).
    virtual LONG lineInitialize(HLINEAPP *lphLineApp, LINECALLBACK lpfnCallback,
                                const char *lpszAppName, DWORD *lpdwNumDevs) = 0;
    virtual LONG lineNegotiateAPIVersion(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPILowVersion,
                                         DWORD dwAPIHighVersion, DWORD *lpdwAPIVersion,
                                         LINEEXTENSIONID *lpExtensionID) = 0;
    virtual LONG lineOpen(HLINEAPP hLineApp, DWORD dwDeviceID, HLINE *lphLine, DWORD dwAPIVersion,
                          DWORD dwExtVersion, std::uintptr_t dwCallbackInstance, DWORD dwPrivileges,
                          DWORD dwMediaModes, const LINECALLPARAMS *lpCallParams) = 0;
    // Returns a request id at once; the outcome arrives later as LINE_REPLY.
    // lpszDestAddress is zero-terminated UTF-8 and is dialled exactly as given.
    virtual LONG lineMakeCall(HLINE hLine, HCALL *lphCall, const char *lpszDestAddress,
                              DWORD dwCountryCode, const LINECALLPARAMS *lpCallParams) = 0;
    // Returns a request id at once; the outcome arrives later as LINE_REPLY.
    virtual LONG lineDrop(HCALL hCall, const char *lpsUserUserInfo, DWORD dwSize) = 0;
    // lpCallInfo starts with dwTotalSize, the size of the caller's buffer.
    virtual LONG lineGetCallInfo(HCALL hCall, std::uint8_t *lpCallInfo) = 0;
    virtual LONG lineDeallocateCall(HCALL hCall) = 0;
    virtual LONG lineClose(HLINE hLine) = 0;
    virtual LONG lineShutdown(HLINEAPP hLineApp) = 0;
};

// The backend new dialer windows use. Unless set, the first use creates the ModemManager
// backend on the system bus.
std::shared_ptr<LineBackend> defaultLineBackend();
void setDefaultLineBackend(std::shared_ptr<LineBackend> backend);

} // namespace vcq::tapi
