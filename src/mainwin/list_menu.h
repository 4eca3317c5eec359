// SPDX-License-Identifier: GPL-3.0-or-later
// The contact list's context menu, built in this one place: every entry in a
// fixed order, greyed (never hidden) with the reason as its tooltip when it
// cannot act. A later entry is a new ListCommand, a line in
// listMenuEntries() and a case in the window's dispatch.
#pragma once

#include "core/language.h"
#include "store/undo_history.h"

#include <QKeySequence>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QMenu;

namespace vcq
{

// In menu order.
enum class ListCommand {
    ImportContacts,
    ExportAll,
    ExportThis,
    SyncNow,
    Undo,
    Redo,
    DeletedContacts,
    Search,
    Birthdays,
    FindDuplicates
};

// What the entries depend on, as the window sees it when the menu opens.
struct ListMenuState {
    bool fileOpen = false;
    bool hasContacts = false;
    // The form shows a stored contact (not a new one, not nothing).
    bool showsStoredContact = false;
    // Why a sync cannot run now; empty when it can.
    QString syncNotReady;
    // The steps Undo and Redo would take back or make again; none: greyed.
    std::optional<StepSummary> nextUndo, nextRedo;
};

struct ListMenuEntry {
    ListCommand command = ListCommand::ImportContacts;
    bool separatorBefore = false;
    QString objectName;
    QString text;
    bool enabled = false;
    QString reason;        // why it is greyed
    QKeySequence shortcut; // shown beside the text
    friend bool operator==(const ListMenuEntry &, const ListMenuEntry &) = default;
};

std::vector<ListMenuEntry> listMenuEntries(const ListMenuState &state, Language language);

// Fills `menu` with the entries; `run` receives the chosen command once the
// menu has closed, so that no dialog opens inside it.
void fillListMenu(QMenu *menu, const std::vector<ListMenuEntry> &entries, QObject *context,
                  std::function<void(ListCommand)> run);

// "No server is set up: see Options, ..." in the language.
QString syncNotSetUpText(Language language);

} // namespace vcq
