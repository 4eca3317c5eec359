// SPDX-License-Identifier: GPL-3.0-or-later
// A scripted telephony backend for tests: it records every operation with its arguments,
// answers with the results a test sets, and delivers only the events a test plays, through the
// same event queue as the real backend.
#pragma once

#include "line_backend.h"
#include "line_event_queue.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vcq::tapi
{

class FakeLineBackend : public LineBackend
{
public:
    // One recorded operation: its name, its numeric arguments in order, the destination
    // address (lineMakeCall) and the call parameters passed (lineOpen, lineMakeCall).
    struct Request {
        std::string op;
        std::vector<std::uint64_t> args;
        std::string text;
        std::optional<LINECALLPARAMS> params;
    };

    // The script. A failing result makes the operation fail with that code.
    LONG initializeResult = 0;
    DWORD deviceCount = 1;
    LONG negotiateResult = 0;
    LONG openResult = 0;
    LONG makeCallResult = 0;
    LONG dropResult = 0;
    LONG callInfoResult = 0;
    std::string callInfoAppName = "vellora-carnetique-97";

    FakeLineBackend();

    LONG lineInitialize(HLINEAPP *lphLineApp, LINECALLBACK lpfnCallback, const char *lpszAppName,
                        DWORD *lpdwNumDevs) override;
    LONG lineNegotiateAPIVersion(HLINEAPP hLineApp, DWORD dwDeviceID, DWORD dwAPILowVersion,
                                 DWORD dwAPIHighVersion, DWORD *lpdwAPIVersion,
                                 LINEEXTENSIONID *lpExtensionID) override;
    LONG lineOpen(HLINEAPP hLineApp, DWORD dwDeviceID, HLINE *lphLine, DWORD dwAPIVersion,
                  DWORD dwExtVersion, std::uintptr_t dwCallbackInstance, DWORD dwPrivileges,
                  DWORD dwMediaModes, const LINECALLPARAMS *lpCallParams) override;
    LONG lineMakeCall(HLINE hLine, HCALL *lphCall, const char *lpszDestAddress, DWORD dwCountryCode,
                      const LINECALLPARAMS *lpCallParams) override;
    LONG lineDrop(HCALL hCall, const char *lpsUserUserInfo, DWORD dwSize) override;
    LONG lineGetCallInfo(HCALL hCall, std::uint8_t *lpCallInfo) override;
    LONG lineDeallocateCall(HCALL hCall) override;
    LONG lineClose(HLINE hLine) override;
    LONG lineShutdown(HLINEAPP hLineApp) override;

    // What was asked of the backend so far, oldest first.
    const std::vector<Request> &requests() const { return m_requests; }
    std::vector<std::string> operations() const;
    const Request *lastRequest(const std::string &op) const;
    void clearRequests() { m_requests.clear(); }

    // Playing events: a reply to a request, a state of a call, or any raw message, delivered
    // to the registration that owns the request, call or line.
    void reply(LONG requestId, LONG result);
    void callState(HCALL call, DWORD state, DWORD mode = 0);
    void post(HLINEAPP app, const LineEvent &event);

    HCALL lastCall() const { return m_lastCall; }
    LONG lastRequestId() const { return m_nextRequest - 1; }
    bool isRegistered(HLINEAPP app) const { return m_queue.isRegistered(app); }
    bool hasLine(HLINE line) const { return m_lines.count(line) != 0; }
    bool hasCall(HCALL call) const { return m_calls.count(call) != 0; }
    std::size_t registrationCount() const { return m_apps.size(); }

private:
    void record(std::string op, std::vector<std::uint64_t> args, std::string text = {},
                const LINECALLPARAMS *params = nullptr);
    LONG nextRequest(HLINEAPP app);

    LineEventQueue m_queue;
    std::vector<Request> m_requests;
    std::map<HLINEAPP, bool> m_apps;
    std::map<HLINE, HLINEAPP> m_lines;
    std::map<HCALL, HLINEAPP> m_calls;
    std::map<LONG, HLINEAPP> m_requestOwners;
    HLINEAPP m_nextApp = 0x10;
    HLINE m_nextLine = 0x100;
    HCALL m_nextCall = 0x1000;
    LONG m_nextRequest = 1;
    HCALL m_lastCall = 0;
};

} // namespace vcq::tapi
