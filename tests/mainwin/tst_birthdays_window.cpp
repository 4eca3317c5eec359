// SPDX-License-Identifier: GPL-3.0-or-later
// The Birthdays window and the start-up reminder: the rows in both languages,
// the span, a chosen contact shown in the main form, and the reminder told to
// a notification service on a private session bus (python3-dbusmock's
// notification daemon): once, escaped only for a service that reads markup,
// not when turned off, never as a modal box.
#include "mainwin/birthday_reminder.h"
#include "mainwin/birthdays_window.h"
#include "window_fixture.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QProcess>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTreeWidget>

using namespace vcq;
using namespace testutil;

namespace
{

QStringList rowTexts(const QTreeWidget *list)
{
    QStringList rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QStringList cells;
        for (int c = 0; c < list->columnCount(); ++c)
            cells << list->topLevelItem(i)->text(c);
        rows << cells.join(u'|');
    }
    return rows;
}

// The stored date `days` from today, with a two-digit year or none.
std::string storedDay(int days, const char *year = "  ")
{
    return QDate::currentDate().addDays(days).toString("dd-MM-").toStdString() + year;
}

} // namespace

class TestBirthdaysWindow : public QObject
{
    Q_OBJECT

    TestFolder m_folder;
    QProcess m_bus;
    QString m_address;

