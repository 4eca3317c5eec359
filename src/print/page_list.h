// SPDX-License-Identifier: GPL-3.0-or-later
// The Page List: one block per contact under bold letter headings, flowed
// down the pages so that each contact stays on one page.
#pragma once

#include "canvas.h"
#include "print_result.h"

namespace vcq
{
class ContactList;
}

namespace vcq::print
{

PrintResult PrintPageList(PrintCanvas &canvas, const ContactList &list);

} // namespace vcq::print
