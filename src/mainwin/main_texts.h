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
    // Messages.
    QString MsgLastNameRequired, MsgWrongFileFormat, MsgDeletePrefix, MsgReservedLastName;

    friend bool operator==(const MainTexts &, const MainTexts &) = default;
};

const MainTexts &mainTexts(Language language);

} // namespace vcq
