// SPDX-License-Identifier: GPL-3.0-or-later
#include "interop_texts.h"

namespace vcq
{

namespace
{

InteropTexts english()
{
    InteropTexts t;
    t.menuImport = QStringLiteral("Import contacts...");
    t.menuExportAll = QStringLiteral("Export all contacts...");
    t.menuExportThis = QStringLiteral("Export this contact...");
    t.importTitle = QStringLiteral("Import contacts");
    t.exportTitle = QStringLiteral("Export contacts");
    t.importFilter = QStringLiteral("vCard and CSV files (*.vcf *.vcard *.csv)");
    t.allFilesFilter = QStringLiteral("All files (*)");
    t.vcard3Filter = QStringLiteral("vCard 3.0 (*.vcf)");
    t.vcard4Filter = QStringLiteral("vCard 4.0 (*.vcf)");
    t.csvFilter = QStringLiteral("CSV (*.csv)");
    t.allowDuplicates = QStringLiteral("Add cards that match a stored contact too");
    t.importing = QStringLiteral("Importing %1...");
    t.cancel = QStringLiteral("Cancel");
    t.reportTitle = QStringLiteral("Import report");
    t.exportReportTitle = QStringLiteral("Export report");
    t.showAdded = QStringLiteral("Show the contacts added too");
    t.saveReport = QStringLiteral("Save...");
    t.close = QStringLiteral("Close");
    t.textFilter = QStringLiteral("Text files (*.txt)");
    t.noDataFile = QStringLiteral("No data file is open.");
    t.exported = QStringLiteral("Contacts exported: %1, to %2.");
    t.exportedWithRemarks = QStringLiteral("Contacts exported: %1, to %2. What could not be "
                                           "written is listed below.");
    return t;
}

InteropTexts french()
{
    InteropTexts t;
    t.menuImport = QStringLiteral("Importer des contacts...");
    t.menuExportAll = QStringLiteral("Exporter tous les contacts...");
    t.menuExportThis = QStringLiteral("Exporter ce contact...");
    t.importTitle = QStringLiteral("Importer des contacts");
    t.exportTitle = QStringLiteral("Exporter des contacts");
    t.importFilter = QStringLiteral("Fichiers vCard et CSV (*.vcf *.vcard *.csv)");
    t.allFilesFilter = QStringLiteral("Tous les fichiers (*)");
    t.vcard3Filter = QStringLiteral("vCard 3.0 (*.vcf)");
    t.vcard4Filter = QStringLiteral("vCard 4.0 (*.vcf)");
    t.csvFilter = QStringLiteral("CSV (*.csv)");
    t.allowDuplicates =
        QStringLiteral("Ajouter aussi les fiches qui correspondent à un contact enregistré");
    t.importing = QStringLiteral("Importation de %1...");
    t.cancel = QStringLiteral("Annuler");
    t.reportTitle = QStringLiteral("Rapport d'importation");
    t.exportReportTitle = QStringLiteral("Rapport d'exportation");
    t.showAdded = QStringLiteral("Montrer aussi les contacts ajoutés");
    t.saveReport = QStringLiteral("Enregistrer...");
    t.close = QStringLiteral("Fermer");
    t.textFilter = QStringLiteral("Fichiers texte (*.txt)");
    t.noDataFile = QStringLiteral("Aucun fichier de données n'est ouvert.");
    t.exported = QStringLiteral("Contacts exportés : %1, dans %2.");
    t.exportedWithRemarks = QStringLiteral("Contacts exportés : %1, dans %2. Ce qui n'a pas pu "
                                           "être écrit est indiqué ci-dessous.");
    return t;
}

} // namespace

const InteropTexts &interopTexts(int language)
{
    static const InteropTexts en = english();
    static const InteropTexts fr = french();
    return language == 1 ? fr : en;
}

} // namespace vcq
