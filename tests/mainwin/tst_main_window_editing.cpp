// SPDX-License-Identifier: GPL-3.0-or-later
// The contact editing commands of the main window, driven as a user drives
// them, with the data file checked after each command.
#include "window_fixture.h"

#include "mainwin/birth_date_edit.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTextCursor>
#include <QToolButton>

using namespace testutil;
using vcq::TfrmMain;

class TestMainWindowEditing : public QObject
{
    Q_OBJECT

    TestFolder m_folder;

private slots:
    void init() { m_folder.enter(); }
    void cleanup() { m_folder.leave(); }

    void newThenSaveWithOnlyALastName()
    {
        QVERIFY(writeDataFile({contact("Zola", "Emile")}));
        auto w = startWindow();
        w->state().ProgramSettings.DefCity = "Montr\xE9"
                                             "al";
        w->state().ProgramSettings.DefState = "QC";
        w->state().ProgramSettings.DefCountry = "Canada";
        click(*w, "NewBut");
        QCOMPARE(commandStates(*w), QStringLiteral("EDE"));
        QVERIFY(w->state().AddingNew);
        QCOMPARE(w->focusWidget(), edit(*w, "txtLastName"));
        QCOMPARE(edit(*w, "txtFirstName")->text(), QString());
        QCOMPARE(edit(*w, "txtCity")->text(), QStringLiteral("Montréal"));

        QTest::keyClicks(edit(*w, "txtLastName"), QStringLiteral("Adams"));
        click(*w, "SaveBut");
        QVERIFY(m_folder.watcher->boxes.isEmpty());
        QCOMPARE(readFile().size(), 3 * 764);
        const vcq::ContactRecord saved = recordAt(2);
        QCOMPARE(saved.get(Field::LastName), std::string("Adams"));
        QCOMPARE(saved.get(Field::FirstName), std::string());
        QCOMPARE(saved.get(Field::City), std::string("Montr\xE9"
                                                     "al"));
        QCOMPARE(saved.get(Field::State), std::string("QC"));
        QCOMPARE(saved.get(Field::Country), std::string("Canada"));
        QCOMPARE(saved.get(Field::Birth), std::string("  -  -  "));
        QCOMPARE(listTexts(*w), QStringList({"Adams ", "Zola Emile"}));
        QCOMPARE(w->selectedRow(), 0);
        QCOMPARE(w->listModel().at(0).record, 2);
        QCOMPARE(commandStates(*w), QStringLiteral("EEE"));
        QVERIFY(!w->state().AddingNew);
        QVERIFY(w->lstList->isEnabled());
    }

    void newIntoAnEmptyFileEnablesTheList()
    {
        auto w = startWindow();
        click(*w, "NewBut");
        QCOMPARE(commandStates(*w), QStringLiteral("EDD"));
        typeInto(*w, "txtLastName", QStringLiteral("Lee"));
        click(*w, "SaveBut");
        QCOMPARE(commandStates(*w), QStringLiteral("EEE"));
        QVERIFY(w->lstList->isEnabled());
        QCOMPARE(listTexts(*w), QStringList({"Lee "}));
        QCOMPARE(recordAt(1).get(Field::LastName), std::string("Lee"));
    }

    void clickingAListedContactDropsTheNewOne()
    {
        QVERIFY(writeDataFile({contact("Smith", "John", {{Field::Phone1, "555-0101"}})}));
        auto w = startWindow();
        click(*w, "NewBut");
        typeInto(*w, "txtLastName", QStringLiteral("Unsaved"));
        clickEntry(*w, 0);
        QCOMPARE(edit(*w, "txtLastName")->text(), QStringLiteral("Smith"));
        QCOMPARE(edit(*w, "txtPhone1")->text(), QStringLiteral("555-0101"));
        QVERIFY(!w->state().AddingNew);
        QCOMPARE(commandStates(*w), QStringLiteral("EEE"));
        click(*w, "SaveBut");
        QCOMPARE(readFile().size(), 2 * 764);
    }

