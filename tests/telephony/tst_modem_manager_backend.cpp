// SPDX-License-Identifier: GPL-3.0-or-later
// The ModemManager backend over real D-Bus: a private bus daemon stands in for the system bus
// and a scripted ModemManager (python-dbusmock) answers on it.
#include "telephony/call_info.h"
#include "telephony/modem_call_states.h"
#include "telephony/modem_manager_backend.h"
#include "telephony/tfrm_tapi_call.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

using namespace vcq;
using namespace vcq::tapi;

namespace
{

constexpr int kBound = 15000; // ms; python and the bus may be slow on a busy machine
const QString kService = QStringLiteral("org.freedesktop.ModemManager1");
const QString kModem0 = QStringLiteral("/org/freedesktop/ModemManager1/Modem/0");
const QString kModem1 = QStringLiteral("/org/freedesktop/ModemManager1/Modem/1");
const QString kCall1 = QStringLiteral("/org/freedesktop/ModemManager1/Call/1");

std::vector<LineEvent> g_events;
LineBackend *g_backend = nullptr;

// Records every event and reacts to the end of a call as the dialer does.
void recordingCallback(DWORD hDevice, DWORD msg, std::uintptr_t, DWORD p1, DWORD p2, DWORD p3)
{
    g_events.push_back({hDevice, msg, p1, p2, p3});
    if (msg == LINE_CALLSTATE && p1 == LINECALLSTATE_DISCONNECTED)
        g_backend->lineDrop(hDevice, nullptr, 0);
    if (msg == LINE_CALLSTATE && p1 == LINECALLSTATE_IDLE)
        g_backend->lineDeallocateCall(hDevice);
}

std::vector<CallStateReport> callStates()
{
    std::vector<CallStateReport> states;
    for (const auto &e : g_events) {
        if (e.dwMsg == LINE_CALLSTATE)
            states.push_back({e.dwParam1, e.dwParam2});
    }
    return states;
}

bool hasReply(LONG request, LONG result)
{
    for (const auto &e : g_events) {
        if (e.dwMsg == LINE_REPLY && e.dwParam1 == static_cast<DWORD>(request))
            return static_cast<LONG>(e.dwParam2) == result;
    }
    return false;
}

} // namespace

