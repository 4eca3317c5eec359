// SPDX-License-Identifier: GPL-3.0-or-later
// The search over the contact list as a user types it: the list narrows,
// Escape brings it back with the form's contact selected, and the commands
// keep their rules on a narrowed list.
#include "mainwin/contact_search.h"
#include "window_fixture.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

using namespace testutil;
using vcq::TfrmMain;

class TestMainWindowSearch : public QObject
{
    Q_OBJECT

    TestFolder m_folder;

    static QLineEdit *field(TfrmMain &w) { return w.search().field(); }
    static void find(TfrmMain &w, const QString &text)
    {
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_F, Qt::ControlModifier);
        QTRY_VERIFY(field(w)->hasFocus());
        field(w)->selectAll();
        QTest::keyClicks(field(w), text);
    }
    // The data file with four contacts: two namesakes of accents and one
    // whose phone is written with punctuation.
    static void fourContacts()
    {
        QVERIFY(writeDataFile({person("C\xF4t\xE9", "\xC9milie"), person("Baker", "Bob"),
                               contact("Cote", "Ann", {{Field::Phone1, "418-555-0188"}}),
                               person("Adams", "Al")}));
    }

private slots:
    void init() { m_folder.enter(); }
    void cleanup() { m_folder.leave(); }

    void typingNarrowsAndEscapeRestores()
    {
        fourContacts();
        auto w = startWindow();
        const QStringList all = listTexts(*w);
        const QRect place = w->lstList->geometry();
        find(*w, "cote");
        QTRY_COMPARE(listTexts(*w), QStringList({"Cote Ann", "Côté Émilie"}));
        QCOMPARE(w->search().countText(), QStringLiteral("2 contacts"));
        // The list gives up the field's height only.
        QCOMPARE(w->lstList->geometry().bottom(), place.bottom());
        QVERIFY(w->lstList->geometry().top() > field(*w)->geometry().bottom());
        // The form still shows Adams, who is not among them: nothing selected.
        QCOMPARE(edit(*w, "txtLastName")->text(), QStringLiteral("Adams"));
        QCOMPARE(w->selectedRow(), -1);

        QTest::keyClick(field(*w), Qt::Key_Return); // the first match is shown
        QCOMPARE(edit(*w, "txtFirstName")->text(), QStringLiteral("Ann"));
        field(*w)->selectAll();
        QTest::keyClicks(field(*w), "5550188");
        QTRY_COMPARE(listTexts(*w), QStringList({"Cote Ann"}));
        QCOMPARE(w->selectedRow(), 0);
        QTest::keyClicks(field(*w), "9");
        QTRY_COMPARE(w->search().countText(), QStringLiteral("No contact"));

        QTest::keyClick(field(*w), Qt::Key_Escape);
        QVERIFY(!field(*w)->isVisible());
        QCOMPARE(listTexts(*w), all);
        QCOMPARE(w->lstList->geometry(), place);
        QCOMPARE(w->listModel().at(w->selectedRow()).text, QStringLiteral("Cote Ann"));
    }

    // A contact saved so that it no longer matches stays until the text
    // changes; Delete of the last one shown leaves nothing to act on.
    void commandsOnANarrowedList()
    {
        fourContacts();
        const QByteArray before = readFile();
        auto w = startWindow();
        find(*w, "baker");
        QTRY_COMPARE(listTexts(*w), QStringList({"Baker Bob"}));
        QTest::keyClick(field(*w), Qt::Key_Down);
        QCOMPARE(edit(*w, "txtLastName")->text(), QStringLiteral("Baker"));
        typeInto(*w, "txtLastName", "Zed");
        click(*w, "SaveBut");
        QCOMPARE(listTexts(*w), QStringList({"Zed Bob"}));
        QCOMPARE(recordAt(2).get(Field::LastName), std::string("Zed"));

        // Added while narrowed: shown too, and saved where New puts it.
        click(*w, "NewBut");
        typeInto(*w, "txtLastName", "Young");
        click(*w, "SaveBut");
        QCOMPARE(listTexts(*w), QStringList({"Young ", "Zed Bob"}));

        find(*w, "zed");
        QTRY_COMPARE(listTexts(*w), QStringList({"Zed Bob"}));
        clickEntry(*w, 0);
        click(*w, "TrashBut");
        QCOMPARE(listTexts(*w), QStringList());
        QCOMPARE(commandStates(*w), QStringLiteral("DDE"));
        QCOMPARE(recordAt(2), vcq::ContactRecord::tombstone());
        QCOMPARE(readFile().size(), before.size() + 764);
    }

    void frenchAndTheMenu()
    {
        fourContacts();
        auto w = startWindow();
        std::unique_ptr<QMenu> menu(w->createListMenu(w.get()));
        QAction *entry = menu->findChild<QAction *>("actSearch");
        QVERIFY(entry && entry->isEnabled());
        QCOMPARE(entry->text(), QStringLiteral("Search..."));
        w->ChooseLanguage(vcq::Language::French);
        entry->trigger(); // runs once the menu has closed
        QTRY_VERIFY(field(*w)->isVisible());
        QCOMPARE(field(*w)->placeholderText(), QStringLiteral("Rechercher"));
        QTest::keyClicks(field(*w), "zzz");
        QTRY_COMPARE(w->search().countText(), QStringLiteral("Aucun contact"));
    }

    // With no search open, the list's own type-ahead is what it was.
    void typeAheadWithoutSearch()
    {
        fourContacts();
        auto w = startWindow();
        w->lstList->setFocus();
        QTest::keyClicks(w->lstList, "ba");
        QCOMPARE(edit(*w, "txtLastName")->text(), QStringLiteral("Baker"));
        QVERIFY(!field(*w)->isVisible());
    }
};

VCQ_WINDOW_TEST_MAIN(TestMainWindowSearch)
#include "tst_main_window_search.moc"
