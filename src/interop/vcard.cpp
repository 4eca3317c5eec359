// SPDX-License-Identifier: GPL-3.0-or-later
#include "vcard.h"

#include "text_util.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace vcq::interop
{

using namespace std::string_view_literals;
using detail::equalsNoCase;

std::string_view versionText(VCardVersion v)
{
    switch (v) {
    case VCardVersion::V21:
        return "2.1";
    case VCardVersion::V30:
        return "3.0";
    case VCardVersion::V40:
        return "4.0";
    }
    return "3.0";
}

ValueKind valueKindOf(std::string_view n)
{
    // Asked for every property read and written: sorted by length first.
    auto any = [&](std::initializer_list<std::string_view> names) {
        for (std::string_view name : names) {
            if (n == name)
                return true;
        }
        return false;
    };
    switch (n.size()) {
    case 1:
        return n == "N"sv ? ValueKind::Structured : ValueKind::Raw;
    case 2:
        return any({"FN", "TZ"}) ? ValueKind::Text : ValueKind::Raw;
    case 3:
        if (any({"ADR", "ORG"}))
            return ValueKind::Structured;
        return any({"TEL", "UID", "REV"}) ? ValueKind::Text : ValueKind::Raw;
    case 4:
        return any({"NOTE", "BDAY", "ROLE", "KIND", "LANG", "NAME"}) ? ValueKind::Text
                                                                     : ValueKind::Raw;
    case 5:
        return any({"EMAIL", "TITLE", "LABEL", "CLASS"}) ? ValueKind::Text : ValueKind::Raw;
    case 6:
        if (n == "GENDER"sv)
            return ValueKind::Structured;
        return any({"MAILER", "PRODID", "SOURCE"}) ? ValueKind::Text : ValueKind::Raw;
    case 7:
        return n == "SUMMARY"sv ? ValueKind::Text : ValueKind::Raw;
    case 8:
        return n == "NICKNAME"sv ? ValueKind::List : ValueKind::Raw;
    case 10:
        return n == "CATEGORIES"sv ? ValueKind::List : ValueKind::Raw;
    case 11:
        return any({"ANNIVERSARY", "SORT-STRING"}) ? ValueKind::Text : ValueKind::Raw;
    default:
        return ValueKind::Raw;
    }
}

const std::string &VCardProperty::value() const
{
    static const std::string empty;
    return values.empty() ? empty : values.front();
}

std::vector<std::string> VCardProperty::parameterValues(std::string_view upperName) const
{
    std::vector<std::string> out;
    for (const VCardParameter &p : parameters) {
        if (p.name == upperName)
            out.insert(out.end(), p.values.begin(), p.values.end());
    }
    return out;
}

bool VCardProperty::hasType(std::string_view type) const
{
    for (const VCardParameter &p : parameters) {
        if (p.name != "TYPE"sv)
            continue;
        for (const std::string &v : p.values) {
            if (equalsNoCase(v, type))
                return true;
        }
    }
    return false;
}

bool VCardProperty::isPreferred() const
{
    if (hasType("pref"))
        return true;
    for (const VCardParameter &p : parameters) {
        if (p.name == "PREF"sv)
            return true;
    }
    return false;
}

const VCardProperty *VCard::first(std::string_view upperName) const
{
    for (const VCardProperty &p : properties) {
        if (p.name == upperName)
            return &p;
    }
    return nullptr;
}

std::vector<const VCardProperty *> VCard::all(std::string_view upperName) const
{
    std::vector<const VCardProperty *> out;
    for (const VCardProperty &p : properties) {
        if (p.name == upperName)
            out.push_back(&p);
    }
    return out;
}

std::size_t VCard::removeAll(std::string_view upperName)
{
    return std::erase_if(properties, [&](const VCardProperty &p) { return p.name == upperName; });
}

VCardProperty &VCard::add(VCardProperty property)
{
    properties.push_back(std::move(property));
    return properties.back();
}

VCardProperty makeProperty(std::string name, std::vector<std::string> values,
                           std::vector<std::string> types)
{
    VCardProperty p;
    p.name = std::move(name);
    p.values = std::move(values);
    if (!types.empty())
        p.parameters.push_back({"TYPE", std::move(types)});
    return p;
}

} // namespace vcq::interop