    // A field that already shows the next contact's text is left alone (no
    // change for a screen reader to hear), unless it was edited: it then
    // shows the stored text again.
    void sameTextIsLeftAloneUnlessEdited()
    {
        const std::map<Field, std::string> same{{Field::City, "Laval"},
                                                {Field::Birth, "01-02-03"},
                                                {Field::Status, "Client"},
                                                {Field::Comment, "Met in Laval"}};
        QVERIFY(writeDataFile(
            {contact("Abel", "A", same), contact("Baker", "B", same), contact("Cole", "C", same)}));
        auto w = startWindow();
        QLineEdit *city = edit(*w, "txtCity");
        QSignalSpy cityChanged(city, &QLineEdit::textChanged);
        QSignalSpy birthChanged(w->txtBirth, &QLineEdit::textChanged);
        QSignalSpy statusChanged(w->cboFilter, &QComboBox::editTextChanged);
        QSignalSpy commentChanged(w->txtComment, &QPlainTextEdit::textChanged);
        const auto noneChanged = [&] {
            return cityChanged.count() + birthChanged.count() + statusChanged.count() +
                       commentChanged.count() ==
                   0;
        };
        clickEntry(*w, 1);
        QCOMPARE(edit(*w, "txtLastName")->text(), QStringLiteral("Baker"));
        QVERIFY(noneChanged());
        // Deleting shows the neighbour in the same fields, never emptied between.
        click(*w, "TrashBut");
        QCOMPARE(edit(*w, "txtLastName")->text(), QStringLiteral("Abel"));
        QVERIFY(noneChanged());
        QCOMPARE(w->cboFilter->currentText(), QStringLiteral("Client"));

        typeInto(*w, "txtCity", QStringLiteral("Lavaltrie"));
        w->txtBirth->setFocus();
        w->txtBirth->setCursorPosition(0);
        QTest::keyClicks(w->txtBirth, QStringLiteral("9"));
        clickEntry(*w, 1);
        QCOMPARE(edit(*w, "txtLastName")->text(), QStringLiteral("Cole"));
        QCOMPARE(city->text(), QStringLiteral("Laval"));
        QCOMPARE(w->txtBirth->maskedText(), QStringLiteral("01-02-03"));
        QVERIFY(!city->isModified() && !w->txtBirth->isModified());
    }

    void quickDialFollowsThePhoneFields()
    {
        QVERIFY(writeDataFile(
            {contact("Smith", "John", {{Field::Phone1, "555-0101"}, {Field::Cell, " "}}),
             contact("Adams", "Ann")}));
        auto w = startWindow();
        // "Adams Ann" is shown first: no number, no quick dial.
        for (const char *dial : {"cmdDial1", "cmdDial2", "cmdDial3", "cmdDial4"})
            QVERIFY2(!button(*w, dial)->isEnabled(), dial);
        clickEntry(*w, 1);
        QVERIFY(button(*w, "cmdDial1")->isEnabled());
        QVERIFY(!button(*w, "cmdDial2")->isEnabled());
        QVERIFY(!button(*w, "cmdDial3")->isEnabled());
        QVERIFY(button(*w, "cmdDial4")->isEnabled()); // a blank is a number to the dialer
        typeInto(*w, "txtPhone2", QStringLiteral("7"));
        QVERIFY(button(*w, "cmdDial2")->isEnabled());
        click(*w, "NewBut");
        for (const char *dial : {"cmdDial1", "cmdDial2", "cmdDial3", "cmdDial4"})
            QVERIFY2(!button(*w, dial)->isEnabled(), dial);
    }

