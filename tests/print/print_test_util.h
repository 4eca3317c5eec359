// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for the printing tests: contact lists built in a few lines.
#pragma once

#include "print/recording_canvas.h"
#include "store/contact_list.h"

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace vcq::print::test
{

using FieldValues = std::initializer_list<std::pair<Field, std::string>>;

inline void addContact(ContactList &list, FieldValues values)
{
    ContactRecord r;
    for (const auto &[field, text] : values)
        r.set(field, text);
    list.InsertNode(static_cast<std::int32_t>(list.size() + 1), r);
}

inline void addPerson(ContactList &list, const std::string &last, const std::string &first = {})
{
    addContact(list, {{Field::LastName, last}, {Field::FirstName, first}});
}

inline std::vector<std::string> described(const std::vector<CanvasOp> &ops)
{
    std::vector<std::string> out;
    for (const CanvasOp &op : ops)
        out.push_back(describe(op));
    return out;
}

inline std::vector<std::string> texts(const RecordingCanvas &canvas)
{
    std::vector<std::string> out;
    for (const CanvasOp &op : canvas.ops(CanvasOp::Kind::Text))
        out.push_back(op.text);
    return out;
}

} // namespace vcq::print::test
