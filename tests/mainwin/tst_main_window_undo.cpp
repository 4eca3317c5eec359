// SPDX-License-Identifier: GPL-3.0-or-later
// Undo, redo and the bin in the main window, driven by keys and clicks, with
// the data file's bytes, the list and the selection checked after each.
#include "window_fixture.h"

#include "mainwin/deleted_contacts_dialog.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>

using namespace testutil;
using vcq::TfrmMain;

class TestMainWindowUndo : public QObject
{
    Q_OBJECT

    TestFolder m_folder;

    static QLineEdit *edit(TfrmMain &w, const char *name)
    {
        return w.findChild<QLineEdit *>(QString::fromLatin1(name));
    }
    static void click(TfrmMain &w, const char *name)
    {
        QTest::mouseClick(button(w, name), Qt::LeftButton);
    }
    static void clickEntry(TfrmMain &w, int row)
    {
        const QRect rect = w.lstList->visualRect(w.lstList->model()->index(row, 0));
        QTest::mouseClick(w.lstList->viewport(), Qt::LeftButton, {}, rect.center());
    }
    static void typeInto(TfrmMain &w, const char *name, const QString &text)
    {
        QLineEdit *e = edit(w, name);
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, text);
    }
    // A key as the user presses it on the focused widget, through the shortcut override.
    static void press(QWidget *on, Qt::Key key, Qt::KeyboardModifiers mods)
    {
        on->setFocus();
        QTest::keyClick(on, key, mods);
    }
    static QString shownName(TfrmMain &w)
    {
        return edit(w, "txtLastName")->text() + u' ' + edit(w, "txtFirstName")->text();
    }
    static QAction *menuAction(QMenu *menu, const char *name)
    {
        return menu->findChild<QAction *>(QString::fromLatin1(name));
    }

