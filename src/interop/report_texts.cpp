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

} // namespace vcq::interop
