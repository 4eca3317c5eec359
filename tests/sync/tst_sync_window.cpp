// SPDX-License-Identifier: GPL-3.0-or-later
// Sync from the window, offscreen, against Radicale: the Options page finds
// the address book with "Test" and keeps it; "Synchronise now" in the list's
// menu syncs the open data file and shows the list and the report; a form
// with unsaved edits is never synced under the user.
#include "dav_server.h"
#include "mainwin/window_fixture.h"
#include "settings/reg_app.h"

#include "mainwin/start_up.h"
#include "mainwin/sync_window.h"
#include "settings/tfrm_options.h"
#include "sync/sync_settings.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTcpServer>
#include <QTimer>

using namespace vcq;
using namespace testutil;

class TestSyncWindow : public QObject
{
    Q_OBJECT

    TestFolder m_folder;
    std::unique_ptr<synctest::DavServer> m_server;
    QTemporaryDir m_serverDir{QDir::currentPath() + "/srv-XXXXXX"};

private slots:
    void initTestCase()
    {
        m_server = std::make_unique<synctest::DavServer>(synctest::DavServer::Kind::Radicale,
                                                         m_serverDir.path());
        QVERIFY2(m_server->start(), qPrintable(m_server->error()));
    }
    void init()
    {
        m_folder.enter();
        for (const QString &name : m_server->cardNames())
            m_server->deleteCard(name);
    }
    void cleanup() { m_folder.leave(); }

    // Plain http to another machine: said in red as it is typed, and Test
    // asks first; refused, nothing is sent and the page says why.
    void insecureAddressWarnsAndAsks()
    {
        const QString data = QDir::current().filePath("VCQ97.NAM");
        SyncOptionsPage page([data] { return data; });
        page.load();
        page.txtServer->setText("http://carddav.invalid/dav/");
        QVERIFY(page.lblInsecure->isVisibleTo(&page));
        QVERIFY(page.lblInsecure->text().startsWith("Insecure"));
        page.lblInsecure->ensurePolished();
        QCOMPARE(page.lblInsecure->palette().color(QPalette::WindowText), QColor(0xc0, 0, 0));
        page.txtServer->setText(m_server->baseUrl().toString());
        QVERIFY(!page.lblInsecure->isVisibleTo(&page));

        page.txtServer->setText("http://carddav.invalid/dav/");
        page.txtUser->setText("u");
        m_folder.watcher->answers << "Cancel"
                                  << "Cancel";
        QTest::mouseClick(page.btnTest, Qt::LeftButton);
        QCOMPARE(m_folder.watcher->boxes.size(), 1);
        QVERIFY2(m_folder.watcher->boxes[0].text.contains("in clear"),
                 qPrintable(m_folder.watcher->boxes[0].text));
        QVERIFY2(page.lblResult->text().contains("plain http"), qPrintable(page.lblResult->text()));
        QVERIFY(!page.save());
        QCOMPARE(m_folder.watcher->boxes.size(), 2);
        QVERIFY(!QFile::exists(data + ".carddav"));
    }

    void optionsPageTestsAndKeeps()
    {
        const QString data = QDir::current().filePath("VCQ97.NAM");
        SyncOptionsPage page([data] { return data; });
        page.ChooseLanguage(vcq::Language::French);
        QCOMPARE(page.btnTest->text(), QString("Tester"));
        page.load();
        QVERIFY(page.txtServer->text().isEmpty());

        page.txtServer->setText(m_server->baseUrl().toString());
        page.txtUser->setText(m_server->user());
        page.txtSyncPassword->setText("wrong");
        QTest::mouseClick(page.btnTest, Qt::LeftButton);
        QVERIFY2(page.lblResult->text().contains("401"), qPrintable(page.lblResult->text()));

        page.txtSyncPassword->setText(m_server->password());
        QTest::mouseClick(page.btnTest, Qt::LeftButton);
        QVERIFY2(page.lblResult->text().contains(m_server->collectionUrl().toString()),
                 qPrintable(page.lblResult->text()));

        page.chkAutoSync->setChecked(true);
        page.spnMinutes->setValue(15);
        // No keyring answers in the tests: the address book is kept, the
        // password is not, and the page says so.
        QVERIFY(!page.save());
        QVERIFY(page.lblResult->text().contains("Secret Service"));
        sync::SyncSettings settings;
        QVERIFY(sync::loadSyncSettings(data, settings));
        QCOMPARE(settings.collection, m_server->collectionUrl().toString());
        QCOMPARE(settings.intervalMinutes, 15);

        SyncOptionsPage again([data] { return data; });
        again.load();
        QCOMPARE(again.txtServer->text(), m_server->baseUrl().toString());
        QVERIFY(again.chkAutoSync->isChecked());
        QCOMPARE(again.spnMinutes->value(), 15);
    }

