// SPDX-License-Identifier: GPL-3.0-or-later
// The contact a command acts on is the contact the form shows: after a key
// moves the highlight, a change from outside the form (a sync renaming or
// removing contacts, an import adding one above), with and without unsaved
// typing, Save and Delete still act on the contact the form shows, and the
// highlight is on it.
#include "window_fixture.h"

#include <QLineEdit>

using namespace testutil;

namespace
{

enum class Change { KeyDown, RenameShown, RemoveShown, AddAbove, AddAboveWhileTyping };

} // namespace

class TestShownContact : public QObject
{
    Q_OBJECT
    TestFolder m_folder;

private slots:
    void init() { m_folder.enter(); }
    void cleanup() { m_folder.leave(); }

    void commandsFollowTheForm_data()
    {
        QTest::addColumn<int>("change");
        QTest::addColumn<QString>("shownAfter");     // the last name the form shows
        QTest::addColumn<QStringList>("savedNames"); // last names in file order after Save
        QTest::newRow("key down") << int(Change::KeyDown) << "Carter"
                                  << QStringList{"Baker", "Carter", "Zed"};
        QTest::newRow("sync renames the shown contact")
            << int(Change::RenameShown) << "Boyle" << QStringList{"Boyle", "Carter", "Zed"};
        QTest::newRow("sync removes the shown contact")
            << int(Change::RemoveShown) << "Carter" << QStringList{"@~", "Carter", "Zed"};
        QTest::newRow("import adds a contact above")
            << int(Change::AddAbove) << "Baker" << QStringList{"Baker", "Carter", "Zed", "Abel"};
        QTest::newRow("import adds above while the user types")
            << int(Change::AddAboveWhileTyping) << "Baker"
            << QStringList{"Baker", "Carter", "Zed", "Abel"};
    }
    void commandsFollowTheForm()
    {
        QFETCH(int, change);
        QFETCH(QString, shownAfter);
        QFETCH(QStringList, savedNames);
        QVERIFY(writeDataFile({person("Baker", "Bob"), person("Carter", "Cy"), person("Zed")}));
        auto w = startWindow();
        QCOMPARE(w->txtLastName->text(), QString("Baker"));
        const bool typing = Change(change) == Change::AddAboveWhileTyping;
        if (typing)
            w->txtCity->setText("Typed");
        switch (Change(change)) {
        case Change::KeyDown:
            w->lstList->setFocus();
            QTest::keyClick(w->lstList, Qt::Key_Down);
            break;
        case Change::RenameShown:
        case Change::RemoveShown:
            // As a sync does: through the window, on the open store.
            QVERIFY(w->changeStore([&](vcq::ContactStore &store, const std::string &) {
                if (Change(change) == Change::RenameShown)
                    store.rewrite(1, person("Boyle", "Bob"));
                else
                    store.remove(1);
            }));
            break;
        case Change::AddAbove:
        case Change::AddAboveWhileTyping: {
            QFile card("above.vcf");
            QVERIFY(card.open(QIODevice::WriteOnly));
            card.write("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Abel;Al;;;\r\nEND:VCARD\r\n");
            card.close();
            w->importContacts({QDir::current().filePath("above.vcf")}, false);
            break;
        }
        }
        QCOMPARE(w->txtLastName->text(), shownAfter);
        QCOMPARE(w->txtCity->text(), typing ? QString("Typed") : QString());
        // The highlight is on the contact the form shows.
        QVERIFY(w->shownRecord() > 0);
        QCOMPARE(w->selectedRow(), w->shownRow());
        QCOMPARE(w->listModel().at(w->selectedRow()).text.section(u' ', 0, 0), shownAfter);

        w->txtFirstName->setText("Saved");
        QTest::mouseClick(button(*w, "SaveBut"), Qt::LeftButton);
        QStringList names;
        for (int n = 1; n <= savedNames.size(); ++n) {
            const ContactRecord r = recordAt(n);
            names << QString::fromStdString(r.get(Field::LastName));
            if (names.last() == shownAfter)
                QCOMPARE(r.get(Field::FirstName), std::string("Saved"));
        }
        QCOMPARE(names, savedNames);
        QCOMPARE(recordAt(savedNames.size() + 1).get(Field::LastName), std::string());
    }

    // A click on the blank part of the list keeps the shown contact selected,
    // so Save and Delete still act on it.
    void blankClickKeepsTheSelection()
    {
        QVERIFY(writeDataFile({person("Baker", "Bob"), person("Carter", "Cy")}));
        auto w = startWindow();
        QWidget *viewport = w->lstList->viewport();
        for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton}) {
            QTest::mouseClick(viewport, b, {}, QPoint(20, viewport->height() - 5));
            QCOMPARE(w->selectedRow(), 0);
        }
        m_folder.watcher->answers << "OK";
        QTest::mouseClick(button(*w, "TrashBut"), Qt::LeftButton);
        QCOMPARE(m_folder.watcher->boxes.value(0).text, QString("Delete \"Baker Bob\""));
        QCOMPARE(recordAt(1).get(Field::LastName), std::string("@~"));
        QCOMPARE(w->txtLastName->text(), QString("Carter"));
    }
};

VCQ_WINDOW_TEST_MAIN(TestShownContact)
#include "tst_shown_contact.moc"