    // A notification daemon on the private bus, logging the calls it gets.
    struct Daemon {
        QProcess process;
        QString log;
    };
    void startDaemon(Daemon &d, const QString &capabilities)
    {
        d.log = m_folder.dir->filePath("notifications.log");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DBUS_SESSION_BUS_ADDRESS", m_address);
        d.process.setProcessEnvironment(env);
        d.process.start("/usr/bin/python3",
                        {"-m", "dbusmock", "--template", "notification_daemon", "-l", d.log, "-p",
                         QStringLiteral("{\"capabilities\": \"%1\"}").arg(capabilities)});
        QVERIFY(d.process.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(QDBusConnection::sessionBus().interface()->isServiceRegistered(
                                     "org.freedesktop.Notifications"),
                                 20000);
    }
    static QString logOf(const Daemon &d) { return QString::fromUtf8(readFile(d.log)); }
    static void stopDaemon(Daemon &d)
    {
        d.process.terminate();
        d.process.waitForFinished(10000);
        QTRY_VERIFY_WITH_TIMEOUT(!QDBusConnection::sessionBus().interface()->isServiceRegistered(
                                     "org.freedesktop.Notifications"),
                                 10000);
    }

private slots:
    void initTestCase()
    {
        // A session bus of the test's own, before anything asks for one.
        m_bus.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        QVERIFY(m_bus.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(m_bus.canReadLine(), 10000);
        m_address = QString::fromUtf8(m_bus.readLine()).trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
        QVERIFY(QDBusConnection::sessionBus().isConnected());
    }
    void cleanupTestCase()
    {
        m_bus.terminate();
        m_bus.waitForFinished(10000);
    }
    void init() { m_folder.enter(); }
    void cleanup() { m_folder.leave(); }

    void rowsAndSpan_data()
    {
        QTest::addColumn<Language>("language");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("summary");
        QTest::newRow("English")
            << Language::English
            << QStringList{"Monday 7 December|today|Zoé Dupont|turns 41",
                           "Tuesday 8 December|tomorrow|Paul|",
                           "Sunday 3 January|in 27 days|Martin|"}
            << "3 birthday(s). Double-click or press Enter to see the contact.";
        QTest::newRow("French") << Language::French
                                << QStringList{"lundi 7 décembre|aujourd'hui|Zoé Dupont|41 ans",
                                               "mardi 8 décembre|demain|Paul|",
                                               "dimanche 3 janvier|dans 27 jours|Martin|"}
                                << "3 anniversaire(s). Double-cliquez ou appuyez sur Entrée pour "
                                   "voir le contact.";
    }
    void rowsAndSpan()
    {
        QFETCH(Language, language);
        QFETCH(QStringList, rows);
        QFETCH(QString, summary);
        ContactList list;
        list.InsertNode(1, contact("Martin", "", {{Field::Birth, "03-01-  "}}));
        list.InsertNode(2, contact("Dupont", "Zo\xE9", {{Field::Birth, "07-12-85"}}));
        list.InsertNode(3, contact("", "Paul", {{Field::Birth, "08-12-  "}}));
        list.InsertNode(4, contact("Far", "", {{Field::Birth, "01-06-  "}}));
        const QDate today(2026, 12, 7);
        BirthdaysWindow w([&](int days) { return interop::upcomingBirthdays(list, today, days); },
                          language);
        QCOMPARE(w.spnDays->value(), 30);
        QCOMPARE(rowTexts(w.lstBirthdays), rows);
        QCOMPARE(w.lblSummary->text(), summary);
        for (QWidget *named :
             {static_cast<QWidget *>(w.spnDays), static_cast<QWidget *>(w.lstBirthdays)})
            QVERIFY(!named->accessibleName().isEmpty());
        w.spnDays->setValue(1);
        QCOMPARE(rowTexts(w.lstBirthdays), rows.mid(0, 2));
        w.spnDays->setValue(366);
        QCOMPARE(w.lstBirthdays->topLevelItemCount(), 4);
    }

    // From the list's menu to the form: the contact chosen is the one shown.
    void chosenContactIsShown()
    {
        QVERIFY(writeDataFile({person("Adams", "Ann"),
                               contact("Zola", "Emile", {{Field::Birth, storedDay(2, "40")}}),
                               contact("Brun", "Lea", {{Field::Birth, storedDay(0)}})}));
        auto w = startWindow();
        QCOMPARE(w->txtLastName->text(), QStringLiteral("Adams"));
        QWidget *viewport = w->lstList->viewport();
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                viewport->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(viewport, &event);
        QMenu *menu = nullptr;
        QTRY_VERIFY((menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())));
        QAction *open = menu->findChild<QAction *>("actBirthdays");
        QVERIFY(open && open->isEnabled());
        QCOMPARE(open->text(), QStringLiteral("Birthdays..."));
        open->trigger();
        menu->close();
        BirthdaysWindow *b = nullptr;
        QTRY_VERIFY((b = w->findChild<BirthdaysWindow *>()) && b->isVisible());
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(b->lstBirthdays->topLevelItemCount(), 2);
        // By keyboard: down to the second row (Zola), Enter.
        b->lstBirthdays->setFocus();
        QTest::keyClick(b->lstBirthdays, Qt::Key_Down);
        QVERIFY(b->lstBirthdays->currentItem()->text(2).contains("Zola"));
        QTest::keyClick(b->lstBirthdays, Qt::Key_Return);
        QTRY_COMPARE(w->txtLastName->text(), QStringLiteral("Zola"));
        QCOMPARE(w->listModel().at(w->selectedRow()).record, 2);
        QCOMPARE(w->shownRow(), w->selectedRow());
        QVERIFY(b->isVisible());
        QVERIFY(m_folder.watcher->boxes.isEmpty());
    }

    void reminder_data()
    {
        QTest::addColumn<bool>("turnedOn");
        QTest::addColumn<QString>("capabilities");
        QTest::addColumn<QString>("expected"); // in the daemon's log; empty: no call
        QTest::newRow("told, names escaped for markup") << true << "body body-markup"
                                                        << "Today: Lea A&amp;B &lt;i&gt;";
        QTest::newRow("told, plain text as it is")
            << true << "body"
            << "Today: Lea A&B <i>, turns 12\nTomorrow: Emile Zola";
        QTest::newRow("turned off") << false << "body" << QString();
    }
    void reminder()
    {
        QFETCH(bool, turnedOn);
        QFETCH(QString, capabilities);
        QFETCH(QString, expected);
        Daemon daemon;
        startDaemon(daemon, capabilities);
        QVERIFY(writeDataFile({contact("A&B <i>", "Lea", {{Field::Birth, storedDay(0, "14")}}),
                               contact("Zola", "Emile", {{Field::Birth, storedDay(1)}}),
                               contact("Later", "", {{Field::Birth, storedDay(2)}})}));
        auto w = startWindow();
        w->state().ProgramSettings.BirthdayReminder = turnedOn;
        QCOMPARE(w->remindOfBirthdays(), turnedOn);
        if (turnedOn) {
            QTRY_VERIFY_WITH_TIMEOUT(logOf(daemon).contains("Notify"), 10000);
            QVERIFY2(logOf(daemon).contains(expected), qPrintable(logOf(daemon)));
            QVERIFY(!logOf(daemon).contains("Later"));
            QCOMPARE(logOf(daemon).count("Notify"), 1);
        } else {
            // A call of our own, behind anything the window would have sent.
            QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
                "org.freedesktop.Notifications", "/org/freedesktop/Notifications",
                "org.freedesktop.Notifications", "GetServerInformation"));
            QTRY_VERIFY(logOf(daemon).contains("GetServerInformation"));
            QVERIFY(!logOf(daemon).contains("GetCapabilities"));
            QVERIFY(!logOf(daemon).contains("Notify"));
        }
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(m_folder.watcher->boxes.isEmpty());
        stopDaemon(daemon);
    }

    // Without a service the reminder is asked for and nothing comes of it;
    // without a birthday it is not asked for.
    void noServiceNoBox()
    {
        QVERIFY(writeDataFile({contact("Brun", "Lea", {{Field::Birth, storedDay(0)}})}));
        auto w = startWindow();
        QVERIFY(w->remindOfBirthdays());
        auto *reminder = w->findChild<BirthdayReminder *>();
        QVERIFY(reminder);
        QSignalSpy told(reminder, &BirthdayReminder::done);
        QVERIFY(told.wait(10000));
        QCOMPARE(told.at(0).at(0).toBool(), true);
        // Its failed call has been answered once ours, sent after it, is.
        const QDBusMessage answer =
            QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
                "org.freedesktop.Notifications", "/org/freedesktop/Notifications",
                "org.freedesktop.Notifications", "GetCapabilities"));
        QCOMPARE(answer.type(), QDBusMessage::ErrorMessage);
        QCoreApplication::processEvents();
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(m_folder.watcher->boxes.isEmpty());

        const ContactList none;
        auto *nothing = new BirthdayReminder(none, QDate::currentDate(), Language::English,
                                             QDBusConnection::sessionBus(), w.get());
        QSignalSpy quiet(nothing, &BirthdayReminder::done);
        QVERIFY(quiet.wait(10000));
        QCOMPARE(quiet.at(0).at(0).toBool(), false);
    }
};

VCQ_WINDOW_TEST_MAIN(TestBirthdaysWindow)
#include "tst_birthdays_window.moc"