    void lastNameRefused_data()
    {
        QTest::addColumn<QString>("lastName");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << "" << 0 << "The last name is required !";
        QTest::newRow("blanks") << "   " << 0 << "The last name is required !";
        QTest::newRow("blanks, French") << "  " << 1 << "Le nom est requis !";
        QTest::newRow("reserved") << "@~" << 0 << "This last name is reserved !";
        QTest::newRow("reserved in blanks") << "  @~ " << 0 << "This last name is reserved !";
        QTest::newRow("reserved, French") << "@~" << 1 << "Ce nom est réservé !";
    }
    void lastNameRefused()
    {
        QFETCH(QString, lastName);
        QFETCH(int, language);
        QVERIFY(writeDataFile({contact("Smith", "John")}));
        auto w = startWindow();
        w->ChooseLanguage(vcq::languageFromCode(language));
        const QByteArray before = readFile();
        for (bool adding : {true, false}) {
            if (adding)
                click(*w, "NewBut");
            else
                clickEntry(*w, 0);
            edit(*w, "txtLastName")->setText(lastName);
            const QString states = commandStates(*w);
            click(*w, "SaveBut");
            QCOMPARE(m_folder.watcher->boxes.size(), 1);
            QTEST(m_folder.watcher->boxes.takeFirst().text, "message");
            QCOMPARE(readFile(), before);
            QCOMPARE(listTexts(*w), QStringList({"Smith John"}));
            QCOMPARE(commandStates(*w), states);
            QCOMPARE(w->state().AddingNew, adding);
        }
    }

    void leadingBlanksAreKept()
    {
        QVERIFY(writeDataFile({contact("Baker", "Al")}));
        auto w = startWindow();
        click(*w, "NewBut");
        typeInto(*w, "txtLastName", QStringLiteral("  Zed"));
        click(*w, "SaveBut");
        QCOMPARE(recordAt(2).get(Field::LastName), std::string("  Zed"));
        QVERIFY(listTexts(*w).contains(QStringLiteral("  Zed ")));
    }

    void savingKeepsOrMovesTheEntry()
    {
        QVERIFY(writeDataFile(
            {contact("Adams", "Ann"), contact("Miller", "Max"), contact("Young", "Yves")}));
        auto w = startWindow();
        // Only the phone changes: the entry stays where it is, still selected.
        clickEntry(*w, 1);
        typeInto(*w, "txtPhone2", QStringLiteral("555-0199"));
        click(*w, "SaveBut");
        QCOMPARE(listTexts(*w), QStringList({"Adams Ann", "Miller Max", "Young Yves"}));
        QCOMPARE(w->selectedRow(), 1);
        QCOMPARE(recordAt(2).get(Field::Phone2), std::string("555-0199"));

        // The last name changes: the entry moves to its new place and is selected there.
        clickEntry(*w, 0);
        typeInto(*w, "txtLastName", QStringLiteral("Zimmer"));
        click(*w, "SaveBut");
        QCOMPARE(listTexts(*w), QStringList({"Miller Max", "Young Yves", "Zimmer Ann"}));
        QCOMPARE(w->selectedRow(), 2);
        QCOMPARE(w->listModel().at(2).record, 1);
        QCOMPARE(recordAt(1).get(Field::LastName), std::string("Zimmer"));
        QCOMPARE(readFile().size(), 4 * 764);
        QCOMPARE(edit(*w, "txtLastName")->text(), QStringLiteral("Zimmer"));
        QCOMPARE(commandStates(*w), QStringLiteral("EEE"));
        // The moved entry still shows its own contact.
        clickEntry(*w, 0);
        clickEntry(*w, 2);
        QCOMPARE(edit(*w, "txtFirstName")->text(), QStringLiteral("Ann"));
    }

