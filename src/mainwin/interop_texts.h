// SPDX-License-Identifier: GPL-3.0-or-later
// The texts of the main window's import and export in French and English: the
// list's context menu, the file dialogs, the progress dialog and the report.
#pragma once

#include "core/language.h"

#include <QString>

namespace vcq
{

struct InteropTexts {
    QString menuImport, menuExportAll, menuExportThis, menuSearch;
    QString importTitle, exportTitle;
    QString importFilter, allFilesFilter;
    QString vcard3Filter, vcard4Filter, csvFilter;
    QString allowDuplicates;
    QString importing, cancel;
    QString reportTitle, exportReportTitle, showAdded, saveReport, close, textFilter;
    QString noDataFile;
    // Why an export entry of the list's menu is greyed.
    QString noContactToExport, noContactShown;
    QString exported; // %1 contacts, %2 the file
    QString exportedWithRemarks;
};

// 1 is French; every other code is English.
const InteropTexts &interopTexts(Language language);

} // namespace vcq
