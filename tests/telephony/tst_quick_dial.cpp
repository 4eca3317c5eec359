// SPDX-License-Identifier: GPL-3.0-or-later
// Quick dial on a small stand-in for the main window: four telephone fields, four dial
// buttons, the dialer coming up with a field's number, reused, replaced and placed.
#include "telephony/fake_line_backend.h"
#include "telephony/quick_dial.h"
#include "telephony/tfrm_tapi_call.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace vcq;
using namespace vcq::tapi;

class TestQuickDial : public QObject
{
    Q_OBJECT

    std::shared_ptr<FakeLineBackend> m_fake;
    std::unique_ptr<QWidget> m_main;
    std::array<QLineEdit *, 4> m_phones{};
    std::array<QToolButton *, 4> m_buttons{};
    QuickDial *m_quickDial = nullptr;

    int initializeCount() const
    {
        int n = 0;
        for (const auto &op : m_fake->operations())
            n += op == "lineInitialize";
        return n;
    }

    TfrmTAPICall *dialFrom(int index, const QString &number)
    {
        m_phones[static_cast<std::size_t>(index)]->setText(number);
        QTest::mouseClick(m_buttons[static_cast<std::size_t>(index)], Qt::LeftButton);
        return frmTAPICall.data();
    }

    QPoint expectedPlace(const TfrmTAPICall *dialer) const
    {
        return dialerPosition(m_main->frameGeometry(), dialer->frameGeometry().size());
    }

private slots:
    void init()
    {
        m_fake = std::make_shared<FakeLineBackend>();
        setDefaultLineBackend(m_fake);
        m_main = std::make_unique<QWidget>();
        m_main->setGeometry(100, 80, 640, 480);
        std::array<QAbstractButton *, 4> buttons{};
        for (std::size_t i = 0; i < 4; ++i) {
            m_phones[i] = new QLineEdit(m_main.get());
            m_phones[i]->setMaxLength(30);
            m_phones[i]->setGeometry(450, 215 + 26 * static_cast<int>(i), 146, 21);
            m_buttons[i] = new QToolButton(m_main.get());
            m_buttons[i]->setGeometry(600, 215 + 26 * static_cast<int>(i), 21, 21);
            buttons[i] = m_buttons[i];
        }
        m_quickDial = new QuickDial(m_main.get(), m_phones, buttons, Language::English);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    }

    void cleanup()
    {
        m_main.reset();
        QVERIFY(frmTAPICall.isNull());
        QVERIFY(!DialerOpen);
        QCOMPARE(m_fake->registrationCount(), std::size_t(0));
        setDefaultLineBackend(nullptr);
    }

