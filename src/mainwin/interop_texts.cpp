// SPDX-License-Identifier: GPL-3.0-or-later
#include "interop_texts.h"

namespace vcq
{

namespace
{

InteropTexts textsIn(Language language)
{
    const auto pair = [language](TextPair p) { return p.in(language); };
    InteropTexts t;
    t.menuImport = pair({"Importer des contacts...", "Import contacts..."});
    t.menuSearch = pair({"Rechercher...", "Search..."});
    t.menuExportAll = pair({"Exporter tous les contacts...", "Export all contacts..."});
    t.menuExportThis = pair({"Exporter ce contact...", "Export this contact..."});
    t.importTitle = pair({"Importer des contacts", "Import contacts"});
    t.exportTitle = pair({"Exporter des contacts", "Export contacts"});
    t.importFilter = pair({"Fichiers vCard et CSV (*.vcf *.vcard *.csv)",
                           "vCard and CSV files (*.vcf *.vcard *.csv)"});
    t.allFilesFilter = pair({"Tous les fichiers (*)", "All files (*)"});
    t.vcard3Filter = pair({"vCard 3.0 (*.vcf)", "vCard 3.0 (*.vcf)"});
    t.vcard4Filter = pair({"vCard 4.0 (*.vcf)", "vCard 4.0 (*.vcf)"});
    t.csvFilter = pair({"CSV (*.csv)", "CSV (*.csv)"});
    t.allowDuplicates = pair({"Ajouter aussi les fiches qui correspondent à un contact enregistré",
                              "Add cards that match a stored contact too"});
    t.importing = pair({"Importation de %1...", "Importing %1..."});
    t.cancel = pair({"Annuler", "Cancel"});
    t.reportTitle = pair({"Rapport d'importation", "Import report"});
    t.exportReportTitle = pair({"Rapport d'exportation", "Export report"});
    t.showAdded = pair({"Montrer aussi les contacts ajoutés", "Show the contacts added too"});
    t.saveReport = pair({"Enregistrer...", "Save..."});
    t.close = pair({"Fermer", "Close"});
    t.textFilter = pair({"Fichiers texte (*.txt)", "Text files (*.txt)"});
    t.noDataFile = pair({"Aucun fichier de données n'est ouvert.", "No data file is open."});
    t.noContactToExport = pair({"Aucun contact à exporter.", "There is no contact to export."});
    t.noContactShown =
        pair({"Aucun contact enregistré n'est affiché.", "No stored contact is shown."});
    t.exported = pair({"Contacts exportés : %1, dans %2.", "Contacts exported: %1, to %2."});
    t.exportedWithRemarks = pair(
        {"Contacts exportés : %1, dans %2. Ce qui n'a pas pu être écrit est indiqué ci-dessous.",
         "Contacts exported: %1, to %2. What could not be written is listed below."});
    return t;
}

} // namespace

const InteropTexts &interopTexts(Language language)
{
    static const InteropTexts en = textsIn(Language::English);
    static const InteropTexts fr = textsIn(Language::French);
    return language == Language::French ? fr : en;
}

} // namespace vcq
