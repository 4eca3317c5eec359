// SPDX-License-Identifier: GPL-3.0-or-later
#include "fake_line_backend.h"

#include "call_info.h"

namespace vcq::tapi
{

FakeLineBackend::FakeLineBackend() = default;

void FakeLineBackend::record(std::string op, std::vector<std::uint64_t> args, std::string text,
                             const LINECALLPARAMS *params)
{
    Request r{std::move(op), std::move(args), std::move(text), std::nullopt};
    if (params != nullptr)
        r.params = *params;
    m_requests.push_back(std::move(r));
}

std::vector<std::string> FakeLineBackend::operations() const
{
    std::vector<std::string> ops;
    for (const auto &r : m_requests)
        ops.push_back(r.op);
    return ops;
}

const FakeLineBackend::Request *FakeLineBackend::lastRequest(const std::string &op) const
{
    for (auto it = m_requests.rbegin(); it != m_requests.rend(); ++it) {
        if (it->op == op)
            return &*it;
    }
    return nullptr;
}

LONG FakeLineBackend::nextRequest(HLINEAPP app)
{
    const LONG id = m_nextRequest++;
    m_requestOwners[id] = app;
    return id;
}

LONG FakeLineBackend::lineInitialize(HLINEAPP *lphLineApp, LINECALLBACK lpfnCallback,
                                     const char *lpszAppName, DWORD *lpdwNumDevs)
{
    record("lineInitialize", {}, lpszAppName != nullptr ? lpszAppName : "");
    if (lphLineApp == nullptr || lpdwNumDevs == nullptr)
        return LINEERR_INVALPOINTER;
    if (initializeResult < 0)
        return initializeResult;
    const HLINEAPP app = m_nextApp++;
    m_apps[app] = true;
    m_queue.registerApp(app, lpfnCallback);
    *lphLineApp = app;
    *lpdwNumDevs = deviceCount;
    return 0;
}

LONG FakeLineBackend::lineNegotiateAPIVersion(HLINEAPP hLineApp, DWORD dwDeviceID,
                                              DWORD dwAPILowVersion, DWORD dwAPIHighVersion,
                                              DWORD *lpdwAPIVersion, LINEEXTENSIONID *lpExtensionID)
{
    record("lineNegotiateAPIVersion", {hLineApp, dwDeviceID, dwAPILowVersion, dwAPIHighVersion});
    if (m_apps.count(hLineApp) == 0)
        return LINEERR_INVALAPPHANDLE;
    if (dwDeviceID >= deviceCount)
        return LINEERR_BADDEVICEID;
    if (negotiateResult < 0)
        return negotiateResult;
    if (lpExtensionID != nullptr)
        *lpExtensionID = LINEEXTENSIONID{};
    return negotiateVersion(dwAPILowVersion, dwAPIHighVersion, lpdwAPIVersion);
}

LONG FakeLineBackend::lineOpen(HLINEAPP hLineApp, DWORD dwDeviceID, HLINE *lphLine,
                               DWORD dwAPIVersion, DWORD dwExtVersion,
                               std::uintptr_t dwCallbackInstance, DWORD dwPrivileges,
                               DWORD dwMediaModes, const LINECALLPARAMS *lpCallParams)
{
    record("lineOpen",
           {hLineApp, dwDeviceID, dwAPIVersion, dwExtVersion, dwCallbackInstance, dwPrivileges,
            dwMediaModes},
           {}, lpCallParams);
    if (m_apps.count(hLineApp) == 0)
        return LINEERR_INVALAPPHANDLE;
    if (lphLine == nullptr)
        return LINEERR_INVALPOINTER;
    if (openResult < 0)
        return openResult;
    const HLINE line = m_nextLine++;
    m_lines[line] = hLineApp;
    *lphLine = line;
    return 0;
}

LONG FakeLineBackend::lineMakeCall(HLINE hLine, HCALL *lphCall, const char *lpszDestAddress,
                                   DWORD dwCountryCode, const LINECALLPARAMS *lpCallParams)
{
    record("lineMakeCall", {hLine, dwCountryCode}, lpszDestAddress ? lpszDestAddress : "",
           lpCallParams);
    const auto line = m_lines.find(hLine);
    if (line == m_lines.end())
        return LINEERR_INVALLINEHANDLE;
    if (lphCall == nullptr)
        return LINEERR_INVALPOINTER;
    if (makeCallResult < 0)
        return makeCallResult;
    const HCALL call = m_nextCall++;
    m_calls[call] = line->second;
    m_lastCall = call;
    *lphCall = call;
    return nextRequest(line->second);
}

LONG FakeLineBackend::lineDrop(HCALL hCall, const char *, DWORD dwSize)
{
    record("lineDrop", {hCall, dwSize});
    const auto call = m_calls.find(hCall);
    if (call == m_calls.end())
        return LINEERR_INVALCALLHANDLE;
    if (dropResult < 0)
        return dropResult;
    return nextRequest(call->second);
}

LONG FakeLineBackend::lineGetCallInfo(HCALL hCall, std::uint8_t *lpCallInfo)
{
    record("lineGetCallInfo", {hCall});
    if (m_calls.count(hCall) == 0)
        return LINEERR_INVALCALLHANDLE;
    if (callInfoResult < 0)
        return callInfoResult;
    CallInfoFields fields;
    fields.callStates = LINECALLSTATE_CONNECTED;
    fields.appName = callInfoAppName;
    return fillCallInfo(lpCallInfo, fields);
}

LONG FakeLineBackend::lineDeallocateCall(HCALL hCall)
{
    record("lineDeallocateCall", {hCall});
    return m_calls.erase(hCall) != 0 ? 0 : LINEERR_INVALCALLHANDLE;
}

LONG FakeLineBackend::lineClose(HLINE hLine)
{
    record("lineClose", {hLine});
    return m_lines.erase(hLine) != 0 ? 0 : LINEERR_INVALLINEHANDLE;
}

LONG FakeLineBackend::lineShutdown(HLINEAPP hLineApp)
{
    record("lineShutdown", {hLineApp});
    if (m_apps.erase(hLineApp) == 0)
        return LINEERR_INVALAPPHANDLE;
    m_queue.unregisterApp(hLineApp);
    std::erase_if(m_lines, [hLineApp](const auto &l) { return l.second == hLineApp; });
    std::erase_if(m_calls, [hLineApp](const auto &c) { return c.second == hLineApp; });
    return 0;
}

void FakeLineBackend::reply(LONG requestId, LONG result)
{
    const auto owner = m_requestOwners.find(requestId);
    if (owner == m_requestOwners.end())
        return;
    post(owner->second,
         {0, LINE_REPLY, static_cast<DWORD>(requestId), static_cast<DWORD>(result), 0});
}

void FakeLineBackend::callState(HCALL call, DWORD state, DWORD mode)
{
    const auto owner = m_calls.find(call);
    if (owner == m_calls.end())
        return;
    post(owner->second, {call, LINE_CALLSTATE, state, mode, 0});
}

void FakeLineBackend::post(HLINEAPP app, const LineEvent &event)
{
    m_queue.post(app, event);
}

} // namespace vcq::tapi
