// SPDX-License-Identifier: GPL-3.0-or-later
#include "modem_manager_backend.h"

#include "call_info.h"
#include "dbus_types.h"
#include "modem_call_proxy.h"
#include "modem_call_states.h"
#include "modem_voice_proxy.h"
#include "object_manager_proxy.h"
#include "properties_proxy.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QFileInfo>

#include <algorithm>

namespace vcq::tapi
{

namespace
{

// The call states a ModemManager call can report through this layer.
constexpr DWORD kReportedStates = LINECALLSTATE_IDLE | LINECALLSTATE_DIALING |
                                  LINECALLSTATE_PROCEEDING | LINECALLSTATE_CONNECTED |
                                  LINECALLSTATE_BUSY | LINECALLSTATE_DISCONNECTED;

std::string programFileName()
{
    if (QCoreApplication::instance() == nullptr)
        return {};
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName().toStdString();
}

// Runs onDone(reply) when an asynchronous call finishes, unless context is gone by then.
template <typename Reply, typename F>
void whenFinished(QObject *context, const Reply &pending, F onDone)
{
    auto *watcher = new QDBusPendingCallWatcher(pending, context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [watcher, onDone](QDBusPendingCallWatcher *) {
                         watcher->deleteLater();
                         onDone(Reply(*watcher));
                     });
}

QStringList voiceModems(const DBusManagedObjects &objects)
{
    QStringList modems;
    for (auto it = objects.cbegin(); it != objects.cend(); ++it) {
        if (it.value().contains(ModemManagerBackend::kVoiceInterface))
            modems << it.key().path();
    }
    return modems;
}

} // namespace

ModemManagerBackend::ModemManagerBackend(const QDBusConnection &bus, int timeoutMs, QObject *parent)
    : QObject(parent), m_bus(bus), m_timeoutMs(timeoutMs)
{
    registerDBusTypes();
    if (!m_bus.isConnected())
        return;
    m_manager = new ObjectManagerProxy(kService, kManagerPath, m_bus, this);
    m_manager->setTimeout(m_timeoutMs);
    // Typed receivers on the generated proxy never see these signals; connect on the bus
    // (and read the nested map of InterfacesAdded from the message itself).
    m_bus.connect(kService, kManagerPath, QStringLiteral("org.freedesktop.DBus.ObjectManager"),
                  QStringLiteral("InterfacesAdded"), this, SLOT(onInterfacesAdded(QDBusMessage)));
    m_bus.connect(kService, kManagerPath, QStringLiteral("org.freedesktop.DBus.ObjectManager"),
                  QStringLiteral("InterfacesRemoved"), this,
                  SLOT(onInterfacesRemoved(QDBusObjectPath, QStringList)));
    m_watcher = new QDBusServiceWatcher(kService, m_bus,
                                        QDBusServiceWatcher::WatchForRegistration |
                                            QDBusServiceWatcher::WatchForUnregistration,
                                        this);
    connect(m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] { setDevices({}); });
    connect(m_watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] {
        whenFinished(this, m_manager->GetManagedObjects(),
                     [this](const QDBusPendingReply<DBusManagedObjects> &r) {
                         if (!r.isError())
                             setDevices(voiceModems(r.value()));
                     });
    });
}

ModemManagerBackend::~ModemManagerBackend()
{
    // Calls still held end with the program: hang them up and delete them.
    std::vector<HLINEAPP> apps;
    for (const auto &a : m_apps)
        apps.push_back(a.first);
    for (HLINEAPP app : apps)
        lineShutdown(app);
}

bool ModemManagerBackend::refreshDevices()
{
    if (m_manager == nullptr)
        return false;
    QDBusPendingReply<DBusManagedObjects> reply = m_manager->GetManagedObjects();
    reply.waitForFinished();
    if (reply.isError())
        return false;
    setDevices(voiceModems(reply.value()));
    return true;
}

void ModemManagerBackend::setDevices(QStringList modems)
{
    modems.sort();
    for (const QString &old : QStringList(m_modems)) {
        if (!modems.contains(old))
            removeDevice(old);
    }
    if (modems != m_modems) {
        m_modems = modems;
        emit devicesChanged();
    }
}

void ModemManagerBackend::addDevice(const QString &path)
{
    if (m_modems.contains(path))
        return;
    m_modems << path;
    m_modems.sort();
    emit devicesChanged();
}

