// SPDX-License-Identifier: GPL-3.0-or-later
// The line-device layer without windows: call information records, version negotiation,
// ModemManager state translation, destination addresses and event delivery.
#include "telephony/call_info.h"
#include "telephony/dial_number.h"
#include "telephony/line_event_queue.h"
#include "telephony/modem_call_states.h"

#include <QEventLoop>
#include <QTest>
#include <QTimer>

#include <cstring>
#include <vector>

using namespace vcq;
using namespace vcq::tapi;

Q_DECLARE_METATYPE(std::vector<vcq::tapi::CallStateReport>)

namespace
{
std::vector<LineEvent> g_delivered;
int g_depth = 0;
int g_maxDepth = 0;
bool g_spinInCallback = false;

void recordingCallback(DWORD hDevice, DWORD msg, std::uintptr_t, DWORD p1, DWORD p2, DWORD p3)
{
    ++g_depth;
    g_maxDepth = std::max(g_maxDepth, g_depth);
    g_delivered.push_back({hDevice, msg, p1, p2, p3});
    if (g_spinInCallback) {
        // A handler that runs a nested event loop, as a modal box would.
        QEventLoop loop;
        QTimer::singleShot(0, &loop, &QEventLoop::quit);
        loop.exec();
    }
    --g_depth;
}
} // namespace