class TestModemManagerBackend : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QProcess m_daemon;
    QProcess m_mock;
    std::unique_ptr<ModemManagerBackend> m_backend;

    static QDBusConnection bus() { return QDBusConnection::systemBus(); }

    bool startMock()
    {
        m_mock.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_mock.start(QStringLiteral("/usr/bin/python3"),
                     {"-m", "dbusmock", "--system", "-t", QStringLiteral(MM_MOCK_TEMPLATE)});
        if (!m_mock.waitForStarted(kBound))
            return false;
        return QTest::qWaitFor(
            [] { return bus().interface()->isServiceRegistered(kService).value(); }, kBound);
    }

    QVariant mock(const QString &method, const QVariantList &args = {})
    {
        QDBusInterface control(kService, QStringLiteral("/org/freedesktop/ModemManager1"),
                               QStringLiteral("org.freedesktop.DBus.Mock"), bus());
        const QDBusMessage reply = control.callWithArgumentList(QDBus::Block, method, args);
        if (reply.type() == QDBusMessage::ErrorMessage)
            qWarning() << "mock" << method << reply.errorMessage();
        return reply.arguments().value(0);
    }

    QStringList journal() { return mock("Journal").toStringList(); }

    void emitState(int oldState, int newState, uint reason)
    {
        mock("EmitCallState", {kCall1, oldState, newState, QVariant::fromValue(reason)});
    }

    ModemManagerBackend *makeBackend()
    {
        m_backend = std::make_unique<ModemManagerBackend>(bus(), 5000);
        g_backend = m_backend.get();
        return m_backend.get();
    }

    // Registers and opens a line the way the dialer does; returns the line.
    HLINE openLine(DWORD expectedDevices = 1)
    {
        HLINEAPP app = 0;
        DWORD devices = 99;
        if (m_backend->lineInitialize(&app, &recordingCallback, nullptr, &devices) != 0 ||
            devices != expectedDevices)
            return 0;
        DWORD version = 0;
        LINEEXTENSIONID ext;
        if (m_backend->lineNegotiateAPIVersion(app, 0, 0x00010000, 0x10000000, &version, &ext) < 0)
            return 0;
        LINECALLPARAMS params;
        params.dwTotalSize = sizeof params;
        params.dwBearerMode = LINEBEARERMODE_VOICE;
        params.dwMediaMode = LINEMEDIAMODE_INTERACTIVEVOICE;
        HLINE line = 0;
        m_backend->lineOpen(app, LINEMAPPER, &line, version, 0, 0, LINECALLPRIVILEGE_NONE, 0,
                            &params);
        return line;
    }

    TfrmTAPICall *makeDialer()
    {
        makeBackend();
        std::shared_ptr<LineBackend> shared(m_backend.get(), [](LineBackend *) {});
        auto *dialer = new TfrmTAPICall(nullptr, Language::English, shared);
        frmTAPICall = dialer;
        dialer->show();
        return dialer;
    }

    static QStringList texts(const QSignalSpy &spy)
    {
        QStringList all;
        for (const auto &args : spy)
            all << args.at(0).toString();
        return all;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_daemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1",
                                                       "--address=unix:dir=" + m_dir.path()});
        QVERIFY(m_daemon.waitForStarted(kBound));
        QTRY_VERIFY_WITH_TIMEOUT(m_daemon.canReadLine(), kBound);
        const QByteArray address = m_daemon.readLine().trimmed();
        QVERIFY(address.startsWith("unix:"));
        // Everything in this process and its children talks to the private bus only.
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", address);
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        QVERIFY(bus().isConnected());
    }

    void cleanupTestCase()
    {
        m_daemon.kill();
        m_daemon.waitForFinished(kBound);
    }

    void init() { g_events.clear(); }

    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            delete qobject_cast<TfrmTAPICall *>(w);
        m_backend.reset();
        g_backend = nullptr;
        if (m_mock.state() != QProcess::NotRunning) {
            m_mock.kill();
            m_mock.waitForFinished(kBound);
        }
        QTRY_VERIFY_WITH_TIMEOUT(!bus().interface()->isServiceRegistered(kService), kBound);
    }

    void noServiceNoDevices()
    {
        TfrmTAPICall *dialer = makeDialer();
        QCOMPARE(dialer->LineHandle, HLINE(0));
        QCOMPARE(dialer->lblStatus->text(), QString("Error!!"));
        dialer->Edit1->setText("5551234");
        QTest::mouseClick(dialer->btnCall, Qt::LeftButton);
        QCOMPARE(dialer->lblStatus->text(), QString("Error"));
        QVERIFY(dialer->btnCall->isEnabled());
    }

    void devicesFollowTheService()
    {
        QVERIFY(startMock());
        mock("AddModem", {QStringLiteral("/org/freedesktop/ModemManager1/Modem/5"), false});
        makeBackend();
        QCOMPARE(openLine(0), HLINE(0)); // a modem without voice is no line device

        QSignalSpy changed(m_backend.get(), &ModemManagerBackend::devicesChanged);
        mock("AddModem", {kModem1, true});
        QTRY_COMPARE_WITH_TIMEOUT(m_backend->devices(), QStringList{kModem1}, kBound);
        mock("AddModem", {kModem0, true});
        QTRY_COMPARE_WITH_TIMEOUT(m_backend->devices(), (QStringList{kModem0, kModem1}), kBound);
        mock("RemoveModem", {kModem0});
        QTRY_COMPARE_WITH_TIMEOUT(m_backend->devices(), QStringList{kModem1}, kBound);
        QVERIFY(changed.count() >= 3);

        m_mock.kill();
        QTRY_VERIFY_WITH_TIMEOUT(m_backend->devices().isEmpty(), kBound);
    }

    void callDialsRingsAnswersAndHangsUp()
    {
        QVERIFY(startMock());
        mock("AddModem", {kModem0, true});
        makeBackend();
        const HLINE line = openLine();
        QVERIFY(line != 0);

        const QString number = QStringLiteral("+1 (514) 555-12,34 é");
        LINECALLPARAMS params;
        params.dwTotalSize = sizeof params;
        params.dwBearerMode = LINEBEARERMODE_VOICE;
        params.dwMediaMode = LINEMEDIAMODE_INTERACTIVEVOICE;
        HCALL call = 0;
        const LONG request =
            m_backend->lineMakeCall(line, &call, number.toUtf8().constData(), 0, &params);
        QVERIFY(request >= 0);
        QVERIFY(call != 0);
        QVERIFY(g_events.empty()); // the outcome comes later
        QTRY_VERIFY_WITH_TIMEOUT(hasReply(request, 0), kBound);
        QCOMPARE(journal(), (QStringList{"CreateCall " + kModem0 + " number=[" + number + "]",
                                         "Start " + kCall1}));

        emitState(0, 1, 1);
        emitState(1, 2, 0);
        emitState(2, 4, 3);
        QTRY_COMPARE_WITH_TIMEOUT(callStates().size(), std::size_t(3), kBound);

        alignas(DWORD) std::uint8_t info[1024] = {};
        writeDword(info, callinfo::dwTotalSize, sizeof info);
        QCOMPARE(m_backend->lineGetCallInfo(call, info), 0);
        QCOMPARE(QString::fromStdString(appNameFromCallInfo(info, sizeof info)),
                 QFileInfo(QCoreApplication::applicationFilePath()).fileName());

        QVERIFY(m_backend->lineDrop(call, nullptr, 0) >= 0);
        QTRY_VERIFY_WITH_TIMEOUT(journal().size() == 4, kBound);
        const std::vector<CallStateReport> expected{
            {LINECALLSTATE_DIALING, 0},
            {LINECALLSTATE_PROCEEDING, 0},
            {LINECALLSTATE_CONNECTED, 0},
            {LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NORMAL},
            {LINECALLSTATE_IDLE, 0}};
        QVERIFY(callStates() == expected);
        QCOMPARE(journal().mid(2), (QStringList{"Hangup " + kCall1, "DeleteCall " + kCall1}));
        QCOMPARE(m_backend->lineDrop(call, nullptr, 0), LINEERR_INVALCALLHANDLE);
    }

    void busyShowsBusyThenDisconnected()
    {
        QVERIFY(startMock());
        mock("AddModem", {kModem0, true});
        TfrmTAPICall *dialer = makeDialer();
        QCOMPARE(dialer->lblStatus->text(), QString());
        QSignalSpy spy(dialer, &TfrmTAPICall::statusChanged);
        dialer->Edit1->setText("5551234");
        QTest::mouseClick(dialer->btnCall, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(dialer->lblStatus->text(), QString("LINE_REPLY ok"), kBound);
        emitState(0, 1, 1);
        emitState(1, 7, 5);
        QTRY_COMPARE_WITH_TIMEOUT(dialer->lblStatus->text(), QString("Idle - call deallocated"),
                                  kBound);
        QCOMPARE(texts(spy),
                 (QStringList{"", "LINE_REPLY ok", "Dialing", "Busy", "Disconnected: busy",
                              "LINE_REPLY ok", "Idle - call deallocated"}));
        QVERIFY(dialer->btnCall->isEnabled());
        QVERIFY(!dialer->btnDropCall->isEnabled());
        // A call the network ended is not hung up again, only deleted.
        QTRY_COMPARE_WITH_TIMEOUT(journal().last(), "DeleteCall " + kCall1, kBound);
        QVERIFY(!journal().join('\n').contains("Hangup"));
    }

    void refusedCallCanBeCleared()
    {
        QVERIFY(startMock());
        mock("AddModem", {kModem0, true});
        mock("SetFailing", {QStringLiteral("CreateCall")});
        TfrmTAPICall *dialer = makeDialer();
        dialer->Edit1->setText("5551234");
        QTest::mouseClick(dialer->btnCall, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(dialer->lblStatus->text(), QString("Reply error"), kBound);
        QVERIFY(dialer->btnDropCall->isEnabled());
        QTest::mouseClick(dialer->btnDropCall, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(dialer->lblStatus->text(), QString("Idle - call deallocated"),
                                  kBound);
        QVERIFY(dialer->btnCall->isEnabled());
        QCOMPARE(journal().size(), 1);
    }

    void modemLostDuringCall()
    {
        QVERIFY(startMock());
        mock("AddModem", {kModem0, true});
        TfrmTAPICall *dialer = makeDialer();
        dialer->Edit1->setText("5551234");
        QTest::mouseClick(dialer->btnCall, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(dialer->lblStatus->text(), QString("LINE_REPLY ok"), kBound);
        QSignalSpy spy(dialer, &TfrmTAPICall::statusChanged);
        mock("RemoveModem", {kModem0});
        QTRY_COMPARE_WITH_TIMEOUT(dialer->lblStatus->text(), QString("Idle - call deallocated"),
                                  kBound);
        QCOMPARE(texts(spy).first(), QString("Disconnected: "));
        QVERIFY(dialer->btnCall->isEnabled());
    }

    void closingDuringCallEndsIt()
    {
        QVERIFY(startMock());
        mock("AddModem", {kModem0, true});
        QPointer<TfrmTAPICall> dialer = makeDialer();
        dialer->Edit1->setText("5551234");
        QTest::mouseClick(dialer->btnCall, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(dialer->lblStatus->text(), QString("LINE_REPLY ok"), kBound);
        emitState(0, 4, 3);
        QTRY_VERIFY_WITH_TIMEOUT(dialer->lblStatus->text().startsWith("Connected: "), kBound);
        dialer->close();
        QTRY_VERIFY(dialer.isNull());
        QTRY_COMPARE_WITH_TIMEOUT(
            journal().mid(2), (QStringList{"Hangup " + kCall1, "DeleteCall " + kCall1}), kBound);
    }
};

QTEST_MAIN(TestModemManagerBackend)
#include "tst_modem_manager_backend.moc"