void ModemManagerBackend::onInterfacesAdded(const QDBusMessage &message)
{
    const QVariantList args = message.arguments();
    if (args.size() < 2)
        return;
    const auto path = args.at(0).value<QDBusObjectPath>();
    const auto interfaces = qdbus_cast<DBusInterfaceProperties>(args.at(1));
    if (interfaces.contains(kVoiceInterface))
        addDevice(path.path());
}

void ModemManagerBackend::onInterfacesRemoved(const QDBusObjectPath &path,
                                              const QStringList &interfaces)
{
    if (interfaces.contains(kVoiceInterface))
        removeDevice(path.path());
}

void ModemManagerBackend::removeDevice(const QString &path)
{
    // Its calls vanished with it: they are over, and there is nothing left to hang up.
    for (auto &[handle, call] : m_calls) {
        if (call.modem != path)
            continue;
        call.gone = true;
        if (!call.terminated) {
            call.terminated = true;
            post(call.app,
                 {handle, LINE_CALLSTATE, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_UNAVAIL});
        }
    }
    if (m_modems.removeAll(path) > 0)
        emit devicesChanged();
}

QString ModemManagerBackend::modemForLine(const Line &line) const
{
    if (m_modems.contains(line.modem))
        return line.modem;
    // A line opened through the mapper follows the modems: any voice modem will do.
    if (line.mapper && !m_modems.isEmpty())
        return m_modems.first();
    return {};
}

LONG ModemManagerBackend::lineInitialize(HLINEAPP *lphLineApp, LINECALLBACK lpfnCallback,
                                         const char *lpszAppName, DWORD *lpdwNumDevs)
{
    if (lphLineApp == nullptr || lpdwNumDevs == nullptr || lpfnCallback == nullptr)
        return LINEERR_INVALPOINTER;
    const bool answered = refreshDevices();
    const HLINEAPP app = m_nextApp++;
    m_apps[app] = App{lpszAppName != nullptr ? std::string(lpszAppName) : programFileName()};
    m_queue.registerApp(app, lpfnCallback);
    *lphLineApp = app;
    *lpdwNumDevs = answered ? static_cast<DWORD>(m_modems.size()) : 0;
    return 0;
}

LONG ModemManagerBackend::lineNegotiateAPIVersion(HLINEAPP hLineApp, DWORD dwDeviceID,
                                                  DWORD dwAPILowVersion, DWORD dwAPIHighVersion,
                                                  DWORD *lpdwAPIVersion,
                                                  LINEEXTENSIONID *lpExtensionID)
{
    if (m_apps.count(hLineApp) == 0)
        return LINEERR_INVALAPPHANDLE;
    if (dwDeviceID >= static_cast<DWORD>(m_modems.size()))
        return LINEERR_BADDEVICEID;
    if (lpExtensionID != nullptr)
        *lpExtensionID = LINEEXTENSIONID{};
    return negotiateVersion(dwAPILowVersion, dwAPIHighVersion, lpdwAPIVersion);
}

LONG ModemManagerBackend::lineOpen(HLINEAPP hLineApp, DWORD dwDeviceID, HLINE *lphLine,
                                   DWORD dwAPIVersion, DWORD, std::uintptr_t, DWORD, DWORD,
                                   const LINECALLPARAMS *lpCallParams)
{
    if (m_apps.count(hLineApp) == 0)
        return LINEERR_INVALAPPHANDLE;
    if (lphLine == nullptr)
        return LINEERR_INVALPOINTER;
    if (dwAPIVersion == 0 || dwAPIVersion > kLineApiVersion)
        return LINEERR_INCOMPATIBLEAPIVERSION;
    Line line{hLineApp, {}, dwDeviceID == LINEMAPPER};
    if (line.mapper) {
        if (!isVoiceCall(lpCallParams))
            return LINEERR_INVALCALLPARAMS;
        if (m_modems.isEmpty())
            return LINEERR_NODEVICE;
        line.modem = m_modems.first();
    } else {
        if (dwDeviceID >= static_cast<DWORD>(m_modems.size()))
            return LINEERR_BADDEVICEID;
        line.modem = m_modems.at(static_cast<qsizetype>(dwDeviceID));
    }
    const HLINE handle = m_nextLine++;
    m_lines[handle] = line;
    *lphLine = handle;
    return 0;
}

