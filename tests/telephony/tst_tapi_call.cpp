// SPDX-License-Identifier: GPL-3.0-or-later
// The quick dialer window against the scripted backend: opening the line, placing and hanging
// up calls, every row of the event table, the button states, hiding, destroying and languages.
#include "telephony/fake_line_backend.h"
#include "telephony/tfrm_tapi_call.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace vcq;
using namespace vcq::tapi;

class TestTapiCall : public QObject
{
    Q_OBJECT

    std::shared_ptr<FakeLineBackend> m_fake;
    int m_language = 0;

    TfrmTAPICall *makeDialer()
    {
        auto *dialer = new TfrmTAPICall(nullptr, languageFromCode(m_language), m_fake);
        frmTAPICall = dialer;
        dialer->show();
        return dialer;
    }

    static QString status(TfrmTAPICall *w) { return w->lblStatus->text(); }

    static bool isCalling(TfrmTAPICall *w)
    {
        return !w->btnCall->isEnabled() && w->btnDropCall->isEnabled();
    }
    static bool isReady(TfrmTAPICall *w)
    {
        return w->btnCall->isEnabled() && !w->btnDropCall->isEnabled();
    }

    void placeCall(TfrmTAPICall *w, const QString &number)
    {
        w->Edit1->setText(number);
        QTest::mouseClick(w->btnCall, Qt::LeftButton);
    }

