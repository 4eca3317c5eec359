// SPDX-License-Identifier: GPL-3.0-or-later
// The line-device layer over ModemManager on D-Bus. Line devices are the modems the
// ModemManager object manager lists with the voice interface, in object-path order, followed
// as modems come and go. A call is CreateCall then Start; its StateChanged signal becomes
// LINE_CALLSTATE events; drop is Hangup; deallocation deletes the call.
#pragma once

#include "line_backend.h"
#include "line_event_queue.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>

class ObjectManagerProxy;
class ModemCallProxy;
class QDBusServiceWatcher;

namespace vcq::tapi
{

class ModemManagerBackend : public QObject, public LineBackend
{
    Q_OBJECT

public:
    static constexpr const char *kService = "org.freedesktop.ModemManager1";
    static constexpr const char *kManagerPath = "/org/freedesktop/ModemManager1";
    static constexpr const char *kVoiceInterface = "org.freedesktop.ModemManager1.Modem.Voice";
    static constexpr const char *kCallInterface = "org.freedesktop.ModemManager1.Call";

    // timeoutMs bounds every call to the service, so that a bus or service that does not
    // answer makes operations fail instead of hanging the window.
    explicit ModemManagerBackend(const QDBusConnection &bus, int timeoutMs = 3000,
                                 QObject *parent = nullptr);
    ~ModemManagerBackend() override;

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

    // The voice modems currently known, device 0 first.
    QStringList devices() const { return m_modems; }

signals:
    void devicesChanged();

private slots:
    void onInterfacesAdded(const QDBusMessage &message);
    void onInterfacesRemoved(const QDBusObjectPath &path, const QStringList &interfaces);

private:
    struct App {
        std::string name;
    };
    struct Line {
        HLINEAPP app = 0;
        QString modem;
        bool mapper = false;
    };
    struct Call {
        HLINEAPP app = 0;
        HLINE line = 0;
        QString modem;
        QString path;
        std::unique_ptr<ModemCallProxy> proxy;
        bool terminated = false; // ended, refused, failed or gone: nothing left to hang up
        bool gone = false;       // the object no longer exists on the bus
        int pendingDrops = 0;
        bool idleSent = false;
    };

    bool refreshDevices();
    void setDevices(QStringList modems);
    void addDevice(const QString &path);
    void removeDevice(const QString &path);
    QString modemForLine(const Line &line) const;

    void onCallCreated(HCALL call, LONG request, const QString &modem, const QString &path);
    void onStateChanged(HCALL call, int newState, std::uint32_t reason);
    void failCall(HCALL call, LONG request);
    void dropCompleted(HCALL call, LONG request, LONG result);
    void maybeIdle(HCALL call);
    void releaseCall(HCALL call);
    void post(HLINEAPP app, const LineEvent &event) { m_queue.post(app, event); }
    void reply(HLINEAPP app, LONG request, LONG result);

    QDBusConnection m_bus;
    int m_timeoutMs;
    ObjectManagerProxy *m_manager = nullptr;
    QDBusServiceWatcher *m_watcher = nullptr;
    LineEventQueue m_queue;
    QStringList m_modems;
    std::map<HLINEAPP, App> m_apps;
    std::map<HLINE, Line> m_lines;
    std::map<HCALL, Call> m_calls;
    HLINEAPP m_nextApp = 1;
    HLINE m_nextLine = 1;
    HCALL m_nextCall = 1;
    LONG m_nextRequest = 1;
};

} // namespace vcq::tapi