LONG ModemManagerBackend::lineMakeCall(HLINE hLine, HCALL *lphCall, const char *lpszDestAddress,
                                       DWORD, const LINECALLPARAMS *lpCallParams)
{
    const auto line = m_lines.find(hLine);
    if (line == m_lines.end())
        return LINEERR_INVALLINEHANDLE;
    if (lphCall == nullptr || lpszDestAddress == nullptr)
        return LINEERR_INVALPOINTER;
    const QString number = QString::fromUtf8(lpszDestAddress);
    if (number.isEmpty() || number.toUcs4().size() > kMaxDestinationLength)
        return LINEERR_INVALADDRESS;
    if (!isVoiceCall(lpCallParams))
        return LINEERR_INVALCALLPARAMS;
    const QString modem = modemForLine(line->second);
    if (modem.isEmpty())
        return LINEERR_NODEVICE;

    const HCALL handle = m_nextCall++;
    Call &call = m_calls[handle];
    call.app = line->second.app;
    call.line = hLine;
    call.modem = modem;
    const LONG request = m_nextRequest++;
    *lphCall = handle;

    ModemVoiceProxy voice(kService, modem, m_bus);
    voice.setTimeout(m_timeoutMs);
    whenFinished(this, voice.CreateCall({{QStringLiteral("number"), number}}),
                 [this, handle, request, modem](const QDBusPendingReply<QDBusObjectPath> &r) {
                     if (r.isError())
                         failCall(handle, request);
                     else
                         onCallCreated(handle, request, modem, r.value().path());
                 });
    return request;
}

void ModemManagerBackend::onCallCreated(HCALL handle, LONG request, const QString &modem,
                                        const QString &path)
{
    const auto it = m_calls.find(handle);
    if (it == m_calls.end() || it->second.terminated) {
        // Released or dropped before the modem answered: the call must not start.
        ModemVoiceProxy voice(kService, modem, m_bus);
        voice.DeleteCall(QDBusObjectPath(path));
        if (it != m_calls.end()) {
            it->second.gone = true;
            reply(it->second.app, request, LINEERR_OPERATIONFAILED);
        }
        return;
    }
    Call &call = it->second;
    if (call.gone) {
        failCall(handle, request);
        return;
    }
    call.path = path;
    call.proxy = std::make_unique<ModemCallProxy>(kService, path, m_bus);
    call.proxy->setTimeout(m_timeoutMs);
    // The reason is unsigned on the bus: the slot must take a uint to receive the signal.
    connect(call.proxy.get(), &ModemCallProxy::StateChanged, this,
            [this, handle](int, int newState, uint reason) {
                onStateChanged(handle, newState, reason);
            });
    whenFinished(this, call.proxy->Start(), [this, handle, request](const QDBusPendingReply<> &r) {
        if (r.isError()) {
            failCall(handle, request);
            return;
        }
        const auto c = m_calls.find(handle);
        if (c != m_calls.end())
            reply(c->second.app, request, 0);
    });
}

void ModemManagerBackend::failCall(HCALL handle, LONG request)
{
    const auto it = m_calls.find(handle);
    if (it == m_calls.end())
        return;
    // The call never got going: a drop ends it at once.
    it->second.terminated = true;
    reply(it->second.app, request, LINEERR_OPERATIONFAILED);
}

void ModemManagerBackend::onStateChanged(HCALL handle, int newState, std::uint32_t reason)
{
    const auto it = m_calls.find(handle);
    if (it == m_calls.end() || it->second.terminated)
        return;
    Call &call = it->second;
    if (newState == mm::CallStateTerminated)
        call.terminated = true;
    for (const CallStateReport &report : reportsForModemCallState(newState, reason))
        post(call.app, {handle, LINE_CALLSTATE, report.state, report.mode, 0});
}

LONG ModemManagerBackend::lineDrop(HCALL hCall, const char *, DWORD)
{
    const auto it = m_calls.find(hCall);
    if (it == m_calls.end())
        return LINEERR_INVALCALLHANDLE;
    Call &call = it->second;
    if (call.idleSent)
        return LINEERR_INVALCALLHANDLE;
    const LONG request = m_nextRequest++;
    ++call.pendingDrops;
    if (call.terminated || call.proxy == nullptr) {
        // ModemManager refuses to hang up a call that has ended; there is nothing to do.
        if (!call.terminated && call.proxy == nullptr)
            call.terminated = true; // not created yet: it will be deleted once it is
        dropCompleted(hCall, request, 0);
        return request;
    }
    whenFinished(this, call.proxy->Hangup(), [this, hCall, request](const QDBusPendingReply<> &r) {
        dropCompleted(hCall, request, r.isError() ? LINEERR_OPERATIONFAILED : 0);
    });
    return request;
}

