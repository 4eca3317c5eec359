// SPDX-License-Identifier: GPL-3.0-or-later
#include "page_list.h"

#include "flow_printer.h"
#include "store/contact_list.h"
#include "wallet_book.h"

#include <string>

namespace vcq::print
{

namespace
{

// Only the letters a-z are raised, as the heading has always done.
std::string headingOf(const std::string &lastName)
{
    if (lastName.empty())
        return {};
    char c = lastName.front();
    if (c >= 'a' && c <= 'z')
        c = static_cast<char>(c - 'a' + 'A');
    return std::string(1, c);
}

std::string joined(const ContactNode &node, Field first, Field second)
{
    return std::string(trimBlanksAndControls(node.field(first) + ' ' + node.field(second)));
}

void printContact(FlowPrinter &flow, const ContactNode &node, std::string &lastHeading)
{
    flow.BeginBlock();
    if (const std::string heading = headingOf(node.field(Field::LastName));
        heading != lastHeading) {
        lastHeading = heading;
        flow.PrintLabel(heading, 3, 0);
    }
    flow.PrintLabel(node.field(Field::LastName) + ' ' + node.field(Field::FirstName), 1, 0);
    const auto dataIfAny = [&flow](const std::string &text) {
        if (!text.empty())
            flow.PrintData(text, 1, 0);
    };
    dataIfAny(node.field(Field::Organisation));
    dataIfAny(node.field(Field::Address1));
    dataIfAny(joined(node, Field::City, Field::Zip));
    dataIfAny(joined(node, Field::State, Field::Country));
    for (Field f : {Field::Phone1, Field::Phone2, Field::Cell, Field::Phone3, Field::Email})
        dataIfAny(node.field(f));
    flow.PrintLabel("", 4, 0); // the space after the block
    flow.EndBlock();
}

} // namespace

PrintResult PrintPageList(PrintCanvas &canvas, const ContactList &list)
{
    if (list.empty())
        return PrintResult::NothingToPrint;
    FlowPrinter flow(canvas);
    if (!flow.PrintBeginJob(kDocumentTitle))
        return PrintResult::Failed;
    std::string lastHeading;
    for (const ContactNode &node : list) {
        if (flow.failed())
            break;
        printContact(flow, node, lastHeading);
    }
    return flow.PrintEndJob() ? PrintResult::Printed : PrintResult::Failed;
}

} // namespace vcq::print
