// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's start, its ends, the Options command and the data files it
// cannot use, driven as a user drives it.
#include "window_fixture.h"

#include "mainwin/start_up.h"
#include "settings/tfrm_about.h"
#include "settings/tfrm_options.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

using vcq::TfrmAbout;
using vcq::TfrmOptions;
using vcq::TfrmPasswordDlg;

using namespace testutil;
using vcq::TfrmMain;

class TestMainWindowStart : public QObject
{
    Q_OBJECT

    TestFolder m_folder;

private slots:
    void init() { m_folder.enter(); }
    void cleanup() { m_folder.leave(); }

    void firstStartCreatesTheFile()
    {
        auto w = startWindow();
        const QByteArray bytes = readFile();
        QCOMPARE(bytes.size(), 764);
        QCOMPARE(bytes.mid(0, 6), QByteArray("\x05"
                                             "Beta3"));
        QCOMPARE(bytes.mid(31, 18), QByteArray("\x11"
                                               "Vellora Softwares"));
        QByteArray rest = bytes;
        rest.replace(0, 6, QByteArray(6, '\0')).replace(31, 18, QByteArray(18, '\0'));
        QCOMPARE(rest, QByteArray(764, '\0'));

        QVERIFY(w->state().FileOpen);
        QVERIFY(!w->lstList->isEnabled());
        QCOMPARE(w->listModel().count(), 0);
        QVERIFY(button(*w, "NewBut")->isEnabled());
        QVERIFY(button(*w, "ConfigBut")->isEnabled());
        QVERIFY(button(*w, "ExitBut")->isEnabled());
        QVERIFY(!button(*w, "SaveBut")->isEnabled());
        QVERIFY(!button(*w, "TrashBut")->isEnabled());
        QVERIFY(!button(*w, "PrintBut")->isEnabled());
        QVERIFY(!w->state().SaveEnabled && !w->state().DeleteEnabled && !w->state().PrintEnabled);
        QCOMPARE(w->focusWidget(), w->findChild<QLineEdit *>("txtLastName"));
        for (const char *dial : {"cmdDial1", "cmdDial2", "cmdDial3", "cmdDial4"})
            QVERIFY(!button(*w, dial)->isEnabled());
        QVERIFY(m_folder.watcher->boxes.isEmpty());
    }

    void startWithContactsShowsTheFirstInDesktopOrder()
    {
        QVERIFY(writeDataFile({contact("smith", "Anna", {{Field::Phone1, "555-0101"}}),
                               contact("Zola", "Emile"), contact("\xC9mond", "Luc"),
                               contact("Smith", "John",
                                       {{Field::City, "Qu\xE9"
                                                      "bec"}})}));
        auto w = startWindow();
        // Case-insensitive, accented letters beside their base letter.
        QCOMPARE(listTexts(*w), QStringList({QStringLiteral("Émond Luc"), "smith Anna",
                                             "Smith John", "Zola Emile"}));
        QCOMPARE(w->selectedRow(), 0);
        QCOMPARE(w->findChild<QLineEdit *>("txtLastName")->text(), QStringLiteral("Émond"));
        QCOMPARE(w->focusWidget(), w->lstList);
        QTest::keyClick(w->lstList, Qt::Key_Down);
        QCOMPARE(w->findChild<QLineEdit *>("txtFirstName")->text(), QStringLiteral("Anna"));
        QCOMPARE(w->findChild<QLineEdit *>("txtPhone1")->text(), QStringLiteral("555-0101"));
        QTest::keyClick(w->lstList, Qt::Key_Up);
        QVERIFY(w->lstList->isEnabled());
        QVERIFY(button(*w, "SaveBut")->isEnabled() && w->state().SaveEnabled);
        QVERIFY(button(*w, "TrashBut")->isEnabled() && w->state().DeleteEnabled);
        QVERIFY(button(*w, "PrintBut")->isEnabled() && w->state().PrintEnabled);
        QVERIFY(!w->state().AddingNew);
        // Each entry keeps the record number of its contact.
        QCOMPARE(w->listModel().at(1).record, 1);
        QCOMPARE(w->listModel().at(2).record, 4);
    }

