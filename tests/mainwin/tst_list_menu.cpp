// SPDX-License-Identifier: GPL-3.0-or-later
// The contact list's one context menu, on the window as the program assembles
// it (sync included): its entries in their fixed order, in both languages,
// greyed with a reason rather than hidden, with and without contacts, with
// and without sync set up, opened by the mouse and by the keyboard.
#include "window_fixture.h"

#include "mainwin/start_up.h"
#include "mainwin/sync_window.h"
#include "settings/reg_app.h"
#include "sync/sync_settings.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QRegularExpression>

using namespace testutil;

namespace
{

struct Seen {
    QStringList texts; // "-" for a separator, "(greyed)" after a greyed entry
    QStringList tips;  // the tooltips of the greyed entries
};

// Opens the menu as the mouse or the keyboard does and reads it.
Seen openMenu(vcq::TfrmMain &w, QContextMenuEvent::Reason reason)
{
    QWidget *target = reason == QContextMenuEvent::Mouse ? w.lstList->viewport() : w.lstList;
    if (!w.lstList->isEnabled())
        target = &w; // an empty list is disabled: the window takes the click
    const QPoint at = target == &w ? w.lstList->geometry().center() : QPoint(5, 5);
    QContextMenuEvent event(reason, at, target->mapToGlobal(at));
    QApplication::sendEvent(target, &event);
    Seen seen;
    QMenu *menu = nullptr;
    if (!QTest::qWaitFor([&] {
            return (menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) != nullptr;
        }))
        return seen;
    for (const QAction *a : menu->actions()) {
        if (a->isSeparator()) {
            seen.texts << QStringLiteral("-");
            continue;
        }
        seen.texts << a->text() + (a->isEnabled() ? QString() : QStringLiteral(" (greyed)"));
        if (!a->isEnabled())
            seen.tips << a->toolTip();
    }
    menu->close();
    return seen;
}

} // namespace

class TestListMenu : public QObject
{
    Q_OBJECT
    TestFolder m_folder;

private slots:
    void init() { m_folder.enter(); }
    void cleanup() { m_folder.leave(); }