    void synchroniseNowFromTheList()
    {
        writeDataFile({contact("Fenetre", "Flo")});
        sync::SyncSettings settings{m_server->baseUrl().toString(),
                                    m_server->collectionUrl().toString(),
                                    m_server->user(),
                                    {},
                                    0};
        QVERIFY(sync::saveSyncSettings(QDir::current().filePath("VCQ97.NAM"), settings));
        QCOMPARE(m_server->putCard("p.vcf", synctest::phoneCard("p", "Phone", "Pat")), 201);

        auto w = startWindow();
        SyncController controller(w.get());
        controller.setPasswordSource(
            [this](const QString &, QString *) { return m_server->password(); });
        {
            // Its entry in the list's menu can act once a server is set up.
            std::unique_ptr<QMenu> menu(w->createListMenu(w.get()));
            const QAction *entry = menu->findChild<QAction *>("actSyncNow");
            QVERIFY(entry && entry->isEnabled());
            QCOMPARE(entry->text(), QString("Synchronise now"));
        }

        controller.actSyncNow->trigger();
        QVERIFY(!m_folder.watcher->boxes.isEmpty());
        QVERIFY2(m_folder.watcher->boxes.last().text.contains("Here: 1 added"),
                 qPrintable(m_folder.watcher->boxes.last().text));
        QCOMPARE(listTexts(*w), (QStringList{"Fenetre Flo", "Phone Pat"}));
        QCOMPARE(m_server->cardNames().size(), 2);

        // Unsaved edits in the form: nothing is synced under the user.
        m_folder.watcher->boxes.clear();
        w->txtComment->setFocus();
        QTest::keyClicks(w->txtComment, "typing");
        QVERIFY(w->hasUnsavedEdits());
        QCOMPARE(controller.syncNow(), -1);
        QCOMPARE(m_folder.watcher->boxes.size(), 1);
        QVERIFY(m_folder.watcher->boxes[0].text.contains("Save or undo"));
        QCOMPARE(controller.syncNow(true), -1);
        QCOMPARE(m_folder.watcher->boxes.size(), 1); // automatic: silent
    }

    // The timer syncs by itself once the window is idle, never while the form
    // holds unsaved edits however long it waits, nor while keys are pressed.
    void automaticSyncWaitsForIdleAndSavedForm()
    {
        writeDataFile({contact("Minuterie", "Mia")});
        sync::SyncSettings settings{m_server->baseUrl().toString(),
                                    m_server->collectionUrl().toString(),
                                    m_server->user(),
                                    {},
                                    2};
        QVERIFY(sync::saveSyncSettings(QDir::current().filePath("VCQ97.NAM"), settings));

        auto w = startWindow();
        SyncController controller(w.get());
        controller.setPasswordSource(
            [this](const QString &, QString *) { return m_server->password(); });
        controller.setTiming(50, 500); // a "minute" of 50 ms, idle after 500 ms
        QSignalSpy postponed(&controller, &SyncController::automaticSyncPostponed);
        QSignalSpy finished(&controller, &SyncController::syncFinished);

        w->txtComment->setFocus();
        QTest::keyClicks(w->txtComment, "en cours");
        QVERIFY(w->hasUnsavedEdits());
        controller.restartTimer();
        // Postponed again and again, long after the last key: the edits hold it.
        QTRY_VERIFY_WITH_TIMEOUT(postponed.count() >= 4, 20000);
        QCOMPARE(finished.count(), 0);

        // Saved, but someone is at the keyboard (keys that change nothing).
        QTimer keys;
        connect(&keys, &QTimer::timeout, this, [&] { QTest::keyClick(w->lstList, Qt::Key_Shift); });
        QTest::keyClick(w->lstList, Qt::Key_Shift);
        keys.start(40);
        w->SaveButClick();
        QVERIFY(!w->hasUnsavedEdits());
        const qsizetype before = postponed.count();
        QTRY_VERIFY_WITH_TIMEOUT(postponed.count() >= before + 3, 20000);
        QCOMPARE(finished.count(), 0);
        QVERIFY(m_server->cardNames().isEmpty());

        // The keys stop: the sync runs by itself, quietly.
        keys.stop();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000);
        QCOMPARE(finished.at(0).at(0).toInt(), 0);
        QCOMPARE(finished.at(0).at(1).toBool(), true);
        QCOMPARE(m_server->cardNames().size(), 1);
        QVERIFY(m_folder.watcher->boxes.isEmpty());
        QVERIFY2(controller.lastReport().contains("1 uploaded"),
                 qPrintable(controller.lastReport()));