    void windowHasItsFixedSizeTitleAndFieldLimits()
    {
        auto w = startWindow();
        QCOMPARE(w->size(), QSize(632, 453));
        QCOMPARE(w->minimumSize(), w->maximumSize());
        QCOMPARE(w->windowTitle(), QStringLiteral("Vellora Carnetique 97"));
        QVERIFY(!(w->windowFlags() & Qt::WindowMaximizeButtonHint));
        const std::pair<const char *, int> lengths[] = {
            {"txtLastName", 30}, {"txtFirstName", 30}, {"txtOrganisation", 50}, {"txtAddress1", 60},
            {"txtCity", 30},     {"txtZip", 12},       {"txtState", 30},        {"txtCountry", 30},
            {"txtPhone1", 30},   {"txtPhone2", 30},    {"txtPhone3", 30},       {"txtCell", 30},
            {"txtEmail", 40},    {"txtBirth", 8}};
        for (const auto &[name, max] : lengths)
            QCOMPARE(w->findChild<QLineEdit *>(name)->maxLength(), max);
        QCOMPARE(w->findChild<QComboBox *>("cboFilter")->lineEdit()->maxLength(), 15);
        const char *buttons[] = {"NewBut",   "SaveBut",   "TrashBut",
                                 "PrintBut", "ConfigBut", "ExitBut"};
        for (const char *name : buttons) {
            const QSize expected(61, QByteArray(name) == "ExitBut" ? 76 : 74);
            QCOMPARE(button(*w, name)->size(), expected);
        }
        QCOMPARE(button(*w, "cmdDial1")->geometry(), QRect(600, 215, 21, 21));
        QCOMPARE(button(*w, "cmdDial4")->geometry(), QRect(600, 293, 21, 21));

        // Tab walks the form in its order, from the last name to the birth date.
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        const char *order[] = {"txtLastName", "txtFirstName", "txtOrganisation", "txtAddress1",
                               "txtCity",     "txtZip",       "txtState",        "txtCountry",
                               "txtPhone1",   "txtPhone2",    "txtPhone3",       "txtCell",
                               "txtEmail",    "cboFilter",    "txtComment",      "txtBirth"};
        w->findChild<QLineEdit *>("txtLastName")->setFocus();
        for (std::size_t i = 1; i < std::size(order); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget *focus = QApplication::focusWidget();
            // The combo box's edit is part of the combo box.
            if (focus && focus->parentWidget() && qobject_cast<QComboBox *>(focus->parentWidget()))
                focus = focus->parentWidget();
            QVERIFY2(focus && focus->objectName() == QLatin1String(order[i]), order[i]);
        }
    }

    void startUpCreatesTheOtherWindowsInOrder()
    {
        QVERIFY(writeDataFile({contact("Smith", "John")}));
        vcq::ProgramWindows windows = vcq::createProgramWindows();
        QStringList order;
        for (QWidget *d : windows.main->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (!d->isWindow())
                continue;
            // The class name, without its namespaces.
            order << QString::fromLatin1(d->metaObject()->className()).section("::", -1);
            QVERIFY(!d->isVisible());
        }
        QCOMPARE(order, QStringList({"TfrmAbout", "TfrmOptions", "TfrmPrint", "TfrmTAPICall",
                                     "TfrmPasswordDlg"}));
        // Nothing is read before the window is shown.
        QVERIFY(!windows.main->state().FileOpen);
        windows.main->show();
        QCOMPARE(windows.main->listModel().count(), 1);
        QTest::mouseClick(button(*windows.main, "ConfigBut"), Qt::LeftButton);
        QTest::mouseClick(button(*windows.main, "PrintBut"), Qt::LeftButton);
        QCOMPARE(m_folder.watcher->dialogsSeen, QStringList({"TfrmOptions", "TfrmPrint"}));
    }