    void entriesInOrder_data()
    {
        QTest::addColumn<bool>("french");
        QTest::addColumn<bool>("contacts");
        QTest::addColumn<bool>("syncSetUp");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("tips");
        const QString noSync = "No server is set up: see Options, page \"Synchronisation\".";
        QTest::newRow("English, contacts, no sync")
            << false << true << false
            << QStringList{"Import contacts...",
                           "Export all contacts...",
                           "Export this contact...",
                           "-",
                           "Synchronise now (greyed)",
                           "-",
                           "Undo (greyed)",
                           "Redo (greyed)",
                           "Deleted contacts..."}
            << QStringList{noSync, "Nothing to undo.", "Nothing to redo."};
        QTest::newRow("English, contacts, sync")
            << false << true << true
            << QStringList{"Import contacts...",     "Export all contacts...",
                           "Export this contact...", "-",
                           "Synchronise now",        "-",
                           "Undo (greyed)",          "Redo (greyed)",
                           "Deleted contacts..."}
            << QStringList{"Nothing to undo.", "Nothing to redo."};
        QTest::newRow("English, empty, sync")
            << false << false << true
            << QStringList{"Import contacts...",
                           "Export all contacts... (greyed)",
                           "Export this contact... (greyed)",
                           "-",
                           "Synchronise now",
                           "-",
                           "Undo (greyed)",
                           "Redo (greyed)",
                           "Deleted contacts..."}
            << QStringList{"There is no contact to export.", "No stored contact is shown.",
                           "Nothing to undo.", "Nothing to redo."};
        QTest::newRow("French, contacts, no sync")
            << true << true << false
            << QStringList{"Importer des contacts...",
                           "Exporter tous les contacts...",
                           "Exporter ce contact...",
                           "-",
                           "Synchroniser maintenant (greyed)",
                           "-",
                           "Annuler (greyed)",
                           "Rétablir (greyed)",
                           "Contacts supprimés..."}
            << QStringList{"Aucun serveur n'est configuré : voyez Options, page "
                           "« Synchronisation ».",
                           "Rien à annuler.", "Rien à rétablir."};
        QTest::newRow("French, empty, no sync")
            << true << false << false
            << QStringList{"Importer des contacts...",
                           "Exporter tous les contacts... (greyed)",
                           "Exporter ce contact... (greyed)",
                           "-",
                           "Synchroniser maintenant (greyed)",
                           "-",
                           "Annuler (greyed)",
                           "Rétablir (greyed)",
                           "Contacts supprimés..."}
            << QStringList{"Aucun contact à exporter.", "Aucun contact enregistré n'est affiché.",
                           "Aucun serveur n'est configuré : voyez Options, page "
                           "« Synchronisation ».",
                           "Rien à annuler.", "Rien à rétablir."};
    }
    void entriesInOrder()
    {
        QFETCH(bool, french);
        QFETCH(bool, contacts);
        QFETCH(bool, syncSetUp);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, tips);
        // After the sync entry; then the finding entries before the undo ones.
        const int sync = int(texts.indexOf(QRegularExpression("Synchroni.*")));
        texts.insert(sync + 1,
                     QString(french ? "Rechercher les doublons..." : "Find duplicates...") +
                         (contacts ? "" : " (greyed)"));
        const int undo = int(texts.indexOf(QRegularExpression("(Undo|Annuler).*")));
        const QStringList finding = {"-", french ? "Rechercher..." : "Search...",
                                     french ? "Anniversaires..." : "Birthdays..."};
        for (int i = 0; i < finding.size(); ++i)
            texts.insert(undo - 1 + i, finding[i]);
        if (!contacts)
            tips.insert(int(tips.indexOf(QRegularExpression("(Rien|Nothing).*"))),
                        french ? "La liste est vide." : "The list is empty.");
        QVERIFY(writeDataFile(contacts ? std::vector{person("Adams", "Ann"), person("Baker", "Bob")}
                                       : std::vector<ContactRecord>{}));
        if (syncSetUp)
            QVERIFY(vcq::sync::saveSyncSettings(
                QDir::current().filePath(kDataFile),
                {"http://127.0.0.1:9/", "http://127.0.0.1:9/ab/", "ann", {}, 0}));
        if (french) {
            vcq::TRegAppDefaultUserConfig reg;
            vcq::setVcqKey(reg);
            vcq::RegAppActivation activation(reg);
            reg.WriteIntegerValue("Language", 1);
        }
        vcq::ProgramWindows windows = vcq::createProgramWindows();
        windows.main->show();
        for (auto reason : {QContextMenuEvent::Mouse, QContextMenuEvent::Keyboard}) {
            const Seen seen = openMenu(*windows.main, reason);
            QCOMPARE(seen.texts, texts);
            QCOMPARE(seen.tips, tips);
        }
    }

    // After New the form holds no stored contact: "Export this contact" is
    // greyed; a contact shown again makes it act on that contact.
    void exportThisFollowsTheForm()
    {
        QVERIFY(writeDataFile({person("Adams", "Ann")}));
        vcq::ProgramWindows windows = vcq::createProgramWindows();
        vcq::TfrmMain &w = *windows.main;
        w.show();
        QVERIFY(openMenu(w, QContextMenuEvent::Mouse).texts.contains("Export this contact..."));
        QTest::mouseClick(button(w, "NewBut"), Qt::LeftButton);
        QVERIFY(openMenu(w, QContextMenuEvent::Mouse)
                    .texts.contains("Export this contact... (greyed)"));
        QCOMPARE(w.shownRecord(), -1);
    }
};

VCQ_WINDOW_TEST_MAIN(TestListMenu)
#include "tst_list_menu.moc"
