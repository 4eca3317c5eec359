// SPDX-License-Identifier: GPL-3.0-or-later
// The print dialog's language-dependent texts, French and English.
#pragma once

#include "core/language.h"

#include <QString>

namespace vcq::print
{

struct PrintTexts {
    QString tabSheet;
    QString select;
    QString print;
    QString cancel;
    QString printerSetup;
    QString confirmPrint;
    QString savedAsPdf; // %1 is the file's path
    QString printFailed;
    QString pdfRefused; // %1 is the file's path
};

PrintTexts printTexts(Language language);

} // namespace vcq::print