private slots:
    void init() { m_folder.enter(); }
    void cleanup() { m_folder.leave(); }

    void eachCommandUndoneAndRedone_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("undoText");
        QTest::addColumn<QString>("selectedAfterUndo");
        QTest::newRow("save") << "save"
                              << "Undo save of Zorn Bo"
                              << "Brown Bo";
        // The added contact goes: its neighbour above is selected, as after a Delete.
        QTest::newRow("add") << "add"
                             << "Undo addition of Dunn"
                             << "Clark Cy";
        QTest::newRow("delete") << "delete"
                                << "Undo deletion of Brown Bo"
                                << "Brown Bo";
    }
    void eachCommandUndoneAndRedone()
    {
        QFETCH(QString, command);
        QVERIFY(writeDataFile({contact("Brown", "Bo"), contact("Clark", "Cy"),
                               contact("Adams", "Al"), vcq::ContactRecord::tombstone()}));
        auto w = startWindow();
        clickEntry(*w, 1); // Brown Bo
        const QByteArray before = readFile();
        const QStringList listBefore = listTexts(*w);
        if (command == "save") {
            typeInto(*w, "txtLastName", "Zorn");
            click(*w, "SaveBut");
        } else if (command == "add") {
            click(*w, "NewBut");
            typeInto(*w, "txtLastName", "Dunn");
            click(*w, "SaveBut");
        } else {
            click(*w, "TrashBut");
        }
        const QByteArray after = readFile();
        const QStringList listAfter = listTexts(*w);
        QVERIFY(after != before);
        std::unique_ptr<QMenu> menu(w->createListMenu(w.get()));
        QTEST(menuAction(menu.get(), "actUndo")->text(), "undoText");
        QVERIFY(menuAction(menu.get(), "actUndo")->isEnabled());
        QVERIFY(!menuAction(menu.get(), "actRedo")->isEnabled());

        press(w->lstList, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(readFile(), before);
        QCOMPARE(listTexts(*w), listBefore);
        QTEST(listTexts(*w).value(w->selectedRow()), "selectedAfterUndo");
        QCOMPARE(shownName(*w), listTexts(*w).value(w->selectedRow()));

        press(w->lstList, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(readFile(), after);
        QCOMPARE(listTexts(*w), listAfter);
        QCOMPARE(shownName(*w), listTexts(*w).value(w->selectedRow()));
        // Ctrl+Shift+Z redoes as well; nothing is left to redo here.
        press(w->lstList, Qt::Key_Z, Qt::ControlModifier);
        press(w->lstList, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(readFile(), after);
        QVERIFY(m_folder.watcher->boxes.size() <= 1); // only Delete's question
    }

    void aFieldWithUnsavedTypingKeepsTheKeys()
    {
        QVERIFY(writeDataFile({contact("Brown", "Bo"), contact("Clark", "Cy")}));
        auto w = startWindow();
        clickEntry(*w, 0);
        typeInto(*w, "txtFirstName", "Bob");
        click(*w, "SaveBut");
        const QByteArray saved = readFile();
        typeInto(*w, "txtFirstName", "Robert");
        press(edit(*w, "txtFirstName"), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(edit(*w, "txtFirstName")->text(), QStringLiteral("Bob")); // the field's undo
        QCOMPARE(readFile(), saved);
        // Nothing unsaved left in the form: the key now undoes the Save.
        press(edit(*w, "txtFirstName"), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(recordAt(1), contact("Brown", "Bo"));
        QCOMPARE(edit(*w, "txtFirstName")->text(), QStringLiteral("Bo"));
    }

    void menuTextsAndGreyedEntries()
    {
        QVERIFY(writeDataFile({contact("Brown", "B&o")}));
        auto w = startWindow();
        w->state().ProgramSettings.Language = 1;
        w->ChooseLanguage(vcq::Language::French);
        std::unique_ptr<QMenu> menu(w->createListMenu(w.get()));
        QCOMPARE(menuAction(menu.get(), "actUndo")->text(), QStringLiteral("Annuler"));
        QVERIFY(!menuAction(menu.get(), "actUndo")->isEnabled());
        QCOMPARE(menuAction(menu.get(), "actDeletedContacts")->text(),
                 QStringLiteral("Contacts supprimés..."));
        click(*w, "TrashBut");
        press(w->lstList, Qt::Key_Z, Qt::ControlModifier);
        menu.reset(w->createListMenu(w.get()));
        QCOMPARE(menuAction(menu.get(), "actRedo")->text(),
                 QStringLiteral("Rétablir la suppression de Brown B&&o"));
        QVERIFY(menuAction(menu.get(), "actRedo")->isEnabled());
    }

    void anImportIsOneStep()
    {
        QVERIFY(writeDataFile({contact("Brown", "Bo")}));
        QFile vcf("in.vcf");
        QVERIFY(vcf.open(QIODevice::WriteOnly));
        for (int i = 0; i < 50; ++i)
            vcf.write(QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Card%1;Ann;;;\r\nFN:Ann "
                                     "Card%1\r\nEND:VCARD\r\n")
                          .arg(i)
                          .toLatin1());
        vcf.close();
        auto w = startWindow();
        const QByteArray before = readFile();
        w->importContacts({"in.vcf"}, false);
        QCOMPARE(w->listModel().count(), 51);
        QCOMPARE(w->undoHistory().nextUndo()->kind, vcq::StepKind::Import);
        w->UndoClick();
        QCOMPARE(listTexts(*w), QStringList{"Brown Bo"});
        QCOMPARE(readFile().left(2 * 764), before); // the rest are tombstones
        QCOMPARE(readFile().size(), 52 * 764);
        QCOMPARE(recordAt(51), vcq::ContactRecord::tombstone());
        w->RedoClick();
        QCOMPARE(w->listModel().count(), 51);
    }

    void deletedContactsWindowRestores()
    {
        QVERIFY(writeDataFile({contact("Brown", "Bo"), contact("Clark", "Cy")}));
        auto w = startWindow();
        const QByteArray before = readFile();
        clickEntry(*w, 0);
        click(*w, "TrashBut");
        clickEntry(*w, 0);
        click(*w, "TrashBut");
        QStringList seen;
        m_folder.watcher->onDialog = [&](QDialog *d) {
            auto *bin = qobject_cast<vcq::DeletedContactsDialog *>(d);
            QVERIFY(bin);
            seen << bin->lstDeleted->topLevelItem(0)->text(1);
            // Enter on the list restores the chosen contact, and only it.
            QTest::keyClick(bin->lstDeleted, Qt::Key_Return);
            seen << bin->lstDeleted->topLevelItem(0)->text(1);
            bin->btnRestore->click();
            seen << bin->lstDeleted->topLevelItem(0)->text(1);
        };
        w->DeletedContactsClick();
        QCOMPARE(seen, QStringList({"Clark Cy", "Brown Bo", "The bin is empty."}));
        QCOMPARE(readFile(), before); // back in its own slot, byte for byte
        QCOMPARE(shownName(*w), QStringLiteral("Brown Bo"));
        QCOMPARE(w->undoHistory().nextUndo()->kind, vcq::StepKind::Restore);
    }

    void anotherProgramsWriteClearsTheHistory()
    {
        QVERIFY(writeDataFile({contact("Brown", "Bo"), contact("Clark", "Cy")}));
        auto w = startWindow();
        click(*w, "TrashBut");
        QVERIFY(writeDataFile({contact("Other", "Program")}));
        const QByteArray theirs = readFile();
        press(w->lstList, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(readFile(), theirs);
        QCOMPARE(m_folder.watcher->boxes.size(), 2);
        QVERIFY(m_folder.watcher->boxes[1].text.contains("changed by another program"));
        press(w->lstList, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m_folder.watcher->boxes.size(), 2); // told once
    }
};

VCQ_WINDOW_TEST_MAIN(TestMainWindowUndo)
#include "tst_main_window_undo.moc"
