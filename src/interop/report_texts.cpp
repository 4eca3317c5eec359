// SPDX-License-Identifier: GPL-3.0-or-later
#include "report_texts.h"

namespace vcq::interop
{

namespace
{

std::string eventText(ReportEvent event, bool french)
{
    switch (event) {
    case ReportEvent::Added:
        return french ? "ajouté" : "added";
    case ReportEvent::DuplicateSkipped:
        return french ? "doublon non ajouté" : "duplicate not added";
    case ReportEvent::BrokenCard:
        return french ? "fiche illisible" : "broken card";
    case ReportEvent::Transliterated:
        return french ? "caractères remplacés" : "characters replaced";
    case ReportEvent::Cut:
        return french ? "texte tronqué" : "text cut";
    case ReportEvent::DroppedData:
        return french ? "donnée non reprise" : "data not carried";
    case ReportEvent::Failed:
        return french ? "échec" : "failed";
    case ReportEvent::Repaired:
        return french ? "lu avec une réparation" : "read with a repair";
    }
    return std::string(eventName(event));
}

} // namespace

ImportReport::Labels reportLabels(bool french)
{
    ImportReport::Labels labels;
    labels.event = [french](ReportEvent e) { return eventText(e, french); };
    labels.columns =
        french ? std::array<std::string, 5>{"Fichier", "Fiche", "Nom", "Événement", "Détail"}
               : std::array<std::string, 5>{"File", "Card", "Name", "Event", "Detail"};
    return labels;
}

std::string reportLine(const ReportRow &row, const ImportReport::Labels &labels)
{
    std::string line = row.sourceFile;
    if (row.cardNumber > 0)
        line += " #" + std::to_string(row.cardNumber);
    if (!row.contactName.empty())
        line += "  " + row.contactName;
    line += "  " + labels.event(row.event);
    if (!row.detail.empty())
        line += "  " + row.detail;
    return line;
}

namespace
{

// Fills %1, %2, ... in order.
std::string fill(std::string text, const std::vector<std::string> &values)
{
    for (std::size_t i = 0; i < values.size(); ++i) {
        // Built by insertion: "%" + std::to_string() trips a false -Wrestrict in GCC 12 at -O3.
        std::string mark = std::to_string(i + 1);
        mark.insert(0, 1, '%');
        if (const auto at = text.find(mark); at != std::string::npos)
            text.replace(at, mark.size(), values[i]);
    }
    return text;
}

std::string backupSentence(const ImportResult &result, bool french)
{
    if (result.backupPath.empty())
        return french ? "Le fichier de données n'a pas changé." : "The data file was not changed.";
    return fill(french ? "Le fichier de données d'avant l'importation est sauvegardé sous %1."
                       : "The data file as it was before the import is saved as %1.",
                {result.backupPath});
}

} // namespace

std::string importSummary(const ImportResult &result, bool french)
{
    const ImportReport &r = result.report;
    const int remarks = r.count(ReportEvent::Transliterated) + r.count(ReportEvent::Cut) +
                        r.count(ReportEvent::DroppedData);
    return fill(french ? "Contacts ajoutés : %1. Doublons non ajoutés : %2. Fiches illisibles "
                         "non ajoutées : %3. Lectures avec réparation : %4. Remarques sur les "
                         "données reprises : %5."
                       : "Contacts added: %1. Duplicates not added: %2. Broken cards not added: "
                         "%3. Read with a repair: %4. Remarks on the data carried: %5.",
                {std::to_string(result.added),
                 std::to_string(r.count(ReportEvent::DuplicateSkipped)),
                 std::to_string(r.count(ReportEvent::BrokenCard)),
                 std::to_string(r.count(ReportEvent::Repaired)), std::to_string(remarks)});
}

std::string importEnding(const ImportResult &result, const std::string &errorText, bool french)
{
    switch (result.outcome) {
    case ImportOutcome::Done:
        return {};
    case ImportOutcome::Cancelled:
        return fill(french ? "Importation annulée. Contacts ajoutés avant l'arrêt : %1."
                           : "Import cancelled. Contacts added before it stopped: %1.",
                    {std::to_string(result.added)}) +
               "\n" + backupSentence(result, french);
    case ImportOutcome::Failed:
        if (!result.failedSource.empty())
            return errorText + "\n" + (french ? "Rien n'a été importé." : "Nothing was imported.");
        return fill(french
                        ? "L'importation s'est arrêtée : %1. Contacts ajoutés avant l'arrêt : %2."
                        : "The import stopped: %1. Contacts added before it stopped: %2.",
                    {errorText, std::to_string(result.added)}) +
               "\n" + backupSentence(result, french);
    }
    return {};
}

} // namespace vcq::interop