class TestLineLayer : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        g_delivered.clear();
        g_depth = g_maxDepth = 0;
        g_spinInCallback = false;
    }

    void callInfoAppName_data()
    {
        QTest::addColumn<QString>("appName");
        QTest::addColumn<QString>("calledId");
        QTest::addColumn<int>("bufferSize");
        QTest::addColumn<QString>("expected");
        QTest::newRow("fits") << "vellora"
                              << "555 1234" << 1024 << "vellora";
        QTest::newRow("no name") << ""
                                 << "555 1234" << 1024 << "";
        QTest::newRow("texts do not fit") << "vellora"
                                          << "555 1234" << 300 << "";
        QTest::newRow("exactly fits") << "ab"
                                      << "1" << 296 + 2 + 3 << "ab";
    }

    void callInfoAppName()
    {
        QFETCH(QString, appName);
        QFETCH(QString, calledId);
        QFETCH(int, bufferSize);
        QFETCH(QString, expected);
        std::vector<std::uint8_t> buffer(static_cast<std::size_t>(bufferSize), 0xAA);
        writeDword(buffer.data(), callinfo::dwTotalSize, static_cast<DWORD>(bufferSize));
        CallInfoFields fields;
        fields.appName = appName.toStdString();
        fields.calledId = calledId.toStdString();
        QCOMPARE(fillCallInfo(buffer.data(), fields), 0);
        QCOMPARE(QString::fromStdString(appNameFromCallInfo(buffer.data(), buffer.size())),
                 expected);
        const DWORD needed = readDword(buffer.data(), buffer.size(), callinfo::dwNeededSize);
        const DWORD used = readDword(buffer.data(), buffer.size(), callinfo::dwUsedSize);
        QVERIFY(used <= static_cast<DWORD>(bufferSize));
        QCOMPARE(needed, static_cast<DWORD>(callinfo::kFixedSize +
                                            (calledId.isEmpty() ? 0 : calledId.size() + 1) +
                                            (appName.isEmpty() ? 0 : appName.size() + 1)));
        // Nothing is written past the declared size.
        QCOMPARE(expected.isEmpty() && !appName.isEmpty(), needed > static_cast<DWORD>(bufferSize));
    }

    void callInfoTooSmall()
    {
        std::uint8_t buffer[64];
        std::memset(buffer, 0x55, sizeof buffer);
        writeDword(buffer, callinfo::dwTotalSize, sizeof buffer);
        QCOMPARE(fillCallInfo(buffer, CallInfoFields{}), LINEERR_STRUCTURETOOSMALL);
        QCOMPARE(buffer[sizeof buffer - 1], std::uint8_t(0x55));
        QCOMPARE(fillCallInfo(nullptr, CallInfoFields{}), LINEERR_INVALPOINTER);
    }

    // A record whose size or offset points outside the buffer, or whose text has no end,
    // is read only inside the buffer.
    void appNameStaysInsideBuffer_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("offset past end") << 10 << 5000 << QByteArray() << "";
        QTest::newRow("offset at end") << 10 << 1024 << QByteArray() << "";
        QTest::newRow("size past end") << 4000 << 1020 << QByteArray("abcd") << "abcd";
        QTest::newRow("no terminator") << 5 << 600 << QByteArray("hello world") << "hello";
        QTest::newRow("stops at zero") << 20 << 600 << QByteArray("ab\0cd", 5) << "ab";
    }

    void appNameStaysInsideBuffer()
    {
        QFETCH(int, size);
        QFETCH(int, offset);
        QFETCH(QByteArray, text);
        QFETCH(QString, expected);
        std::vector<std::uint8_t> buffer(1024, 0);
        writeDword(buffer.data(), callinfo::dwAppNameSize, static_cast<DWORD>(size));
        writeDword(buffer.data(), callinfo::dwAppNameOffset, static_cast<DWORD>(offset));
        if (!text.isEmpty())
            std::memcpy(buffer.data() + offset, text.constData(),
                        std::min<std::size_t>(text.size(), buffer.size() - offset));
        QCOMPARE(QString::fromStdString(appNameFromCallInfo(buffer.data(), buffer.size())),
                 expected);
    }

    void negotiation_data()
    {
        QTest::addColumn<uint>("low");
        QTest::addColumn<uint>("high");
        QTest::addColumn<int>("result");
        QTest::addColumn<uint>("version");
        QTest::newRow("dialer's range") << 0x00010000u << 0x10000000u << 0 << kLineApiVersion;
        QTest::newRow("older only") << 0x00010000u << 0x00010004u << 0 << 0x00010004u;
        QTest::newRow("newer only")
            << 0x00030000u << 0x10000000u << int(LINEERR_INCOMPATIBLEAPIVERSION) << 0u;
        QTest::newRow("reversed") << 0x00020000u << 0x00010000u
                                  << int(LINEERR_INCOMPATIBLEAPIVERSION) << 0u;
    }

    void negotiation()
    {
        QFETCH(uint, low);
        QFETCH(uint, high);
        QFETCH(int, result);
        QFETCH(uint, version);
        DWORD negotiated = 0;
        QCOMPARE(negotiateVersion(low, high, &negotiated), result);
        QCOMPARE(negotiated, version);
    }

    void modemStates_data()
    {
        using R = std::vector<CallStateReport>;
        QTest::addColumn<int>("state");
        QTest::addColumn<uint>("reason");
        QTest::addColumn<R>("reports");
        QTest::newRow("dialing") << 1 << 1u << R{{LINECALLSTATE_DIALING, 0}};
        QTest::newRow("ringing out") << 2 << 0u << R{{LINECALLSTATE_PROCEEDING, 0}};
        QTest::newRow("active") << 4 << 3u << R{{LINECALLSTATE_CONNECTED, 0}};
        QTest::newRow("terminated busy")
            << 7 << 5u
            << R{{LINECALLSTATE_BUSY, 0}, {LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_BUSY}};
        QTest::newRow("terminated normally")
            << 7 << 4u << R{{LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NORMAL}};
        QTest::newRow("terminated on error")
            << 7 << 6u << R{{LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NORMAL}};
        QTest::newRow("unknown") << 0 << 0u << R{};
        QTest::newRow("held") << 5 << 0u << R{};
        QTest::newRow("ringing in") << 3 << 2u << R{};
    }

    void modemStates()
    {
        QFETCH(int, state);
        QFETCH(uint, reason);
        QFETCH(std::vector<CallStateReport>, reports);
        QVERIFY(reportsForModemCallState(state, reason) == reports);
    }

    void destination_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("as typed") << "+1 (514) 555-12,34 ext"
                                  << QByteArray("+1 (514) 555-12,34 ext");
        QTest::newRow("blanks") << "   " << QByteArray("   ");
        QTest::newRow("thirty") << QString(30, '7') << QByteArray(30, '7');
        QTest::newRow("longer is cut") << QString(45, '8') << QByteArray(30, '8');
        QTest::newRow("accents count as one")
            << QString("é").repeated(31) << QString("é").repeated(30).toUtf8();
        QTest::newRow("pair not split")
            << QString(29, '1') + QString::fromUcs4(U"\U0001F4DE") + "2"
            << (QString(29, '1') + QString::fromUcs4(U"\U0001F4DE")).toUtf8();
    }

    void destination()
    {
        QFETCH(QString, number);
        QFETCH(QByteArray, expected);
        QCOMPARE(QByteArray::fromStdString(destinationAddress(number)), expected);
    }

    void eventsArriveLaterInOrder()
    {
        LineEventQueue queue;
        queue.registerApp(7, &recordingCallback);
        queue.post(7, {1, LINE_CALLSTATE, LINECALLSTATE_DIALING, 0, 0});
        queue.post(7, {0, LINE_REPLY, 3, 0, 0});
        queue.post(8, {1, LINE_CALLSTATE, LINECALLSTATE_BUSY, 0, 0}); // nobody registered
        QVERIFY(g_delivered.empty());
        QTRY_COMPARE(g_delivered.size(), std::size_t(2));
        QCOMPARE(g_delivered[0].dwParam1, LINECALLSTATE_DIALING);
        QCOMPARE(g_delivered[1].dwMsg, LINE_REPLY);
    }

    void nestedLoopDoesNotReenter()
    {
        g_spinInCallback = true;
        LineEventQueue queue;
        queue.registerApp(7, &recordingCallback);
        for (DWORD i = 0; i < 5; ++i)
            queue.post(7, {i, LINE_CALLSTATE, LINECALLSTATE_DIALING, 0, 0});
        QTRY_COMPARE(g_delivered.size(), std::size_t(5));
        QCOMPARE(g_maxDepth, 1);
        for (DWORD i = 0; i < 5; ++i)
            QCOMPARE(g_delivered[i].hDevice, i);
    }

    void endedRegistrationLosesPending()
    {
        LineEventQueue queue;
        queue.registerApp(7, &recordingCallback);
        queue.registerApp(9, &recordingCallback);
        queue.post(7, {1, LINE_CALLSTATE, LINECALLSTATE_DIALING, 0, 0});
        queue.post(9, {2, LINE_CALLSTATE, LINECALLSTATE_DIALING, 0, 0});
        queue.unregisterApp(7);
        QTRY_COMPARE(g_delivered.size(), std::size_t(1));
        QCoreApplication::processEvents();
        QCOMPARE(g_delivered.size(), std::size_t(1));
        QCOMPARE(g_delivered[0].hDevice, DWORD(2));
    }
};

QTEST_MAIN(TestLineLayer)
#include "tst_line_layer.moc"