    // Plays an event and then a marker, and returns the status texts the event produced.
    QStringList statusesFor(TfrmTAPICall *w, const LineEvent &event)
    {
        QSignalSpy spy(w, &TfrmTAPICall::statusChanged);
        m_fake->post(w->LineAppHandle, event);
        m_fake->post(w->LineAppHandle,
                     {m_fake->lastCall(), LINE_CALLSTATE, LINECALLSTATE_PROCEEDING, 0, 0});
        QStringList texts;
        for (int guard = 0; guard < 100; ++guard) {
            texts.clear();
            for (const auto &args : spy)
                texts << args.at(0).toString();
            if (!texts.isEmpty() && texts.last() == "Proceeding" &&
                (event.dwParam1 != LINECALLSTATE_PROCEEDING || texts.size() >= 2))
                break;
            spy.wait(50);
        }
        if (texts.isEmpty() || texts.last() != "Proceeding")
            return {"<marker never arrived>"};
        texts.removeLast();
        return texts;
    }

private slots:
    void init()
    {
        m_fake = std::make_shared<FakeLineBackend>();
        m_language = 0;
    }

    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            delete qobject_cast<TfrmTAPICall *>(w);
        QVERIFY(frmTAPICall.isNull());
    }

    void createOpensLine()
    {
        auto *w = makeDialer();
        const std::vector<std::string> expected{"lineInitialize", "lineNegotiateAPIVersion",
                                                "lineOpen"};
        QCOMPARE(m_fake->operations(), expected);
        const auto *negotiate = m_fake->lastRequest("lineNegotiateAPIVersion");
        QCOMPARE(negotiate->args,
                 (std::vector<std::uint64_t>{w->LineAppHandle, 0, 0x00010000, 0x10000000}));
        const auto *open = m_fake->lastRequest("lineOpen");
        QCOMPARE(open->args,
                 (std::vector<std::uint64_t>{w->LineAppHandle, LINEMAPPER, kLineApiVersion, 0, 0,
                                             LINECALLPRIVILEGE_NONE, 0}));
        QVERIFY(open->params.has_value());
        QCOMPARE(open->params->dwTotalSize, DWORD(112));
        QCOMPARE(open->params->dwBearerMode, LINEBEARERMODE_VOICE);
        QCOMPARE(open->params->dwMediaMode, LINEMEDIAMODE_INTERACTIVEVOICE);
        LINECALLPARAMS rest = *open->params;
        rest.dwTotalSize = rest.dwBearerMode = rest.dwMediaMode = 0;
        QVERIFY(rest == LINECALLPARAMS{});
        QVERIFY(m_fake->hasLine(w->LineHandle));
        QCOMPARE(status(w), QString());
        QVERIFY(isReady(w));
    }

    void createFails_data()
    {
        QTest::addColumn<int>("failAt");
        QTest::addColumn<QStringList>("operations");
        QTest::newRow("initialize") << 0 << QStringList{"lineInitialize"};
        QTest::newRow("no devices") << 1 << QStringList{"lineInitialize", "lineShutdown"};
        QTest::newRow("negotiate")
            << 2 << QStringList{"lineInitialize", "lineNegotiateAPIVersion", "lineShutdown"};
        QTest::newRow("open") << 3
                              << QStringList{"lineInitialize", "lineNegotiateAPIVersion",
                                             "lineOpen", "lineShutdown"};
    }

    void createFails()
    {
        QFETCH(int, failAt);
        QFETCH(QStringList, operations);
        switch (failAt) {
        case 0:
            m_fake->initializeResult = LINEERR_NODRIVER;
            break;
        case 1:
            m_fake->deviceCount = 0;
            break;
        case 2:
            m_fake->negotiateResult = LINEERR_INCOMPATIBLEAPIVERSION;
            break;
        default:
            m_fake->openResult = LINEERR_OPERATIONFAILED;
            break;
        }
        auto *w = makeDialer();
        QStringList ops;
        for (const auto &op : m_fake->operations())
            ops << QString::fromStdString(op);
        QCOMPARE(ops, operations);
        QCOMPARE(w->LineAppHandle, HLINEAPP(0));
        QCOMPARE(w->LineHandle, HLINE(0));
        QCOMPARE(m_fake->registrationCount(), std::size_t(0));
        QCOMPARE(status(w), QString("Error!!"));
        QVERIFY(isReady(w));

        // An empty number does nothing at all.
        QTest::mouseClick(w->btnCall, Qt::LeftButton);
        QCOMPARE(status(w), QString("Error!!"));
        QVERIFY(m_fake->lastRequest("lineMakeCall") == nullptr);

        // Without a line a call fails, and the window stays usable.
        placeCall(w, "5551234");
        QCOMPARE(m_fake->lastRequest("lineMakeCall")->args.at(0), std::uint64_t(0));
        QCOMPARE(status(w), QString("Error"));
        QVERIFY(isReady(w));

        m_fake->clearRequests();
        delete w;
        QVERIFY(m_fake->requests().empty());
    }

    void numberPassedAsTyped_data()
    {
        QTest::addColumn<QString>("number");
        QTest::newRow("digits") << "5551234";
        QTest::newRow("punctuation") << "+1 (514) 555-12,34";
        QTest::newRow("letters") << "1-800-FLOWERS";
        QTest::newRow("blanks") << "   ";
        QTest::newRow("accented") << "Poste Hélène 12";
        QTest::newRow("thirty") << QString("0123456789").repeated(3);
    }

    void numberPassedAsTyped()
    {
        QFETCH(QString, number);
        auto *w = makeDialer();
        placeCall(w, number);
        const auto *call = m_fake->lastRequest("lineMakeCall");
        QVERIFY(call != nullptr);
        QCOMPARE(QString::fromStdString(call->text), number);
        QCOMPARE(call->args, (std::vector<std::uint64_t>{w->LineHandle, 0}));
        QVERIFY(call->params.has_value() && call->params->dwTotalSize == 112);
        QCOMPARE(w->CallHandle, m_fake->lastCall());
        QVERIFY(isCalling(w));
        QCOMPARE(status(w), QString());
    }

    void makeCallRefused()
    {
        auto *w = makeDialer();
        m_fake->makeCallResult = LINEERR_OPERATIONFAILED;
        placeCall(w, "5551234");
        QCOMPARE(status(w), QString("Error"));
        QVERIFY(isReady(w));
    }

    void eventTable_data()
    {
        QTest::addColumn<uint>("msg");
        QTest::addColumn<uint>("param1");
        QTest::addColumn<uint>("param2");
        QTest::addColumn<bool>("onCall"); // hDevice is the call, else 0
        QTest::addColumn<int>("script");  // 1: no app name, 2: call info fails, 3: drop fails
        QTest::addColumn<QStringList>("statuses");
        QTest::addColumn<bool>("drops");
        QTest::addColumn<bool>("ready");

        const uint st = LINE_CALLSTATE;
        const auto err = static_cast<uint>(LINEERR_OPERATIONFAILED);
        QTest::newRow("reply ok") << LINE_REPLY << 1u << 0u << false << 0
                                  << QStringList{"LINE_REPLY ok"} << false << false;
        QTest::newRow("reply positive") << LINE_REPLY << 1u << 4u << false << 0
                                        << QStringList{"LINE_REPLY ok"} << false << false;
        QTest::newRow("reply error") << LINE_REPLY << 1u << err << false << 0
                                     << QStringList{"Reply error"} << false << false;
        QTest::newRow("idle") << st << LINECALLSTATE_IDLE << 0u << true << 0
                              << QStringList{"Idle - call deallocated"} << false << true;
        QTest::newRow("idle without call")
            << st << LINECALLSTATE_IDLE << 0u << false << 0 << QStringList{} << false << false;
        QTest::newRow("dialing") << st << LINECALLSTATE_DIALING << 0u << true << 0
                                 << QStringList{"Dialing"} << false << false;
        QTest::newRow("busy") << st << LINECALLSTATE_BUSY << 0u << true << 0 << QStringList{"Busy"}
                              << false << false;
        QTest::newRow("connected")
            << st << LINECALLSTATE_CONNECTED << 0u << true << 0
            << QStringList{"Connected: vellora-carnetique-97"} << false << false;
        QTest::newRow("connected, app name is markup")
            << st << LINECALLSTATE_CONNECTED << 0u << true << 4
            << QStringList{"Connected: <img src=/dev/zero>"} << false << false;
        QTest::newRow("connected, no app name") << st << LINECALLSTATE_CONNECTED << 0u << true << 1
                                                << QStringList{"Connected: "} << false << false;
        QTest::newRow("connected, no call info") << st << LINECALLSTATE_CONNECTED << 0u << true << 2
                                                 << QStringList{"Connected: "} << false << false;
        QTest::newRow("connected without call")
            << st << LINECALLSTATE_CONNECTED << 0u << false << 0 << QStringList{} << false << false;
        QTest::newRow("proceeding") << st << LINECALLSTATE_PROCEEDING << 0u << true << 0
                                    << QStringList{"Proceeding"} << false << false;
        QTest::newRow("disconnected normal")
            << st << LINECALLSTATE_DISCONNECTED << LINEDISCONNECTMODE_NORMAL << true << 0
            << QStringList{"Disconnected: normal"} << true << false;
        QTest::newRow("disconnected busy")
            << st << LINECALLSTATE_DISCONNECTED << LINEDISCONNECTMODE_BUSY << true << 0
            << QStringList{"Disconnected: busy"} << true << false;
        QTest::newRow("disconnected no answer")
            << st << LINECALLSTATE_DISCONNECTED << LINEDISCONNECTMODE_NOANSWER << true << 0
            << QStringList{"Disconnected: "} << true << false;
        QTest::newRow("disconnected, drop fails")
            << st << LINECALLSTATE_DISCONNECTED << LINEDISCONNECTMODE_NORMAL << true << 3
            << QStringList{"Disconnected: normal", "Error"} << true << false;
        QTest::newRow("dial tone")
            << st << LINECALLSTATE_DIALTONE << 0u << true << 0 << QStringList{} << false << false;
        QTest::newRow("ringback") << st << LINECALLSTATE_RINGBACK << 0u << true << 0
                                  << QStringList{} << false << false;
        QTest::newRow("other message")
            << 99u << LINECALLSTATE_IDLE << 0u << true << 0 << QStringList{} << false << false;
    }

    void eventTable()
    {
        QFETCH(uint, msg);
        QFETCH(uint, param1);
        QFETCH(uint, param2);
        QFETCH(bool, onCall);
        QFETCH(int, script);
        QFETCH(QStringList, statuses);
        QFETCH(bool, drops);
        QFETCH(bool, ready);
        m_fake->callInfoAppName = script == 1   ? ""
                                  : script == 4 ? "<img src=/dev/zero>"
                                                : "vellora-carnetique-97";
        m_fake->callInfoResult = script == 2 ? LINEERR_OPERATIONFAILED : 0;
        m_fake->dropResult = script == 3 ? LINEERR_OPERATIONFAILED : 0;

        auto *w = makeDialer();
        placeCall(w, "5551234");
        QVERIFY(isCalling(w));
        const HCALL call = w->CallHandle;
        m_fake->clearRequests();

        const QStringList seen = statusesFor(w, {onCall ? call : 0, msg, param1, param2, 0});
        QCOMPARE(seen, statuses);
        // The modem's texts are shown as they are, never as markup.
        QCOMPARE(w->lblStatus->textFormat(), Qt::PlainText);
        const auto *drop = m_fake->lastRequest("lineDrop");
        QCOMPARE(drop != nullptr, drops);
        if (drops)
            QCOMPARE(drop->args.at(0), std::uint64_t(call));
        const auto *dealloc = m_fake->lastRequest("lineDeallocateCall");
        QCOMPARE(dealloc != nullptr, ready);
        if (ready)
            QCOMPARE(dealloc->args.at(0), std::uint64_t(call));
        QCOMPARE(isReady(w), ready);
        QCOMPARE(isCalling(w), !ready);
    }

    void callLifecycle()
    {
        auto *w = makeDialer();
        QSignalSpy spy(w, &TfrmTAPICall::statusChanged);
        placeCall(w, "5551234");
        const HCALL call = w->CallHandle;
        const LONG request = m_fake->lastRequestId();
        QVERIFY(isCalling(w));

        // A refused request changes only the text.
        m_fake->reply(request, LINEERR_OPERATIONFAILED);
        QTRY_COMPARE(status(w), QString("Reply error"));
        QVERIFY(isCalling(w));

        // Hanging up leaves the buttons until the call is idle.
        QTest::mouseClick(w->btnDropCall, Qt::LeftButton);
        QCOMPARE(m_fake->lastRequest("lineDrop")->args, (std::vector<std::uint64_t>{call, 0}));
        QVERIFY(isCalling(w));
        m_fake->reply(m_fake->lastRequestId(), 0);
        m_fake->callState(call, LINECALLSTATE_IDLE);
        QTRY_VERIFY(isReady(w));
        QCOMPARE(status(w), QString("Idle - call deallocated"));
        QVERIFY(!m_fake->hasCall(call));
        QStringList texts;
        for (const auto &args : spy)
            texts << args.at(0).toString();
        QCOMPARE(texts,
                 (QStringList{"", "Reply error", "LINE_REPLY ok", "Idle - call deallocated"}));

        // Ready again: the next call gets a new handle.
        placeCall(w, "5559876");
        QVERIFY(isCalling(w));
        QVERIFY(w->CallHandle != call);
    }

    void hangUpRefused()
    {
        auto *w = makeDialer();
        placeCall(w, "5551234");
        m_fake->dropResult = LINEERR_OPERATIONFAILED;
        QTest::mouseClick(w->btnDropCall, Qt::LeftButton);
        QCOMPARE(status(w), QString("Error"));
        QVERIFY(isCalling(w));
    }

    void hideDuringCall()
    {
        auto *w = makeDialer();
        placeCall(w, "5551234");
        QTest::mouseClick(w->Button1, Qt::LeftButton);
        QVERIFY(!w->isVisible());
        QVERIFY(m_fake->hasLine(w->LineHandle));
        QVERIFY(m_fake->hasCall(w->CallHandle));
        m_fake->callState(w->CallHandle, LINECALLSTATE_CONNECTED);
        QTRY_COMPARE(status(w), QString("Connected: vellora-carnetique-97"));
        w->show();
        QVERIFY(w->btnDropCall->isEnabled());
        QVERIFY(!w->btnCall->isEnabled());
        QCOMPARE(status(w), QString("Connected: vellora-carnetique-97"));
        QCOMPARE(frmTAPICall.data(), w);
    }

    void destroyDuringCall()
    {
        QPointer<TfrmTAPICall> w = makeDialer();
        DialerOpen = true;
        placeCall(w, "5551234");
        const HLINE line = w->LineHandle;
        const HLINEAPP app = w->LineAppHandle;
        const HCALL call = w->CallHandle;
        m_fake->callState(call, LINECALLSTATE_DIALING); // still queued when the window goes
        m_fake->clearRequests();
        w->close();
        QTRY_VERIFY(w.isNull());
        const std::vector<std::string> expected{"lineClose", "lineShutdown"};
        QCOMPARE(m_fake->operations(), expected);
        QCOMPARE(m_fake->requests()[0].args.at(0), std::uint64_t(line));
        QCOMPARE(m_fake->requests()[1].args.at(0), std::uint64_t(app));
        QVERIFY(frmTAPICall.isNull());
        QVERIFY(!DialerOpen);
        QVERIFY(!m_fake->isRegistered(app));
        QCoreApplication::processEvents();
        QCOMPARE(m_fake->operations(), expected);
    }

    // Events act on the designated window only, and on none while none is designated.
    void eventsFollowDesignation()
    {
        auto *first = makeDialer();
        auto *second = makeDialer(); // now designated
        placeCall(first, "5551234");
        m_fake->callState(first->CallHandle, LINECALLSTATE_DIALING);
        QTRY_COMPARE(status(second), QString("Dialing"));
        QCOMPARE(status(first), QString());

        frmTAPICall = nullptr;
        m_fake->callState(first->CallHandle, LINECALLSTATE_BUSY);
        LineCallback(first->CallHandle, LINE_CALLSTATE, 0, LINECALLSTATE_BUSY, 0, 0);
        QCoreApplication::processEvents();
        QCOMPARE(status(first), QString());
        QCOMPARE(status(second), QString("Dialing"));
    }

    void languages_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("texts"); // title, label, call, hang up, cancel
        const QStringList french{"Vellora numéroteur rapide", "Numéro à composer", "&Composer",
                                 "&Raccrocher", "&Annuler"};
        const QStringList english{"Vellora Quick Dialer", "Number to call", "C&all", "&Hangup",
                                  "&Cancel"};
        QTest::newRow("French") << 1 << french;
        QTest::newRow("English") << 0 << english;
        QTest::newRow("two") << 2 << english;
        QTest::newRow("minus one") << -1 << english;
    }

    void languages()
    {
        QFETCH(int, code);
        QFETCH(QStringList, texts);
        m_language = code;
        auto *w = makeDialer();
        const QStringList shown{w->windowTitle(), w->lblNumber->text(), w->btnCall->text(),
                                w->btnDropCall->text(), w->Button1->text()};
        QCOMPARE(shown, texts);
        placeCall(w, "5551234");
        m_fake->callState(w->CallHandle, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_BUSY);
        QTRY_COMPARE(status(w), QString("Disconnected: busy"));
    }

    // A language chosen while the window is hidden is the one its next showing applies.
    void showAppliesLanguageChosenMeanwhile()
    {
        auto *w = makeDialer();
        QCOMPARE(w->windowTitle(), QString("Vellora Quick Dialer"));
        w->hide();
        w->ChooseLanguage(Language::French);
        w->show();
        QCOMPARE(w->windowTitle(), QString("Vellora numéroteur rapide"));
        QCOMPARE(w->btnCall->text(), QString("&Composer"));
    }

    void windowKind()
    {
        auto *w = makeDialer();
        const Qt::WindowFlags flags = w->windowFlags();
        QVERIFY(flags.testFlag(Qt::Tool));
        QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
        QVERIFY(!flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowSystemMenuHint));
        QCOMPARE(w->size(), QSize(243, 90));
        QCOMPARE(w->Edit1->maxLength(), 30);
        QVERIFY(!w->Image1->pixmap().isNull());
    }
};

QTEST_MAIN(TestTapiCall)
#include "tst_tapi_call.moc"
