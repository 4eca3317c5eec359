// SPDX-License-Identifier: GPL-3.0-or-later
// The duplicates window over the main window's open file: groups listed with
// their reasons, a value picked with the keyboard, Merge checked on the data
// file's bytes and the list, "Not duplicates" remembered beside the file, and
// both languages.
#include "window_fixture.h"

#include "mainwin/duplicates_window.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

#include <sys/stat.h>

using namespace testutil;
using vcq::DuplicatesWindow;

class TestDuplicatesWindow : public QObject
{
    Q_OBJECT
    TestFolder m_folder;

private slots:
    void init() { m_folder.enter(); }
    void cleanup() { m_folder.leave(); }

    void mergeAndSetApart()
    {
        const ContactRecord cote = contact(
            "C\xF4t\xE9", "\xC9milie", {{Field::Phone1, "01 23 45 67 89"}, {Field::City, "Paris"}});
        const ContactRecord other = contact("COTE", "emilie",
                                            {{Field::Phone1, "+33 1 23 45 67 89"},
                                             {Field::Email, "e@x.fr"},
                                             {Field::City, "Lyon"}});
        QVERIFY(writeDataFile({cote, other, contact("Martin", "Paul", {{Field::Email, "E@X.FR"}}),
                               contact("Dumont", "Bob")}));
        auto w = startWindow();
        bool ran = false;
        m_folder.watcher.reset(); // this test answers its windows itself
        const auto okNextBox = [] {
            return vcq::test::onNextModal<QMessageBox>([](QMessageBox *box) {
                for (QAbstractButton *b : box->buttons())
                    if (plainButtonText(b) == "OK")
                        b->click();
            });
        };
        const auto answer = vcq::test::onNextModal<DuplicatesWindow>([&](DuplicatesWindow *d) {
            QTRY_COMPARE(d->lstGroups->count(), 2);
            QCOMPARE(d->lstGroups->item(0)->text(),
                     "certain: same name and home phone - Côté Émilie (2)");
            QCOMPARE(d->lstGroups->item(1)->text(),
                     "possible: different names, same e-mail - Côté Émilie (3)");
            QCOMPARE(d->lstGroups->currentRow(), 0);
            QTableWidget *t = d->tblFields;
            QCOMPARE(t->columnCount(), 3); // #1, #2, the result
            const int city = int(Field::City), email = int(Field::Email),
                      remarks = int(Field::Comment);
            QCOMPARE(t->item(email, 2)->text(), "e@x.fr");
            QCOMPARE(t->item(city, 0)->checkState(), Qt::Checked);
            // Lyon picked with the keyboard: Paris goes to the remarks.
            t->setFocus();
            t->setCurrentCell(city, 1);
            QTest::keyClick(t, Qt::Key_Space);
            QCOMPARE(t->item(city, 1)->checkState(), Qt::Checked);
            QCOMPARE(t->item(city, 0)->checkState(), Qt::Unchecked);
            QCOMPARE(t->item(city, 2)->text(), "Lyon");
            QCOMPARE(t->item(remarks, 2)->text(), "Also: Paris");

            const auto ok = okNextBox();
            d->btnMerge->click();
            QVERIFY(*ok);
            QTRY_COMPARE(d->lstGroups->count(), 1);
            QVERIFY(d->lstGroups->item(0)->text().startsWith("possible:"));

            d->ChooseLanguage(vcq::Language::French);
            QCOMPARE(d->windowTitle(), "Rechercher les doublons");
            QCOMPARE(d->lstGroups->item(0)->text(),
                     "possible: noms différents, même courriel - Côté Émilie (2)");
            QCOMPARE(d->btnNotDuplicates->accessibleName(), "Pas des doublons");
            d->btnNotDuplicates->click();
            QTRY_COMPARE(d->lstGroups->count(), 0);
            QCOMPARE(d->lblStatus->text(), "Aucun doublon trouvé.");
            QVERIFY(!d->btnMerge->isEnabled());
            ran = true;
            d->btnClose->click();
        });
        w->openDuplicates();
        QVERIFY(ran);

        const ContactRecord merged = recordAt(1);
        QCOMPARE(merged.get(Field::LastName), "C\xF4t\xE9");
        QCOMPARE(merged.get(Field::City), "Lyon");
        QCOMPARE(merged.get(Field::Email), "e@x.fr");
        QCOMPARE(merged.get(Field::Comment), "Also: Paris");
        QVERIFY(recordAt(2).isTombstone());
        QCOMPARE(listTexts(*w),
                 (QStringList{"C\u00f4t\u00e9 \u00c9milie", "Dumont Bob", "Martin Paul"}));
        QCOMPARE(readFile("VCQ97.NAM.notduplicates"), "1.0 3.0\n");

        // The merge is one step: undone, both contacts are back as they were.
        QCOMPARE(w->undoHistory().nextUndo()->kind, vcq::StepKind::Merge);
        QCOMPARE(w->undoHistory().nextUndo()->contacts, std::size_t(2));
        w->UndoClick();
        QCOMPARE(recordAt(1), cote);
        QCOMPARE(recordAt(2), other);
        QCOMPARE(listTexts(*w).size(), 4);
        struct stat st {
        };
        QCOMPARE(::stat("VCQ97.NAM.notduplicates", &st), 0);
        QCOMPARE(st.st_mode & 0777, 0600u);
    }
};

QTEST_MAIN(TestDuplicatesWindow)
#include "tst_duplicates_window.moc"