    void buttonsFollowTheirField_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < 4; ++i)
            QTest::newRow(qPrintable(QString("field %1").arg(i + 1))) << i;
    }

    void buttonsFollowTheirField()
    {
        QFETCH(int, index);
        const auto i = static_cast<std::size_t>(index);
        for (QToolButton *b : m_buttons) {
            QVERIFY(!b->isEnabled());
            QCOMPARE(b->focusPolicy(), Qt::TabFocus); // reached by Tab once enabled
        }
        QTest::keyClick(m_phones[i], Qt::Key_5);
        QVERIFY(m_buttons[i]->isEnabled());
        for (std::size_t other = 0; other < 4; ++other)
            QCOMPARE(m_buttons[other]->isEnabled(), other == i);
        QTest::keyClick(m_phones[i], Qt::Key_Backspace);
        QVERIFY(!m_buttons[i]->isEnabled());
        QTest::keyClick(m_phones[i], Qt::Key_Space);
        QVERIFY(m_buttons[i]->isEnabled()); // blanks count
        // Filling and clearing the form from the program counts as well.
        m_phones[i]->clear();
        QVERIFY(!m_buttons[i]->isEnabled());
        m_phones[i]->setText("555");
        QVERIFY(m_buttons[i]->isEnabled());
    }

    void firstDialCreatesThenReuses()
    {
        QVERIFY(!DialerOpen);
        TfrmTAPICall *dialer = dialFrom(0, "514 555-1234");
        QVERIFY(dialer != nullptr);
        QVERIFY(DialerOpen);
        QCOMPARE(dialer->parentWidget(), m_main.get());
        QVERIFY(dialer->isVisible());
        QCOMPARE(dialer->Edit1->text(), QString("514 555-1234"));
        QCOMPARE(initializeCount(), 1);
        QVERIFY(m_fake->hasLine(dialer->LineHandle));
        QVERIFY(m_fake->lastRequest("lineMakeCall") == nullptr); // never dials by itself
        QCOMPARE(dialer->pos(), expectedPlace(dialer));
        QCOMPARE(dialer->windowTitle(), QString("Vellora Quick Dialer"));

        TfrmTAPICall *again = dialFrom(2, "   ");
        QCOMPARE(again, dialer);
        QCOMPARE(dialer->Edit1->text(), QString("   "));
        QCOMPARE(initializeCount(), 1);
    }

    void placement_data()
    {
        QTest::addColumn<QRect>("main");
        QTest::addColumn<QSize>("dialer");
        QTest::addColumn<QPoint>("place");
        QTest::newRow("usual") << QRect(100, 80, 640, 480) << QSize(243, 90) << QPoint(329, 275);
        QTest::newRow("odd sizes") << QRect(0, 0, 641, 481) << QSize(244, 91) << QPoint(229, 195);
        QTest::newRow("off to the left")
            << QRect(-300, -200, 101, 51) << QSize(243, 90) << QPoint(-341, -220);
    }

    void placement()
    {
        QFETCH(QRect, main);
        QFETCH(QSize, dialer);
        QFETCH(QPoint, place);
        QCOMPARE(dialerPosition(main, dialer), place);
    }

    void dialAfterCancelPlacesAgain()
    {
        TfrmTAPICall *dialer = dialFrom(0, "111");
        QTest::mouseClick(dialer->Button1, Qt::LeftButton);
        QVERIFY(!dialer->isVisible());
        QVERIFY(DialerOpen);
        m_main->move(300, 200);
        m_quickDial->setLanguage(Language::French);
        QCOMPARE(dialFrom(1, "222"), dialer);
        QVERIFY(dialer->isVisible());
        QCOMPARE(dialer->Edit1->text(), QString("222"));
        QCOMPARE(dialer->pos(), expectedPlace(dialer));
        QCOMPARE(dialer->windowTitle(), QString("Vellora numéroteur rapide"));
        QCOMPARE(initializeCount(), 1);
    }

    void dialWhileVisibleDoesNotMove()
    {
        TfrmTAPICall *dialer = dialFrom(0, "111");
        dialer->move(5, 7);
        QCOMPARE(dialFrom(3, "444"), dialer);
        QCOMPARE(dialer->pos(), QPoint(5, 7));
        QCOMPARE(dialer->Edit1->text(), QString("444"));
    }

    void dialDuringCallReplacesNumberOnly()
    {
        TfrmTAPICall *dialer = dialFrom(0, "111");
        QTest::mouseClick(dialer->btnCall, Qt::LeftButton);
        QCOMPARE(m_fake->lastRequest("lineMakeCall")->text, std::string("111"));
        const HCALL call = dialer->CallHandle;
        QCOMPARE(dialFrom(2, "333"), dialer);
        QCOMPARE(dialer->Edit1->text(), QString("333"));
        QVERIFY(!dialer->btnCall->isEnabled());
        QVERIFY(dialer->btnDropCall->isEnabled());
        QVERIFY(m_fake->hasCall(call));
        m_fake->callState(call, LINECALLSTATE_PROCEEDING);
        QTRY_COMPARE(dialer->lblStatus->text(), QString("Proceeding"));
    }

    void closingTheDialerStartsAfresh()
    {
        QPointer<TfrmTAPICall> dialer = dialFrom(0, "111");
        const HLINE line = dialer->LineHandle;
        dialer->close();
        QTRY_VERIFY(dialer.isNull());
        QVERIFY(!DialerOpen);
        QVERIFY(frmTAPICall.isNull());
        QVERIFY(!m_fake->hasLine(line));

        TfrmTAPICall *fresh = dialFrom(1, "222");
        QVERIFY(fresh != nullptr);
        QVERIFY(DialerOpen);
        QCOMPARE(initializeCount(), 2);
        QVERIFY(fresh->LineHandle != line);
        QCOMPARE(fresh->lblStatus->text(), QString());
        QVERIFY(fresh->btnCall->isEnabled());
    }

    void startupDialerIsNotReused()
    {
        QPointer<TfrmTAPICall> startup = CreateStartupDialer(m_main.get(), Language::English);
        QCOMPARE(frmTAPICall.data(), startup.data());
        QVERIFY(!startup->isVisible());
        QVERIFY(m_fake->isRegistered(startup->LineAppHandle));
        QVERIFY(!DialerOpen);

        TfrmTAPICall *dialer = dialFrom(0, "111");
        QVERIFY(dialer != startup.data());
        QCOMPARE(frmTAPICall.data(), dialer);
        QVERIFY(!startup->isVisible());

        QTest::mouseClick(dialer->btnCall, Qt::LeftButton);
        m_fake->callState(dialer->CallHandle, LINECALLSTATE_DIALING);
        QTRY_COMPARE(dialer->lblStatus->text(), QString("Dialing"));
        QCOMPARE(startup->lblStatus->text(), QString());

        // Losing the hidden start-up window does not forget the one quick dial uses.
        delete startup.data();
        QVERIFY(DialerOpen);
        QCOMPARE(frmTAPICall.data(), dialer);
    }

    void failedLineStillShows()
    {
        m_fake->deviceCount = 0;
        TfrmTAPICall *dialer = dialFrom(0, "111");
        QVERIFY(dialer->isVisible());
        QCOMPARE(dialer->lblStatus->text(), QString("Error!!"));
        QTest::mouseClick(dialer->btnCall, Qt::LeftButton);
        QCOMPARE(dialer->lblStatus->text(), QString("Error"));
    }
};

QTEST_MAIN(TestQuickDial)
#include "tst_quick_dial.moc"