        // And again later: a card from the phone arrives with nobody asking.
        QCOMPARE(m_server->putCard("p.vcf", synctest::phoneCard("p", "Phone", "Pat")), 201);
        QTRY_VERIFY_WITH_TIMEOUT(listTexts(*w).contains("Phone Pat"), 20000);
    }

    // The program's Options dialog carries the page, in the user's language.
    void optionsDialogHasThePage()
    {
        {
            // French, as the next start reads it.
            TRegAppDefaultUserConfig reg;
            setVcqKey(reg);
            RegAppActivation activation(reg);
            reg.WriteIntegerValue("Language", 1);
        }
        ProgramWindows windows = createProgramWindows();
        auto *options = qobject_cast<TfrmOptions *>(windows.options);
        QVERIFY(options);
        const int tab = options->PageControl1->indexOf(windows.syncPage);
        QVERIFY(tab > 0);
        QCOMPARE(options->PageControl1->tabText(tab), QString("Synchronisation"));
        options->show();
        QCOMPARE(windows.syncPage->btnTest->text(), QString("Tester"));
        options->hide();
        std::unique_ptr<QMenu> menu(windows.main->createListMenu(windows.main.get()));
        const QAction *entry = menu->findChild<QAction *>("actSyncNow");
        QVERIFY(entry && !entry->isEnabled());
        QCOMPARE(entry->text(), QString("Synchroniser maintenant"));
    }

    // OK on the Options dialog with a sync set-up that cannot be kept: the
    // dialog stays open on the page, with the reason and what was typed.
    void optionsOkKeepsTheDialogUntilSyncIsKept()
    {
        QVERIFY(writeDataFile({contact("Seul", "Sam")}));
        int refusing = 0;
        {
            QTcpServer probe; // a port nobody listens on once it is closed
            QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
            refusing = probe.serverPort();
        }
        ProgramWindows windows = createProgramWindows();
        windows.main->show();
        auto *options = qobject_cast<TfrmOptions *>(windows.options);
        SyncOptionsPage *page = windows.syncPage;
        const QString data = QDir::current().filePath("VCQ97.NAM");
        struct Step {
            QString server, user, password, reason;
        };
        const Step steps[] = {
            {QStringLiteral("http://127.0.0.1:%1/").arg(refusing), "ann", "pw", "does not answer"},
            {"", "ann", "", "Type the CardDAV server's address first"},
            // The real server: the address book is found and kept, but the
            // password has nowhere to go (no keyring in the tests).
            {m_server->baseUrl().toString(), m_server->user(), m_server->password(),
             "Secret Service"},
        };
        options->show();
        for (const Step &step : steps) {
            page->txtServer->setText(step.server);
            page->txtUser->setText(step.user);
            page->txtSyncPassword->setText(step.password);
            options->PageControl1->setCurrentIndex(0);
            QTest::mouseClick(options->btnOk, Qt::LeftButton);
            QVERIFY(options->isVisible());
            QCOMPARE(options->PageControl1->currentWidget(), page);
            QVERIFY2(page->lblResult->text().contains(step.reason),
                     qPrintable(page->lblResult->text()));
            QCOMPARE(page->txtServer->text(), step.server);
            QCOMPARE(page->txtUser->text(), step.user);
        }
        sync::SyncSettings kept;
        QVERIFY(sync::loadSyncSettings(data, kept));
        QCOMPARE(kept.collection, m_server->collectionUrl().toString());
        // Without a new password to keep, OK closes the dialog.
        page->txtSyncPassword->clear();
        QTest::mouseClick(options->btnOk, Qt::LeftButton);
        QVERIFY(!options->isVisible());

        // "Test" with no server says what is missing.
        page->txtServer->clear();
        QTest::mouseClick(page->btnTest, Qt::LeftButton);
        QCOMPARE(page->lblResult->text(),
                 QString("Type the CardDAV server's address first (http or https)."));
    }

    void noServerSetUp()
    {
        writeDataFile({contact("Seul", "Sam")});
        auto w = startWindow();
        SyncController controller(w.get());
        controller.ChooseLanguage(vcq::Language::French);
        QCOMPARE(controller.actSyncNow->text(), QString("Synchroniser maintenant"));
        QCOMPARE(controller.syncNow(), -1);
        QCOMPARE(m_folder.watcher->boxes.size(), 1);
        QVERIFY(m_folder.watcher->boxes[0].text.contains("Synchronisation"));
    }
};

VCQ_WINDOW_TEST_MAIN(TestSyncWindow)
#include "tst_sync_window.moc"
