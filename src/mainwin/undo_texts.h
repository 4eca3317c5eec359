// SPDX-License-Identifier: GPL-3.0-or-later
// The texts of undo, redo and the bin of deleted contacts in the main window,
// in French and English: the list menu's entries, the messages, and the
// "Deleted contacts..." window.
#pragma once

#include "core/language.h"
#include "store/contact_bin.h"
#include "store/undo_history.h"

#include <QString>

#include <optional>

namespace vcq
{

// "Undo deletion of Smith John" / "Annuler la suppression de Smith John";
// "Undo" / "Annuler" alone when there is nothing to undo.
QString undoEntryText(const std::optional<StepSummary> &step, Language language);
// "Redo ..." / "Rétablir ...".
QString redoEntryText(const std::optional<StepSummary> &step, Language language);
// How a contact came into the bin, as the "Deleted contacts..." window says it.
QString deletedHowText(DeletedHow how, Language language);

struct UndoTexts {
    QString menuDeletedContacts;
    QString fileChangedOutside; // the history was cleared
    QString leftAlone;          // %1: how many contacts
    QString unsavedForm;
    QString binTitle, binDate, binName, binHow, binEmptyNow;
    QString restore, emptyBin, close, confirmEmpty;
};

const UndoTexts &undoTexts(Language language);

} // namespace vcq