    void deleteSelectsTheNeighbour_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("tombstone");
        QTest::newRow("first") << 0 << QStringList({"Brown Bo", "Clark Cy"}) << 0 << 3;
        QTest::newRow("middle") << 1 << QStringList({"Adams Al", "Clark Cy"}) << 0 << 1;
        QTest::newRow("last") << 2 << QStringList({"Adams Al", "Brown Bo"}) << 1 << 2;
    }
    void deleteSelectsTheNeighbour()
    {
        QFETCH(int, row);
        QFETCH(int, selected);
        QFETCH(int, tombstone);
        QVERIFY(writeDataFile(
            {contact("Brown", "Bo"), contact("Clark", "Cy"), contact("Adams", "Al")}));
        auto w = startWindow();
        clickEntry(*w, row);
        const QString shown = listTexts(*w)[row];
        // The list's current entry moves once, straight to the one shown next.
        QSignalSpy moves(w->lstList->selectionModel(), &QItemSelectionModel::currentChanged);
        click(*w, "TrashBut");
        QCOMPARE(moves.count(), 1);
        QCOMPARE(m_folder.watcher->boxes.size(), 1);
        const SeenBox question = m_folder.watcher->boxes[0];
        QCOMPARE(question.title, QStringLiteral("Confirm"));
        QCOMPARE(question.text, QStringLiteral("Delete \"") + shown + u'"');
        QCOMPARE(question.buttons.size(), 2);
        QVERIFY(question.buttons.contains("OK") && question.buttons.contains("Cancel"));
        QTEST(listTexts(*w), "left");
        QCOMPARE(w->selectedRow(), selected);
        QCOMPARE(edit(*w, "txtLastName")->text() + u' ' + edit(*w, "txtFirstName")->text(),
                 listTexts(*w)[selected]);
        QCOMPARE(recordAt(tombstone), vcq::ContactRecord::tombstone());
        QCOMPARE(readFile().size(), 4 * 764);
        QCOMPARE(commandStates(*w), QStringLiteral("EEE"));

        // The freed slot is the next one taken.
        click(*w, "NewBut");
        typeInto(*w, "txtLastName", QStringLiteral("Dunn"));
        click(*w, "SaveBut");
        QCOMPARE(recordAt(tombstone).get(Field::LastName), std::string("Dunn"));
        QCOMPARE(readFile().size(), 4 * 764);
    }

    void deletingTheOnlyContact()
    {
        QVERIFY(writeDataFile({contact("Smith", "John", {{Field::City, "Laval"}})}));
        auto w = startWindow();
        click(*w, "TrashBut");
        QCOMPARE(listTexts(*w), QStringList());
        QCOMPARE(commandStates(*w), QStringLiteral("DDD"));
        QVERIFY(!w->lstList->isEnabled());
        QCOMPARE(edit(*w, "txtCity")->text(), QString());
        QCOMPARE(w->txtBirth->maskedText(), QStringLiteral("  -  -  "));
        QCOMPARE(recordAt(1), vcq::ContactRecord::tombstone());
        // Save and Delete are inert now.
        click(*w, "SaveBut");
        click(*w, "TrashBut");
        QCOMPARE(m_folder.watcher->boxes.size(), 1);
    }

    void cancelInTheDeleteQuestion()
    {
        QVERIFY(writeDataFile({contact("Smith", "John"), contact("Doe", "Jane")}));
        auto w = startWindow();
        w->ChooseLanguage(vcq::Language::French);
        const QByteArray before = readFile();
        m_folder.watcher->answers << QStringLiteral("Cancel");
        click(*w, "TrashBut");
        QCOMPARE(m_folder.watcher->boxes.size(), 1);
        QCOMPARE(m_folder.watcher->boxes[0].text, QStringLiteral("Supprimer \"Doe Jane\""));
        QCOMPARE(readFile(), before);
        QCOMPARE(listTexts(*w), QStringList({"Doe Jane", "Smith John"}));
        QCOMPARE(edit(*w, "txtFirstName")->text(), QStringLiteral("Jane"));
        QCOMPARE(commandStates(*w), QStringLiteral("EEE"));
    }

    void sameNameContactsEachKeepTheirOwn()
    {
        QVERIFY(writeDataFile({contact("Smith", "John", {{Field::Phone1, "111"}}),
                               contact("Smith", "John", {{Field::Phone1, "222"}})}));
        auto w = startWindow();
        QCOMPARE(listTexts(*w), QStringList({"Smith John", "Smith John"}));
        QStringList phones;
        for (int row : {0, 1}) {
            clickEntry(*w, row);
            phones << edit(*w, "txtPhone1")->text();
        }
        phones.sort();
        QCOMPARE(phones, QStringList({"111", "222"}));

        // Change the one holding 111; the other record stays as it was.
        const int row111 = w->listModel().at(0).record == 1 ? 0 : 1;
        clickEntry(*w, row111);
        typeInto(*w, "txtPhone1", QStringLiteral("333"));
        click(*w, "SaveBut");
        QCOMPARE(recordAt(1).get(Field::Phone1), std::string("333"));
        QCOMPARE(recordAt(2).get(Field::Phone1), std::string("222"));

        // Delete the other; the changed one is left and shown.
        clickEntry(*w, 1 - row111);
        QCOMPARE(edit(*w, "txtPhone1")->text(), QStringLiteral("222"));
        click(*w, "TrashBut");
        QCOMPARE(recordAt(2), vcq::ContactRecord::tombstone());
        QCOMPARE(recordAt(1).get(Field::Phone1), std::string("333"));
        QCOMPARE(listTexts(*w), QStringList({"Smith John"}));
        QCOMPARE(edit(*w, "txtPhone1")->text(), QStringLiteral("333"));
    }

    void aWholesaleChangeKeepsTheSelection()
    {
        QVERIFY(
            writeDataFile({contact("Baker", "B"), contact("Adams", "A"), contact("Clark", "C")}));
        auto w = startWindow();
        clickEntry(*w, 2);
        QCOMPARE(edit(*w, "txtLastName")->text(), QStringLiteral("Clark"));
        w->contactsChangedInStore();
        QCOMPARE(w->selectedRow(), 2);
        QCOMPARE(w->listModel().at(2).record, 3);
        QCOMPARE(edit(*w, "txtLastName")->text(), QStringLiteral("Clark"));
        QCOMPARE(commandStates(*w), QStringLiteral("EEE"));

        // A new contact being typed is left alone.
        click(*w, "NewBut");
        typeInto(*w, "txtLastName", QStringLiteral("Typing"));
        w->contactsChangedInStore();
        QCOMPARE(edit(*w, "txtLastName")->text(), QStringLiteral("Typing"));
        QVERIFY(w->state().AddingNew);
        QCOMPARE(commandStates(*w), QStringLiteral("EDE"));

        // With no contact left, the commands that need one are off.
        for (int i = 0; i < 3; ++i) {
            clickEntry(*w, 0);
            w->RemoveItem(true);
        }
        w->contactsChangedInStore();
        QCOMPARE(commandStates(*w), QStringLiteral("DDD"));
        QVERIFY(!w->lstList->isEnabled());
    }

    void everyFieldAndByteRoundTrips()
    {
        std::string allBytes;
        for (int b = 1; b < 256; ++b)
            if (b != '\r' && b != '\n')
                allBytes += static_cast<char>(b);
        const vcq::ContactRecord original = contact("Gr\xFC\xDF"
                                                    "e\x80\x81\x8D\x8F\x90\x9D",
                                                    "\xC9lo\xEFse",
                                                    {{Field::Organisation, allBytes.substr(0, 50)},
                                                     {Field::Address1, allBytes.substr(50, 60)},
                                                     {Field::City, allBytes.substr(110, 30)},
                                                     {Field::Zip, "H2X 1Y4"},
                                                     {Field::State, allBytes.substr(140, 30)},
                                                     {Field::Country, allBytes.substr(170, 30)},
                                                     {Field::Phone1, allBytes.substr(200, 30)},
                                                     {Field::Phone2, allBytes.substr(230, 23)},
                                                     {Field::Cell, "cell"},
                                                     {Field::Phone3, "fax"},
                                                     {Field::Email, "a@b.c"},
                                                     {Field::Comment, "line one\r\nline two"},
                                                     {Field::Birth, "1 -05-97"},
                                                     {Field::Status, "Ami"}});
        QVERIFY(writeDataFile({original}));
        auto w = startWindow();
        click(*w, "SaveBut");
        const vcq::ContactRecord saved = recordAt(1);
        for (Field f : vcq::kContactFields)
            QCOMPARE(QByteArray::fromStdString(saved.get(f)),
                     QByteArray::fromStdString(original.get(f)));
        QCOMPARE(w->txtComment->toPlainText(), QStringLiteral("line one\nline two"));

        // The remarks hold 200 bytes, a line break counting as CR LF.
        w->txtComment->clear();
        w->txtComment->setFocus();
        QTest::keyClicks(w->txtComment, QString(99, u'a'));
        QTest::keyClick(w->txtComment, Qt::Key_Return);
        QTest::keyClicks(w->txtComment, QString(150, u'b'));
        click(*w, "SaveBut");
        QCOMPARE(recordAt(1).get(Field::Comment),
                 std::string(99, 'a') + "\r\n" + std::string(99, 'b'));
    }

    void everyByteSurvivesShowAndSave()
    {
        // One contact for each byte value, the byte in every field, beside what
        // the controls show otherwise than stored: line ends of each kind and a
        // no-break space in the remarks, lower case in the postal code, a date
        // the mask cannot show.
        std::vector<vcq::ContactRecord> records;
        for (int b = 0; b < 256; ++b) {
            const std::string c(1, static_cast<char>(b));
            vcq::ContactRecord r;
            for (Field f : vcq::kContactFields)
                r.set(f, c + "x" + c);
            r.set(Field::LastName, "L" + std::to_string(b) + c);
            r.set(Field::Zip, "h" + c + "2x");
            r.set(Field::Comment, "A\rB\nC\r\nD" + c + "\xA0!" + c + "\r");
            r.set(Field::Birth, c + "2-05-97");
            r.set(Field::Status, c + "Ami" + c);
            records.push_back(r);
        }
        QVERIFY(writeDataFile(records));
        auto w = startWindow();
        QCOMPARE(w->listModel().count(), 256);
        for (int row = 0; row < 256; ++row) {
            w->lstList->setCurrentIndex(w->lstList->model()->index(row, 0));
            click(*w, "SaveBut");
            const int number = w->listModel().at(row).record;
            const vcq::ContactRecord &original = records[static_cast<std::size_t>(number - 1)];
            const vcq::ContactRecord saved = recordAt(number);
            for (Field f : vcq::kContactFields)
                QVERIFY2(saved.get(f) == original.get(f),
                         qPrintable(QStringLiteral("byte %1, field %2: %3")
                                        .arg(number - 1)
                                        .arg(static_cast<int>(f))
                                        .arg(QString::fromLatin1(
                                            QByteArray::fromStdString(saved.get(f)).toHex(' ')))));
            QCOMPARE(bytesOf(saved), bytesOf(original));
        }
    }

    void onlyWhatIsEditedChanges()
    {
        QVERIFY(writeDataFile({contact("Smith", "John",
                                       {{Field::Zip, "h2x 1y4"},
                                        {Field::Comment, "Un\xA0!\rDeux\nTrois"},
                                        {Field::Birth, "ab-cd-ef"}})}));
        auto w = startWindow();
        QCOMPARE(edit(*w, "txtZip")->text(), QStringLiteral("H2X 1Y4"));
        // Typed at the end of the postal code and of the remarks: a letter, a
        // new line and a no-break space.
        QLineEdit *zip = edit(*w, "txtZip");
        zip->setFocus();
        zip->end(false);
        QTest::keyClicks(zip, QStringLiteral("z"));
        w->txtComment->setFocus();
        w->txtComment->moveCursor(QTextCursor::End);
        QTest::keyClicks(w->txtComment, QStringLiteral("X"));
        QTest::keyClick(w->txtComment, Qt::Key_Return);
        QTest::sendKeyEvent(QTest::Click, w->txtComment, Qt::Key_unknown, QString(QChar(0xA0)),
                            Qt::NoModifier);
        click(*w, "SaveBut");
        const vcq::ContactRecord saved = recordAt(1);
        QCOMPARE(QByteArray::fromStdString(saved.get(Field::Zip)), QByteArray("h2x 1y4Z"));
        QCOMPARE(QByteArray::fromStdString(saved.get(Field::Comment)),
                 QByteArray("Un\xA0!\rDeux\nTroisX\r\n\xA0"));
        QCOMPARE(QByteArray::fromStdString(saved.get(Field::Birth)), QByteArray("ab-cd-ef"));

        // Deleting the first line end joins the lines and keeps the others.
        w->txtComment->moveCursor(QTextCursor::Start);
        w->txtComment->moveCursor(QTextCursor::EndOfBlock);
        QTest::keyClick(w->txtComment, Qt::Key_Delete);
        click(*w, "SaveBut");
        QCOMPARE(QByteArray::fromStdString(recordAt(1).get(Field::Comment)),
                 QByteArray("Un\xA0!Deux\nTroisX\r\n\xA0"));

        // A date typed over the one the mask could not show is taken whole.
        w->txtBirth->setFocus();
        w->txtBirth->setCursorPosition(6);
        QTest::keyClicks(w->txtBirth, QStringLiteral("84"));
        click(*w, "SaveBut");
        QCOMPARE(QByteArray::fromStdString(recordAt(1).get(Field::Birth)), QByteArray("  -  -84"));
    }

    void statusListFollowsTheLanguage()
    {
        QFile filter(QStringLiteral("Filter.txt"));
        QVERIFY(filter.open(QIODevice::WriteOnly));
        filter.write("Famille,Family\r\n\r\nAmi,Friend\r\nTravail,Business,Work\r\nClient\r\n");
        filter.close();
        auto w = startWindow();
        QComboBox *cbo = w->cboFilter;
        auto items = [cbo] {
            QStringList l;
            for (int i = 0; i < cbo->count(); ++i)
                l << cbo->itemText(i);
            return l;
        };
        QCOMPARE(items(), QStringList({"Business,Work", "Client", "Family", "Friend"}));
        cbo->setCurrentIndex(2);
        w->ChooseLanguage(vcq::Language::French);
        QCOMPARE(items(), QStringList({"", "Ami", "Famille", "Travail"}));
        // The index is kept, not the status.
        QCOMPARE(cbo->currentIndex(), 2);
        QCOMPARE(cbo->currentText(), QStringLiteral("Famille"));

        // A status typed freely is not an item: a change of language clears it.
        cbo->setFocus();
        cbo->lineEdit()->selectAll();
        QTest::keyClicks(cbo->lineEdit(), QStringLiteral("Voisin"));
        w->ChooseLanguage(vcq::Language::English);
        QCOMPARE(cbo->currentIndex(), -1);
        QCOMPARE(cbo->currentText(), QString());
    }

    void statusIsSavedAsItsText()
    {
        QFile filter(QStringLiteral("Filter.txt"));
        QVERIFY(filter.open(QIODevice::WriteOnly));
        filter.write("Ami,Friend\n");
        filter.close();
        QVERIFY(writeDataFile({contact("Smith", "John", {{Field::Status, "Old status"}})}));
        auto w = startWindow();
        QCOMPARE(w->cboFilter->currentText(), QStringLiteral("Old status"));
        w->cboFilter->setCurrentIndex(0);
        click(*w, "SaveBut");
        QCOMPARE(recordAt(1).get(Field::Status), std::string("Friend"));
    }

    void longStatusesShowWhole()
    {
        QFile filter(QStringLiteral("Filter.txt"));
        QVERIFY(filter.open(QIODevice::WriteOnly));
        filter.write("Fournisseur,Supplier of raw materials and of spare parts\n"
                     "Grossiste,Supplier of raw goods\nAmi,Friend\n");
        filter.close();
        auto w = startWindow();
        QComboBox *cbo = w->cboFilter;
        QStringList items;
        for (int i = 0; i < cbo->count(); ++i)
            items << cbo->itemText(i);
        QCOMPARE(items, QStringList({"Friend", "Supplier of raw goods",
                                     "Supplier of raw materials and of spare parts"}));

        // The open list shows each item's whole text.
        cbo->showPopup();
        QAbstractItemView *view = cbo->view();
        QTRY_VERIFY(view->isVisible());
        for (int i = 0; i < cbo->count(); ++i) {
            const QModelIndex index = view->model()->index(i, 0);
            QVERIFY2(view->sizeHintForIndex(index).width() <= view->viewport()->width(),
                     qPrintable(cbo->itemText(i)));
        }
        cbo->hidePopup();

        // The field holds 15 characters: a chosen long item is saved by its beginning.
        cbo->setCurrentIndex(2);
        QCOMPARE(cbo->currentText(), QStringLiteral("Supplier of raw"));
        click(*w, "NewBut");
        typeInto(*w, "txtLastName", QStringLiteral("Smith"));
        cbo->setCurrentIndex(2);
        click(*w, "SaveBut");
        QCOMPARE(recordAt(1).get(Field::Status), std::string("Supplier of raw"));
        // Typed text stops at 15 characters.
        cbo->setFocus();
        cbo->lineEdit()->selectAll();
        QTest::keyClicks(cbo->lineEdit(), QStringLiteral("Supplier of raw materials"));
        QCOMPARE(cbo->currentText(), QStringLiteral("Supplier of raw"));

        // A long item stays selected by its place across a change of language.
        cbo->setCurrentIndex(1);
        w->ChooseLanguage(vcq::Language::French);
        QCOMPARE(cbo->currentIndex(), 1);
        QCOMPARE(cbo->itemText(1), QStringLiteral("Fournisseur"));
    }

    void postalCodeIsUpperCase()
    {
        auto w = startWindow();
        click(*w, "NewBut");
        typeInto(*w, "txtZip", QStringLiteral("h2x 1y4"));
        edit(*w, "txtZip")->insert(QStringLiteral("é")); // as pasted
        QCOMPARE(edit(*w, "txtZip")->text(), QStringLiteral("H2X 1Y4É"));
    }

    void birthDateMask()
    {
        QVERIFY(writeDataFile({contact("Smith", "John", {{Field::Birth, "12-05-97"}})}));
        auto w = startWindow();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        vcq::BirthDateEdit *birth = w->txtBirth;
        QCOMPARE(birth->maskedText(), QStringLiteral("12-05-97"));

        // Leaving with the year missing is refused with the field's message.
        birth->setFocus();
        birth->selectAll();
        QTest::keyClick(birth, Qt::Key_Delete);
        QTest::keyClicks(birth, QStringLiteral("0101"));
        QCOMPARE(birth->maskedText(), QStringLiteral("01-01-  "));
        QTest::mouseClick(edit(*w, "txtEmail"), Qt::LeftButton);
        QTRY_COMPARE(m_folder.watcher->boxes.size(), 1);
        QCOMPARE(m_folder.watcher->boxes[0].text,
                 QStringLiteral("Invalid input value.  Use escape key to abandon changes"));
        QTRY_COMPARE(w->focusWidget(), birth);
        QCOMPARE(m_folder.watcher->boxes.size(), 1);

        // Escape abandons the changes; then the field can be left.
        QTest::keyClick(birth, Qt::Key_Escape);
        QCOMPARE(birth->maskedText(), QStringLiteral("12-05-97"));
        QTest::keyClick(birth, Qt::Key_Tab);
        QVERIFY(w->focusWidget() != birth);

        // Only the year is required; a complete date is stored with its dashes.
        birth->setFocus();
        birth->selectAll();
        QTest::keyClick(birth, Qt::Key_Delete);
        birth->setCursorPosition(6);
        QTest::keyClicks(birth, QStringLiteral("84"));
        QCOMPARE(birth->maskedText(), QStringLiteral("  -  -84"));
        QVERIFY(birth->fitsMask());
        click(*w, "SaveBut");
        QCOMPARE(recordAt(1).get(Field::Birth), std::string("  -  -84"));
        QCOMPARE(m_folder.watcher->boxes.size(), 1);
    }
};

VCQ_WINDOW_TEST_MAIN(TestMainWindowEditing)
#include "tst_main_window_editing.moc"
