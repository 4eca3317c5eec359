// SPDX-License-Identifier: GPL-3.0-or-later
#include "list_menu.h"

#include "interop_texts.h"
#include "undo_texts.h"

#include <QAction>
#include <QMenu>

namespace vcq
{

QString syncNotSetUpText(Language language)
{
    return TextPair{"Aucun serveur n'est configuré : voyez Options, page « Synchronisation ».",
                    "No server is set up: see Options, page \"Synchronisation\"."}
        .in(language);
}

std::vector<ListMenuEntry> listMenuEntries(const ListMenuState &state, Language language)
{
    const InteropTexts &t = interopTexts(language);
    const QString noFile = t.noDataFile;
    const auto entry = [&](ListCommand command, const char *name, const QString &text,
                           const QString &reason) {
        return ListMenuEntry{
            command, false,         QString::fromLatin1(name), text, reason.isEmpty(),
            reason,  QKeySequence()};
    };
    std::vector<ListMenuEntry> entries;
    entries.push_back(entry(ListCommand::ImportContacts, "actImportContacts", t.menuImport,
                            state.fileOpen ? QString() : noFile));
    entries.push_back(entry(ListCommand::ExportAll, "actExportAll", t.menuExportAll,
                            !state.fileOpen      ? noFile
                            : !state.hasContacts ? t.noContactToExport
                                                 : QString()));
    entries.push_back(entry(ListCommand::ExportThis, "actExportThis", t.menuExportThis,
                            !state.fileOpen             ? noFile
                            : !state.showsStoredContact ? t.noContactShown
                                                        : QString()));
    ListMenuEntry sync = entry(ListCommand::SyncNow, "actSyncNow",
                               TextPair{"Synchroniser maintenant", "Synchronise now"}.in(language),
                               !state.fileOpen ? noFile : state.syncNotReady);
    sync.separatorBefore = true;
    entries.push_back(sync);
    entries.push_back(entry(
        ListCommand::FindDuplicates, "actFindDuplicates",
        TextPair{"Rechercher les doublons...", "Find duplicates..."}.in(language),
        !state.fileOpen      ? noFile
        : !state.hasContacts ? TextPair{"La liste est vide.", "The list is empty."}.in(language)
                             : QString()));

    // Finding and looking up come before the undo entries, which end the menu.
    ListMenuEntry search =
        entry(ListCommand::Search, "actSearch", t.menuSearch, state.fileOpen ? QString() : noFile);
    search.separatorBefore = true;
    search.shortcut = QKeySequence::Find;
    entries.push_back(search);
    entries.push_back(entry(ListCommand::Birthdays, "actBirthdays",
                            TextPair{"Anniversaires...", "Birthdays..."}.in(language),
                            state.fileOpen ? QString() : noFile));

    ListMenuEntry undo =
        entry(ListCommand::Undo, "actUndo", undoEntryText(state.nextUndo, language),
              !state.fileOpen   ? noFile
              : !state.nextUndo ? TextPair{"Rien à annuler.", "Nothing to undo."}.in(language)
                                : QString());
    undo.separatorBefore = true;
    undo.shortcut = QKeySequence(Qt::CTRL | Qt::Key_Z);
    entries.push_back(undo);
    ListMenuEntry redo =
        entry(ListCommand::Redo, "actRedo", redoEntryText(state.nextRedo, language),
              !state.fileOpen   ? noFile
              : !state.nextRedo ? TextPair{"Rien à rétablir.", "Nothing to redo."}.in(language)
                                : QString());
    redo.shortcut = QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
    entries.push_back(redo);
    entries.push_back(entry(ListCommand::DeletedContacts, "actDeletedContacts",
                            undoTexts(language).menuDeletedContacts,
                            state.fileOpen ? QString() : noFile));
    return entries;
}

void fillListMenu(QMenu *menu, const std::vector<ListMenuEntry> &entries, QObject *context,
                  std::function<void(ListCommand)> run)
{
    menu->setObjectName(QStringLiteral("mnuList"));
    // A greyed entry says why when the pointer rests on it.
    menu->setToolTipsVisible(true);
    for (const ListMenuEntry &e : entries) {
        if (e.separatorBefore)
            menu->addSeparator();
        QAction *action = menu->addAction(e.text);
        action->setObjectName(e.objectName);
        action->setEnabled(e.enabled);
        action->setShortcut(e.shortcut);
        // Without a reason of its own the tooltip would repeat the entry's text.
        action->setToolTip(e.enabled ? QString() : e.reason);
        const ListCommand command = e.command;
        QObject::connect(action, &QAction::triggered, context, [context, run, command] {
            QMetaObject::invokeMethod(
                context, [run, command] { run(command); }, Qt::QueuedConnection);
        });
    }
}

} // namespace vcq