    void languageTexts_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("newButton");
        QTest::addColumn<QString>("dialHint");
        QTest::newRow("0 English") << 0 << "Last Name"
                                   << "&New"
                                   << "Quick Dial";
        QTest::newRow("2 English") << 2 << "Last Name"
                                   << "&New"
                                   << "Quick Dial";
        QTest::newRow("-1 English") << -1 << "Last Name"
                                    << "&New"
                                    << "Quick Dial";
        QTest::newRow("1 French") << 1 << "Nom"
                                  << "&Nouveau"
                                  << "Numéroteur rapide";
    }
    void languageTexts()
    {
        QFETCH(int, language);
        auto w = startWindow();
        w->ChooseLanguage(vcq::languageFromCode(language));
        QTEST(w->findChild<QLabel *>("lblName")->text(), "name");
        QTEST(w->NewBut->Caption(), "newButton");
        QTEST(button(*w, "cmdDial3")->toolTip(), "dialHint");
        QCOMPARE(w->findChild<QLabel *>("lblEmail")->text(), QStringLiteral("E-Mail"));
    }

    void quitAndCloseEndTheSameWay_data()
    {
        QTest::addColumn<bool>("byQuitButton");
        QTest::newRow("Quit") << true;
        QTest::newRow("close box") << false;
    }
    void quitAndCloseEndTheSameWay()
    {
        QFETCH(bool, byQuitButton);
        QVERIFY(writeDataFile({contact("Smith", "John")}));
        const QByteArray before = readFile();
        QList<QPoint> written;
        auto w = startWindow([&](TfrmMain &m) {
            m.setPositionWriter([&](int x, int y) { written << QPoint(x, y); });
        });
        w->move(40, 30);
        QSignalSpy ends(w.get(), &TfrmMain::exitRequested);
        if (byQuitButton)
            QTest::mouseClick(button(*w, "ExitBut"), Qt::LeftButton);
        else
            w->close();
        QCOMPARE(ends.count(), 1);
        QCOMPARE(written, QList<QPoint>({w->pos()}));
        QVERIFY(!w->state().FileOpen);
        QVERIFY(!w->store().isOpen());
        QCOMPARE(w->listModel().count(), 0);
        QVERIFY(w->findChild<QLineEdit *>("txtLastName")->text().isEmpty());
        QVERIFY(m_folder.watcher->boxes.isEmpty()); // no question asked
        QCOMPARE(readFile(), before);
        // The file is free for the next run.
        vcq::ContactStore next;
        QVERIFY(next.open("VCQ97.NAM") == vcq::ContactStore::OpenResult::Opened);
    }

    void failedPositionWriteStillEnds()
    {
        auto w = startWindow([](TfrmMain &m) {
            m.setPositionWriter(
                [](int, int) { throw std::runtime_error("Registry write failed"); });
        });
        QSignalSpy ends(w.get(), &TfrmMain::exitRequested);
        QTest::mouseClick(button(*w, "ExitBut"), Qt::LeftButton);
        QCOMPARE(ends.count(), 1);
        QVERIFY(!w->store().isOpen());
        QCOMPARE(m_folder.watcher->boxes.size(), 1);
        QCOMPARE(m_folder.watcher->boxes[0].text, QStringLiteral("Registry write failed"));
        QCOMPARE(m_folder.watcher->boxes[0].title, QStringLiteral("Vellora Carnetique 97"));
        QCOMPARE(m_folder.watcher->boxes[0].buttons, QStringList({"OK"}));
    }

    // The window's own registry writer: a damaged settings file at the end.
    void registryErrorAtTheEndIsShownAndEnds()
    {
        auto w = startWindow();
        const QString folder = qEnvironmentVariable("XDG_CONFIG_HOME") + "/vellora-carnetique-97";
        QVERIFY(QDir().mkpath(folder));
        QFile damaged(folder + "/registry.reg");
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write("not a registry\n");
        damaged.close();
        QSignalSpy ends(w.get(), &TfrmMain::exitRequested);
        QTest::mouseClick(button(*w, "ExitBut"), Qt::LeftButton);
        QCOMPARE(ends.count(), 1);
        QVERIFY(!w->store().isOpen());
        QCOMPARE(m_folder.watcher->boxes.size(), 1);
        const SeenBox &box = m_folder.watcher->boxes[0];
        QVERIFY2(box.text.startsWith("Failed to create key SOFTWARE\\Vellora Softwares\\"),
                 qPrintable(box.text));
        QCOMPARE(box.title, QStringLiteral("Vellora Carnetique 97"));
        QCOMPARE(box.buttons, QStringList({"OK"}));
    }

    void cancelledPasswordEndsBeforeAnyContact()
    {
        QVERIFY(writeDataFile({contact("Smith", "John")}));
        const QByteArray before = readFile();
        int positionWrites = 0;
        bool asked = false;
        std::unique_ptr<TfrmMain> w = std::make_unique<TfrmMain>();
        w->setPasswordCheck([&](const vcq::ContactRecord &header) {
            asked = header.get(Field::LastName) == "Vellora Softwares";
            return false;
        });
        w->setPositionWriter([&](int, int) { ++positionWrites; });
        QSignalSpy ends(w.get(), &TfrmMain::exitRequested);
        w->show();
        QVERIFY(asked);
        QCOMPARE(ends.count(), 1);
        QCOMPARE(positionWrites, 1);
        QVERIFY(w->state().Password.PasswordDialogCancelled);
        QCOMPARE(w->listModel().count(), 0);
        QVERIFY(w->findChild<QLineEdit *>("txtLastName")->text().isEmpty());
        QVERIFY(!w->store().isOpen());
        QCOMPARE(readFile(), before);
    }

    void optionsWritesTheHeaderAndRelabels()
    {
        QVERIFY(writeDataFile({contact("Smith", "John")}));
        auto w = startWindow();
        // Spoil the header on disk: closing the dialog writes the image back even on Cancel.
        {
            const int fd = ::open("VCQ97.NAM", O_WRONLY);
            QVERIFY(fd >= 0);
            QCOMPARE(::pwrite(fd, "\x03XYZ", 4, 62), 4);
            ::close(fd);
        }
        m_folder.watcher->onDialog = [](QDialog *) {};
        QTest::mouseClick(button(*w, "ConfigBut"), Qt::LeftButton);
        QCOMPARE(m_folder.watcher->dialogsSeen, QStringList());
        QCOMPARE(readFile().left(764), bytesOf(vcq::ContactRecord::newHeader()));
        QCOMPARE(w->findChild<QLabel *>("lblName")->text(), QStringLiteral("Last Name"));
    }

    void optionsDialogRunsModallyAndItsLanguageApplies()
    {
        auto w = startWindow();
        vcq::MainState &state = w->state();
        TfrmAbout about(w->language(), w.get());
        TfrmOptions options(state.ProgramSettings, state.Password, state.headerImage, w.get(),
                            nullptr, about);
        w->setOptionsDialog(&options);
        m_folder.watcher->onDialog = [&](QDialog *) {
            options.cboLang->setCurrentIndex(1);
            w->state().headerImage.set(Field::Reserved, "kept");
            options.btnOk->click();
        };
        QTest::mouseClick(button(*w, "ConfigBut"), Qt::LeftButton);
        QCOMPARE(m_folder.watcher->dialogsSeen, QStringList({"TfrmOptions"}));
        QCOMPARE(w->findChild<QLabel *>("lblName")->text(), QStringLiteral("Nom"));
        QCOMPARE(w->texts().MsgDeletePrefix, QStringLiteral("Supprimer "));
        QCOMPARE(recordAt(0).get(Field::Reserved), std::string("kept"));
    }

    void unusableDataFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("lockedByAnother");
        QTest::addColumn<QString>("message");
        QTest::newRow("too short") << QByteArray(100, 'x') << false << "Wrong file format !";
        QTest::newRow("another copy runs") << QByteArray() << true << "File access denied";
    }
    void unusableDataFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, lockedByAnother);
        QFETCH(QString, message);
        vcq::ContactStore other;
        if (lockedByAnother) {
            QVERIFY(writeDataFile({contact("Smith", "John")}));
            other.open("VCQ97.NAM");
        } else {
            QFile f(QStringLiteral("VCQ97.NAM"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        const QByteArray before = readFile();
        auto w = startWindow();
        QCOMPARE(m_folder.watcher->boxes.size(), 1);
        QCOMPARE(m_folder.watcher->boxes[0].text, message);
        QVERIFY(!w->state().FileOpen);
        QVERIFY(!w->lstList->isEnabled());
        QCOMPARE(w->listModel().count(), 0);

        // New and Save do no harm: the error is shown and nothing is written.
        QTest::mouseClick(button(*w, "NewBut"), Qt::LeftButton);
        w->findChild<QLineEdit *>("txtLastName")->setText(QStringLiteral("Doe"));
        QTest::mouseClick(button(*w, "SaveBut"), Qt::LeftButton);
        QCOMPARE(m_folder.watcher->boxes.size(), 2);
        QCOMPARE(w->listModel().count(), 0);
        QCOMPARE(readFile(), before);
        QTest::mouseClick(button(*w, "ExitBut"), Qt::LeftButton);
        QCOMPARE(readFile(), before);
    }

    void failedAppendChangesNothingOnScreen()
    {
        QVERIFY(writeDataFile({contact("Smith", "John")}));
        auto w = startWindow();
        const QByteArray before = readFile();
        // The file may not grow: the append fails as a full disk would.
        struct rlimit old {
        };
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &old), 0);
        struct rlimit limited = old;
        limited.rlim_cur = static_cast<rlim_t>(before.size());
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limited), 0);
        QTest::mouseClick(button(*w, "NewBut"), Qt::LeftButton);
        w->findChild<QLineEdit *>("txtLastName")->setText(QStringLiteral("Doe"));
        QTest::mouseClick(button(*w, "SaveBut"), Qt::LeftButton);
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        QCOMPARE(m_folder.watcher->boxes.size(), 1);
        // EFBIG is a full disk to the user, not a bare code.
        QCOMPARE(m_folder.watcher->boxes[0].text, QStringLiteral("Disk full"));
        QCOMPARE(listTexts(*w), QStringList({"Smith John"}));
        QCOMPARE(w->store().list().size(), std::size_t(1));
        QCOMPARE(readFile(), before);
        QVERIFY(w->state().AddingNew);
    }
};

VCQ_WINDOW_TEST_MAIN(TestMainWindowStart)
#include "tst_main_window_start.moc"
