// SPDX-License-Identifier: GPL-3.0-or-later
#include "duplicates_command.h"

#include "data_file_access.h"
#include "duplicates/duplicate_finder.h"
#include "duplicates/duplicate_texts.h"
#include "duplicates/merge_apply.h"
#include "duplicates/not_duplicates.h"
#include "interop/backup.h"
#include "interop/csv.h"
#include "interop/transliterate.h"
#include "store/contact_snapshot.h"
#include "store/contact_store.h"
#include "sync/change_times.h"
#include "sync/merge_carry.h"

#include <QCommandLineParser>

#include <cerrno>
#include <cstring>
#include <thread>

namespace vcq::cli
{

namespace
{

using namespace vcq::duplicates;

// A field as terminal-safe UTF-8.
QString shown(const ContactRecord &r, Field f)
{
    return terminalSafe(
        QString::fromStdString(interop::cp1252ToUtf8(trimBlanksAndControls(r.view(f)))));
}

QString contactLine(const ContactRecord &r, std::int32_t number)
{
    QStringList parts{shown(r, Field::LastName) + ' ' + shown(r, Field::FirstName)};
    for (const Field f : {Field::Phone1, Field::Phone2, Field::Cell, Field::Phone3, Field::Email})
        if (!trimBlanksAndControls(r.view(f)).empty())
            parts << shown(r, f);
    return QString("  #%1  ").arg(number) + parts.join(", ");
}

QString groupTitle(const CommandContext &c, const DuplicateGroup &g)
{
    return QString::fromStdString(certaintyText(g.certainty, c.french)) + ": " +
           QString::fromStdString(reasonText(g, c.french));
}

struct Found {
    std::vector<DuplicateGroup> groups;
    std::vector<ContactRef> refs;
};

// The groups among the records; pairs the user set apart are left out.
bool findIn(const CommandContext &c, const ContactSnapshot &snapshot, Found &found)
{
    for (std::size_t n = 1; n < snapshot.recordCount(); ++n) {
        const ContactRecord &r = snapshot.record(std::int64_t(n));
        if (!r.isTombstone())
            found.refs.push_back({std::int32_t(n), &r});
    }
    std::error_code error;
    const SlotReuses reuses = readSlotReuses(c.dataFilePath, error);
    NotDuplicates apart;
    if (!error)
        apart = NotDuplicates::load(c.dataFilePath, reuses, error);
    if (error) {
        c.error(terminalSafe(QString::fromStdString(NotDuplicates::pathFor(c.dataFilePath))) +
                ": " + QString::fromStdString(error.message()));
        return false;
    }
    ProgressLine progress(c);
    FinderOptions options;
    options.notDuplicates = &apart;
    options.threads = std::max(1u, std::thread::hardware_concurrency());
    options.progress = [&](double done) {
        progress.show(c.text("Looking for duplicates: %1%", "Recherche des doublons : %1 %")
                          .arg(int(done * 100)));
        return true;
    };
    found.groups = findDuplicates(found.refs, options);
    progress.end();
    return true;
}

std::string listing(const CommandContext &c, const ContactSnapshot &snapshot,
                    const std::vector<DuplicateGroup> &groups, bool csv)
{
    std::string out;
    if (csv) {
        out = c.text("Group,Certainty,Reason,Record,", "Groupe,Certitude,Raison,Fiche,")
                  .toStdString() +
              interop::csvHeaderLine();
        for (std::size_t i = 0; i < groups.size(); ++i) {
            const DuplicateGroup &g = groups[i];
            for (const std::int32_t n : g.records) {
                out += std::to_string(i + 1) + ',' +
                       interop::csvCell(certaintyText(g.certainty, c.french)) + ',' +
                       interop::csvCell(reasonText(g, c.french)) + ',' + std::to_string(n) + ',';
                interop::appendCsvContact(out, snapshot.record(n));
            }
        }
        return out;
    }
    std::size_t certain = 0;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const DuplicateGroup &g = groups[i];
        certain += g.certainty == Certainty::Certain;
        QString text = QString("%1. ").arg(i + 1) + groupTitle(c, g) + '\n';
        for (const std::int32_t n : g.records)
            text += contactLine(snapshot.record(n), n) + '\n';
        out += text.toStdString();
    }
    out += c.text("Groups found: %1 (certain: %2, possible: %3).",
                  "Groupes trouvés : %1 (certains : %2, possibles : %3).")
               .arg(groups.size())
               .arg(certain)
               .arg(groups.size() - certain)
               .toStdString() +
           '\n';
    return out;
}

int mergeCertain(const CommandContext &c, const QString &passwordFile)
{
    if (lockedByAnotherCopy(c.dataFilePath)) {
        c.error(c.text("%1 is in use: Vellora Carnetique 97 is open on this folder. Close it and "
                       "merge again, or merge in its window.",
                       "%1 est en cours d'utilisation : Vellora Carnetique 97 est ouvert sur ce "
                       "dossier. Fermez-le et fusionnez de nouveau, ou fusionnez dans sa fenêtre.")
                    .arg(terminalSafe(QString::fromStdString(c.dataFilePath))));
        return ExitFailure;
    }
    ContactStore store;
    std::size_t merged = 0, gone = 0;
    try {
        store.open(c.dataFilePath);
        if (!accessGranted(c, store.header(), passwordFile))
            return ExitFailure;
        store.loadContacts();
        // Read after the store holds the file: nothing else writes it now.
        const ContactSnapshot snapshot =
            readSnapshot(c.dataFilePath, SnapshotAccess::Copy, SnapshotList::None);
        Found found;
        if (!findIn(c, snapshot, found))
            return ExitFailure;
        std::erase_if(found.groups,
                      [](const DuplicateGroup &g) { return g.certainty != Certainty::Certain; });
        if (found.groups.empty()) {
            c.print(c.text("No certain duplicates.", "Aucun doublon certain."));
            return ExitSuccess;
        }
        const std::string backup = interop::backupDataFile(c.dataFilePath);
        c.print(c.text("Copy of the data file before merging: %1",
                       "Copie du fichier de données avant la fusion : %1")
                    .arg(terminalSafe(QString::fromStdString(backup))));
        for (const DuplicateGroup &g : found.groups) {
            std::vector<ContactRecord> contacts;
            for (const std::int32_t n : g.records)
                contacts.push_back(snapshot.record(n));
            const auto times =
                sync::lastChangeTimes(QString::fromStdString(c.dataFilePath), g.records, contacts);
            const MergePlan plan = preselect(g.records, contacts, times);
            const MergeResult result = mergeContacts(plan, contacts, alsoLabel(c.french));
            if (applyMerge(store, plan, contacts, result.contact) != MergeOutcome::Merged)
                continue;
            ++merged;
            gone += g.records.size() - 1;
            QStringList others;
            std::vector<std::int32_t> goneRecords;
            for (std::size_t i = 0; i < g.records.size(); ++i)
                if (i != plan.keep) {
                    others << QString("#%1").arg(g.records[i]);
                    goneRecords.push_back(g.records[i]);
                }
            const int carried = sync::carryCardsIntoKept(QString::fromStdString(c.dataFilePath),
                                                         g.records[plan.keep], goneRecords);
            c.print(c.text("Merged %1 into #%2 %3 (%4).", "%1 fusionné(s) dans #%2 %3 (%4).")
                        .arg(others.join(", "))
                        .arg(g.records[plan.keep])
                        .arg(shown(result.contact, Field::LastName) + ' ' +
                             shown(result.contact, Field::FirstName))
                        .arg(QString::fromStdString(reasonText(g, c.french))));
            if (carried > 0)
                c.print(c.text("  %1 properties of the deleted cards that no field holds (photo, "
                               "links, ...) go to the server with the kept contact at its next "
                               "upload.",
                               "  %1 propriétés des fiches supprimées qu'aucun champ ne contient "
                               "(photo, liens, ...) vont au serveur avec le contact gardé à son "
                               "prochain envoi.")
                            .arg(carried));
            else if (carried < 0)
                c.error(
                    c.text("  The sync state could not be written: what the deleted cards "
                           "held beyond the fields stays only in the server's copy until the "
                           "next sync deletes them.",
                           "  L'état de synchronisation n'a pas pu être écrit : ce que les "
                           "fiches supprimées contenaient hors des champs ne reste que sur le "
                           "serveur jusqu'à ce que la prochaine synchronisation les supprime."));
            for (const LostValue &l : result.alsoKept)
                c.print(
                    c.text("  %1 %2 kept in the remarks.", "  %1 %2 gardé dans les remarques.")
                        .arg(QString::fromStdString(fieldName(l.field, c.french)))
                        .arg(terminalSafe(QString::fromStdString(interop::cp1252ToUtf8(l.value)))));
            for (const LostValue &l : result.notKept)
                c.print(
                    c.text("  %1 %2 did not fit in the remarks: not kept.",
                           "  %1 %2 n'a pas tenu dans les remarques : non gardé.")
                        .arg(QString::fromStdString(fieldName(l.field, c.french)))
                        .arg(terminalSafe(QString::fromStdString(interop::cp1252ToUtf8(l.value)))));
        }
    } catch (const StoreError &e) {
        c.error(storeErrorText(c, c.dataFilePath, e));
        if (merged > 0)
            c.error(c.text("Groups merged before the failure: %1.",
                           "Groupes fusionnés avant l'échec : %1.")
                        .arg(merged));
        return ExitFailure;
    }
    c.print(c.text("Groups merged: %1. Contacts deleted: %2.",
                   "Groupes fusionnés : %1. Contacts supprimés : %2.")
                .arg(merged)
                .arg(gone));
    return ExitRemarks;
}

int runDuplicates(const QStringList &arguments, CommandContext &c)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(c.text(
        "Lists the groups of contacts of VCQ97.NAM in the current folder that are likely the "
        "same person, each with why: certain when the names match (whatever the case, accents, "
        "or first and last name swapped) and they share a phone or the e-mail, or nothing tells "
        "them apart; possible when they share a phone or the e-mail under different names.\n"
        "Exit status: 0 none found, 1 groups listed or merged, 2 failed.",
        "Affiche les groupes de contacts de VCQ97.NAM du dossier courant qui sont "
        "probablement la même personne, chacun avec sa raison : certain quand les noms "
        "correspondent (sans égard aux majuscules, aux accents, ni à l'inversion du nom et du "
        "prénom) et qu'ils partagent un téléphone ou le courriel, ou que rien ne les distingue ; "
        "possible quand ils partagent un téléphone ou le courriel sous des noms différents.\n"
        "Code de sortie : 0 aucun trouvé, 1 groupes affichés ou fusionnés, 2 échec."));
    const QCommandLineOption help({"h", "help"}, c.text("Shows this help.", "Affiche cette aide."));
    const QCommandLineOption format(
        "format", c.text("text (the default) or csv.", "text (par défaut) ou csv."),
        c.text("FORMAT", "FORMAT"), "text");
    const QCommandLineOption merge(
        "merge-certain",
        c.text("Merges each certain group into one contact: each field keeps the value of the "
               "contact changed last where known, else of the first, or the one filled; the "
               "others' values go to the remarks (\"Also: ...\"). A copy of the data file is made "
               "first.",
               "Fusionne chaque groupe certain en un contact : chaque champ garde la valeur du "
               "contact modifié en dernier quand on le sait, sinon du premier, ou celle qui est "
               "remplie ; les valeurs des autres vont dans les remarques (« Aussi : ... »). Une "
               "copie du fichier de données est faite d'abord."));
    const QCommandLineOption passwordFile = passwordFileOption(c);
    parser.addOptions({help, format, merge, passwordFile});
    if (const auto ended = parseCommand(parser, help, arguments, c))
        return *ended;
    if (!noArguments(parser, c))
        return ExitFailure;
    const QString formatName = parser.value(format);
    if (formatName != "text" && formatName != "csv") {
        c.error(
            c.text("Unknown format \"%1\": text or csv.", "Format inconnu « %1 » : text ou csv.")
                .arg(terminalSafe(formatName)));
        return ExitFailure;
    }
    if (parser.isSet(merge))
        return mergeCertain(c, parser.value(passwordFile));

    std::string out;
    std::size_t groups = 0;
    try {
        const ContactSnapshot snapshot =
            readSnapshot(c.dataFilePath, SnapshotAccess::ShareWhenFree, SnapshotList::None);
        if (!accessGranted(c, snapshot.header, parser.value(passwordFile)))
            return ExitFailure;
        Found found;
        if (!findIn(c, snapshot, found))
            return ExitFailure;
        groups = found.groups.size();
        out = listing(c, snapshot, found.groups, formatName == "csv");
    } catch (const StoreError &e) {
        c.error(storeErrorText(c, c.dataFilePath, e));
        return ExitFailure;
    }
    if (!writeOut(c, out))
        return ExitFailure;
    return groups == 0 ? ExitSuccess : ExitRemarks;
}

} // namespace

Command duplicatesCommand()
{
    return {"duplicates", "Lists or merges contacts that are likely the same person",
            QString::fromUtf8("Affiche ou fusionne les contacts qui sont probablement la même "
                              "personne"),
            runDuplicates};
}

} // namespace vcq::cli