void ModemManagerBackend::dropCompleted(HCALL handle, LONG request, LONG result)
{
    const auto it = m_calls.find(handle);
    if (it == m_calls.end())
        return;
    --it->second.pendingDrops;
    reply(it->second.app, request, result);
    maybeIdle(handle);
}

void ModemManagerBackend::maybeIdle(HCALL handle)
{
    Call &call = m_calls.at(handle);
    if (call.terminated && call.pendingDrops == 0 && !call.idleSent) {
        call.idleSent = true;
        post(call.app, {handle, LINE_CALLSTATE, LINECALLSTATE_IDLE, 0, 0});
    }
}

void ModemManagerBackend::reply(HLINEAPP app, LONG request, LONG result)
{
    post(app, {0, LINE_REPLY, static_cast<DWORD>(request), static_cast<DWORD>(result), 0});
}

LONG ModemManagerBackend::lineGetCallInfo(HCALL hCall, std::uint8_t *lpCallInfo)
{
    const auto it = m_calls.find(hCall);
    if (it == m_calls.end())
        return LINEERR_INVALCALLHANDLE;
    if (lpCallInfo == nullptr)
        return LINEERR_INVALPOINTER;
    const Call &call = it->second;
    if (call.path.isEmpty() || call.gone)
        return LINEERR_OPERATIONFAILED;
    PropertiesProxy properties(kService, call.path, m_bus);
    properties.setTimeout(m_timeoutMs);
    QDBusPendingReply<QVariantMap> r = properties.GetAll(kCallInterface);
    r.waitForFinished();
    if (r.isError())
        return LINEERR_OPERATIONFAILED;

    CallInfoFields fields;
    fields.line = call.line;
    fields.deviceId = static_cast<DWORD>(std::max<qsizetype>(0, m_modems.indexOf(call.modem)));
    fields.callStates = kReportedStates;
    fields.calledId = r.value().value(QStringLiteral("Number")).toString().toStdString();
    fields.appName = m_apps.count(call.app) != 0 ? m_apps.at(call.app).name : std::string();
    return fillCallInfo(lpCallInfo, fields);
}

void ModemManagerBackend::releaseCall(HCALL handle)
{
    const auto it = m_calls.find(handle);
    if (it == m_calls.end())
        return;
    Call &call = it->second;
    if (!call.gone && !call.path.isEmpty()) {
        if (!call.terminated && call.proxy != nullptr)
            call.proxy->Hangup();
        ModemVoiceProxy voice(kService, call.modem, m_bus);
        voice.DeleteCall(QDBusObjectPath(call.path));
    }
    m_calls.erase(it);
}

LONG ModemManagerBackend::lineDeallocateCall(HCALL hCall)
{
    if (m_calls.count(hCall) == 0)
        return LINEERR_INVALCALLHANDLE;
    releaseCall(hCall);
    return 0;
}

LONG ModemManagerBackend::lineClose(HLINE hLine)
{
    if (m_lines.erase(hLine) == 0)
        return LINEERR_INVALLINEHANDLE;
    // Closing a line ends the calls still on it; the modem must not stay off-hook.
    std::vector<HCALL> calls;
    for (const auto &[handle, call] : m_calls) {
        if (call.line == hLine)
            calls.push_back(handle);
    }
    for (HCALL handle : calls)
        releaseCall(handle);
    return 0;
}

LONG ModemManagerBackend::lineShutdown(HLINEAPP hLineApp)
{
    if (m_apps.erase(hLineApp) == 0)
        return LINEERR_INVALAPPHANDLE;
    m_queue.unregisterApp(hLineApp);
    std::vector<HLINE> lines;
    for (const auto &[handle, line] : m_lines) {
        if (line.app == hLineApp)
            lines.push_back(handle);
    }
    for (HLINE handle : lines)
        lineClose(handle);
    return 0;
}

} // namespace vcq::tapi
