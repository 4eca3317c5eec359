// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's texts in French and English: captions of its labels and
// command buttons, the quick-dial tool tip and the messages it shows.
#pragma once

#include "core/language.h"

#include <QString>

namespace vcq
{

struct MainTexts {
    // Labels of the contact form.
    QString lblName, lblFirst, lblAddress, lblCity, lblZip, lblState, lblCountry, lblPhone1,
        lblPhone2, lblCell, lblFax, lblOrganisation, lblEmail, lblComment, lblBirth, lblFilter;
    // Command buttons.
    QString NewBut, SaveBut, TrashBut, PrintBut, ConfigBut, ExitBut;
    QString quickDialHint;
    // Names a screen reader says: the contact list, and each quick-dial
    // button ("%1" is its telephone field's label).
    QString lstList, callPhone;
    // Messages.
    QString MsgLastNameRequired, MsgWrongFileFormat, MsgDeletePrefix, MsgReservedLastName;
    // Faults of the data file that the operating system gives no good text for.
    QString MsgNoDataFile, MsgLinkLoop, MsgDanglingLink, MsgNotRegularFile, MsgTooManyRecords,
        MsgFileShrunk;
    // "Filter.txt" left unread: not an ordinary file, or larger than 1 MiB.
    QString MsgFilterNotAFile, MsgFilterTooLarge;
    // Save refused: a field holds characters the data file cannot store ("%1"
    // is the field's label).
    QString MsgUnstorableField;

    friend bool operator==(const MainTexts &, const MainTexts &) = default;
};

const MainTexts &mainTexts(Language language);

} // namespace vcq
