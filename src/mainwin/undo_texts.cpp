// SPDX-License-Identifier: GPL-3.0-or-later
#include "undo_texts.h"

#include "core/cp1252.h"

namespace vcq
{

namespace
{

// The step in words, after "Undo " or "Redo ": its kind and what it touched.
QString stepWords(const StepSummary &step, Language language)
{
    // A menu entry reads "&" as the mark of its shortcut letter.
    const QString name = fromCp1252(step.name).trimmed().replace(u'&', QStringLiteral("&&"));
    const QString count = QString::number(step.contacts);
    switch (step.kind) {
    case StepKind::Save:
        return TextPair{"l'enregistrement de %1", "save of %1"}.in(language).arg(name);
    case StepKind::Add:
        return TextPair{"l'ajout de %1", "addition of %1"}.in(language).arg(name);
    case StepKind::Delete:
        return TextPair{"la suppression de %1", "deletion of %1"}.in(language).arg(name);
    case StepKind::Import:
        return TextPair{"l'importation (%1 contacts)", "import (%1 contacts)"}.in(language).arg(
            count);
    case StepKind::Sync:
        return TextPair{"la synchronisation (%1 contacts)", "sync (%1 contacts)"}.in(language).arg(
            count);
    case StepKind::Merge:
        return TextPair{"la fusion (%1 contacts)", "merge (%1 contacts)"}.in(language).arg(count);
    case StepKind::Restore:
        return TextPair{"la restauration (%1 contacts)", "restore (%1 contacts)"}.in(language).arg(
            count);
    }
    return {};
}

} // namespace

QString undoEntryText(const std::optional<StepSummary> &step, Language language)
{
    const QString verb = TextPair{"Annuler", "Undo"}.in(language);
    return step ? verb + u' ' + stepWords(*step, language) : verb;
}

QString redoEntryText(const std::optional<StepSummary> &step, Language language)
{
    const QString verb = TextPair{"Rétablir", "Redo"}.in(language);
    return step ? verb + u' ' + stepWords(*step, language) : verb;
}

QString deletedHowText(DeletedHow how, Language language)
{
    switch (how) {
    case DeletedHow::AddUndone:
        return TextPair{"ajout annulé", "addition undone"}.in(language);
    case DeletedHow::Synced:
        return TextPair{"supprimé par la synchronisation", "deleted by sync"}.in(language);
    case DeletedHow::Undone:
        return TextPair{"annulé", "undone"}.in(language);
    case DeletedHow::Deleted:
        break;
    }
    return TextPair{"supprimé", "deleted"}.in(language);
}

const UndoTexts &undoTexts(Language language)
{
    static const auto make = [](Language l) {
        UndoTexts t;
        t.menuDeletedContacts = TextPair{"Contacts supprimés...", "Deleted contacts..."}.in(l);
        t.fileChangedOutside =
            TextPair{"Le fichier de données a été modifié par un autre programme : les "
                     "changements faits jusqu'ici ne peuvent plus être annulés.",
                     "The data file was changed by another program: the changes made so far "
                     "can no longer be undone."}
                .in(l);
        t.leftAlone = TextPair{"%1 contact(s) modifié(s) depuis ont été laissés tels quels.",
                               "%1 contact(s) changed since were left as they are."}
                          .in(l);
        t.unsavedForm = TextPair{"Enregistrez ou annulez d'abord les changements du formulaire.",
                                 "Save or undo the changes in the form first."}
                            .in(l);
        t.binTitle = TextPair{"Contacts supprimés", "Deleted contacts"}.in(l);
        t.binDate = TextPair{"Supprimé le", "Deleted on"}.in(l);
        t.binName = TextPair{"Nom", "Name"}.in(l);
        t.binHow = TextPair{"Comment", "How"}.in(l);
        t.binEmptyNow = TextPair{"La corbeille est vide.", "The bin is empty."}.in(l);
        t.restore = TextPair{"&Restaurer", "&Restore"}.in(l);
        t.emptyBin = TextPair{"&Vider la corbeille", "&Empty the bin"}.in(l);
        t.close = TextPair{"&Fermer", "&Close"}.in(l);
        t.confirmEmpty = TextPair{"Supprimer définitivement les %1 contacts de la corbeille ?",
                                  "Delete the %1 contacts in the bin for good?"}
                             .in(l);
        return t;
    };
    static const UndoTexts french = make(Language::French), english = make(Language::English);
    return language == Language::French ? french : english;
}

} // namespace vcq
