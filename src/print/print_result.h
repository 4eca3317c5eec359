// SPDX-License-Identifier: GPL-3.0-or-later
// What a layout run ended with; the print dialog turns it into a message.
#pragma once

namespace vcq::print
{

enum class PrintResult {
    Printed,
    NothingToPrint, // the list was empty: no job was started
    Failed,         // the job could not be begun or a page not started; aborted
};

} // namespace vcq::print
